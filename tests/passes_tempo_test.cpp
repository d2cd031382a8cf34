// Tempo insertion: tempo records of the tracks become Set Tempo events of the
// conductor track at their synchronised clocks.
#include <gtest/gtest.h>

#include "passes/conductor_scan.h"
#include "passes/synchronise.h"
#include "passes/tempo_insert.h"
#include "passes/tempo_value.h"
#include "passes_test_chunks.h"

namespace orvo {
namespace {

using test::Bytes;
using test::chunk;
using test::events_of;
using test::table_of;

TempoRecord set_tempo(int32_t bpm, int32_t time, int32_t track = 0, int32_t order = 1) {
  return {bpm, time, kTempoKindSetTempo, track, 0, order};
}
TempoRecord set_timer(int32_t timer, int32_t time) {
  return {timer, time, kTempoKindSetTimer, 0, 0, 1};
}

const Bytes kTempo120{0xFF, 0x51, 0x03, 0x07, 0xA1, 0x20};
const Bytes kTempo60{0xFF, 0x51, 0x03, 0x0F, 0x42, 0x40};
const Bytes kEnd{0xFF, 0x2F, 0x00};

// Event bytes: a delta time followed by an event.
Bytes at(uint8_t delta, const Bytes& event) {
  Bytes out{delta};
  out.insert(out.end(), event.begin(), event.end());
  return out;
}
Bytes cat(std::initializer_list<Bytes> parts) {
  Bytes out;
  for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
  return out;
}

class Tempo : public ::testing::Test {
 protected:
  test::PassSession session;
  // Inserts `records` into a conductor of `events`; returns its events after.
  Bytes insert(const Bytes& events, std::vector<TempoRecord> records,
               std::vector<SyncRecord> waits = {}, uint8_t timer_a = 0) {
    TrackBuffer conductor = chunk(events);
    tempo_ = table_of(std::move(records));
    const auto sync = table_of(std::move(waits));
    insert_tempo_events(session.s, conductor, tempo_, sync, timer_a);
    return events_of(conductor);
  }
  RecordTable<TempoRecord> tempo_;
};

TEST_F(Tempo, ChangeAtTheClockOfConductorEventsComesAfterThem) {
  const Bytes name{0xFF, 0x03, 0x01, 'A'};
  EXPECT_EQ(insert(cat({at(0, kTempo120), at(0, name), at(0, kEnd)}), {set_tempo(60, 0)}),
            cat({at(0, kTempo120), at(0, name), at(0, kTempo60), at(0, kEnd)}));
}

TEST_F(Tempo, ChangeInsideTheTrackShortensTheDeltaOfTheEventAfterIt) {
  const Bytes text{0xFF, 0x01, 0x01, 'x'};
  EXPECT_EQ(insert(cat({at(0, kTempo120), at(100, text), at(0, kEnd)}), {set_tempo(60, 48)}),
            cat({at(0, kTempo120), at(48, kTempo60), at(52, text), at(0, kEnd)}));
}

TEST_F(Tempo, ChangeAfterTheLastEventGoesInFrontOfTheEndOfTrack) {
  EXPECT_EQ(insert(cat({at(0, kTempo120), at(0, kEnd)}), {set_tempo(60, 96)}),
            cat({at(0, kTempo120), at(96, kTempo60), at(0, kEnd)}));
  // An end of track at 200 stays at 200.
  EXPECT_EQ(insert(cat({at(0, kTempo120), {0x81, 0x48}, kEnd}), {set_tempo(60, 96)}),
            cat({at(0, kTempo120), at(96, kTempo60), at(104, kEnd)}));
}

TEST_F(Tempo, ChangesAtOneClockKeepTheirRecordedOrderAndAreSortedByClock) {
  const Bytes conductor = cat({at(0, kEnd)});
  EXPECT_EQ(insert(conductor, {set_tempo(120, 48), set_tempo(60, 20), set_tempo(60, 48)}),
            cat({at(20, kTempo60), at(28, kTempo120), at(0, kTempo60), at(0, kEnd)}));
  EXPECT_EQ(tempo_.items[0].time, 20);
  EXPECT_EQ(tempo_.items[1].value, 120);
}

TEST_F(Tempo, ChangeInATrackThatWaitedLandsWhereTheTrackResumed) {
  // Track 1 waited at 48 (order 2) and resumed at 144.
  const std::vector<SyncRecord> waits{{16, 48, 1, 144, 2}};
  const Bytes out = insert(cat({at(0, kEnd)}),
                           {set_tempo(60, 48, 1, 3), set_tempo(120, 48, 1, 1), set_tempo(60, 40, 0)},
                           waits);
  // Order 1 came before the wait at that clock: it stays at 48; track 0 is not moved.
  EXPECT_EQ(out, cat({at(40, kTempo60), at(8, kTempo120), at(96, kTempo60), at(0, kEnd)}));
}

TEST_F(Tempo, WaitOfNinetySixClocksMovesTheTempoOfTheWaitingTrack) {
  std::vector<TrackBuffer> tracks;
  tracks.push_back(chunk(cat({at(0, kEnd)})));
  tracks.push_back(chunk({0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
  tracks.push_back(chunk({0x00, 0x91, 0x3C, 0x64, 0x30, 0x81, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
  std::vector<size_t> sizes{12, 20, 20};
  // Track 1 (buffer 2) waits at 48; track 0 signals it at 144.
  auto sync = table_of<SyncRecord>({test::signal_to(0, 1, 144), test::wait_at(1, 16, 48, 0, 2)});
  synchronise_tracks(session.s, tracks, sync, sizes);
  auto tempo = table_of<TempoRecord>({set_tempo(60, 48, 1, 3)});
  insert_tempo_events(session.s, tracks[0], tempo, sync, 0);
  EXPECT_EQ(events_of(tracks[0]), cat({{0x81, 0x10}, kTempo60, at(0, kEnd)}));  // at 144
  test::expect_valid_smf(test::smf_of(tracks));
}

TEST_F(Tempo, TimerAndTempoKindsWithAndWithoutTimerA) {
  struct Case {
    std::vector<TempoRecord> records;
    bool timer_a;
    bool rounding;
    int32_t micros;  // of the last record
  };
  const Case cases[] = {
      {{set_tempo(120, 0)}, false, false, 500000},
      {{set_tempo(120, 0)}, false, true, 500000},
      {{set_tempo(7, 0)}, false, false, 8571428},
      {{set_tempo(7, 0)}, false, true, 8571429},
      {{set_timer(200, 0)}, false, false, 688128},
      {{set_timer(700, 0)}, true, false, 248962},  // 78125 / 324 = 241
      {{set_tempo(120, 0), {30, 0, kTempoKindChangeTempo, 0, 0, 1}}, false, false, 400000},
      // The timer follows the tempo: 216 without TIMER-A, 373 with it.
      {{set_tempo(120, 0), {10, 0, kTempoKindChangeTimer, 0, 0, 1}}, false, false, 368640},
      {{set_tempo(120, 0), {10, 0, kTempoKindChangeTimer, 0, 0, 1}}, true, false, 495867},
      // Another kind changes nothing and writes what the timer gives.
      {{set_timer(200, 0), {5, 0, 7, 0, 0, 1}}, false, false, 688128},
      // Divisors of 0 give 0, and very slow tempos stay within 24 bits.
      {{set_tempo(0, 0)}, false, true, 0},
      {{set_timer(256, 0)}, false, false, 0},
      {{set_timer(1024, 0)}, true, false, 0},
      {{set_tempo(3, 0)}, false, false, 0xFFFFFF},
  };
  for (const Case& c : cases) {
    TempoState state;
    int32_t micros = -1;
    for (const TempoRecord& r : c.records) micros = tempo_microseconds(state, r, c.timer_a, c.rounding);
    EXPECT_EQ(micros, c.micros) << c.records.back().value << (c.timer_a ? " -A" : "")
                                << (c.rounding ? " -U" : "");
  }
}

TEST_F(Tempo, ZeroDivisorStillWritesItsEvent) {
  EXPECT_EQ(insert(cat({at(0, kEnd)}), {set_tempo(0, 0), set_timer(1024, 5)}, {}, 1),
            cat({at(0, {0xFF, 0x51, 0x03, 0, 0, 0}), at(5, {0xFF, 0x51, 0x03, 0, 0, 0}),
                 at(0, kEnd)}));
}

TEST_F(Tempo, ClockBeyondFourBytesOfDeltaIsHeldAtTheLargest) {
  EXPECT_EQ(insert(cat({at(0, kEnd)}), {set_tempo(60, 0x10000005)}),
            cat({{0xFF, 0xFF, 0xFF, 0x7F}, kTempo60, at(0, kEnd)}));
}

TEST_F(Tempo, EscapedExclusiveMessageFromAnMddFileIsSteppedOverWhole) {
  const Bytes sysex{0xF0, 0x03, 0x41, 0x10, 0xF7};
  const Bytes escaped{0xF7, 0x02, 0x42, 0xF7};
  const Bytes out = insert(cat({at(0, sysex), at(10, escaped), at(0, kEnd)}), {set_tempo(60, 10)});
  EXPECT_EQ(out, cat({at(0, sysex), at(10, escaped), at(0, kTempo60), at(0, kEnd)}));
  EXPECT_EQ(session.messages(), "");
}

TEST_F(Tempo, WalkRunningPastTheChunkTakesItsLastFourBytesAsTheEnd) {
  // The data byte 40 is stepped over as three bytes, which swallows the
  // end of track; the walk then runs past the chunk.
  const Bytes events = cat({at(0, kTempo120), {0x00, 0x40}, at(0, kEnd)});
  EXPECT_EQ(insert(events, {set_tempo(60, 10)}),
            cat({at(0, kTempo120), {0x00, 0x40}, at(10, kTempo60), at(0, kEnd)}));
  EXPECT_EQ(session.messages(), "?(40): ???\n?(00): ???\n");
}

TEST_F(Tempo, EventLengthsAndReportsOfTheConductorScanner) {
  struct Case {
    Bytes event;
    int64_t length;
    std::string report;
  };
  const Case cases[] = {
      {{0xFF, 0x2F, 0x00}, -3, ""},
      {{0xFF, 0x01, 0x02, 'a', 'b'}, 5, ""},
      {{0xF0, 0x81, 0x00}, 131, ""},
      {{0xC5, 0x01}, 2, "CD?(c5): ???\n"},
      {{0xF3}, 0, "F?(f3): error!\n"},
      {{0x90, 0x3C, 0x64}, 3, "?(90): ???\n"},
      {{0xFF, 0x01, 0x81}, 4, ""},  // length quantity runs past: longer than what is left
  };
  for (const Case& c : cases) {
    test::PassSession local;
    EXPECT_EQ(conductor_event_length(local.s, c.event.data(), c.event.size()), c.length)
        << std::hex << int{c.event[0]};
    EXPECT_EQ(local.messages(), c.report);
  }
}

TEST_F(Tempo, EveryWalkOverAnUnexpectedStatusReportsItAgain) {
  // The scan reports the program change once; each of the two records at
  // clock 0 walks over it again. The record at 50 lies beyond every event
  // and needs no walk.
  const Bytes events = cat({at(0, {0xC0, 0x05}), at(0, kEnd)});
  insert(events, {set_tempo(60, 0), set_tempo(60, 0), set_tempo(60, 50)});
  EXPECT_EQ(session.messages(), "CD?(c0): ???\nCD?(c0): ???\nCD?(c0): ???\n");
}

}  // namespace
}  // namespace orvo
