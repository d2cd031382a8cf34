// Repeat and jump structures: the loops unroll, the jumps follow the score,
// and the loop markers of -L 0 measure what lies between them.
#include <gtest/gtest.h>

#include "support/run.h"
#include "support/track_harness.h"

namespace orvo {
namespace {

using test::Bytes;
using test::midi_track;
using test::sjis;
using test::TrackHarness;
using test::TrackResult;
using Lines = std::vector<std::string>;

constexpr uint8_t kC0 = 0xC0;
constexpr uint8_t kDc = 3, kSegno = 4, kDs = 5, kCoda = 6, kToCoda = 7, kFine = 8, kDo = 9,
                  kLoop = 10;

TrackInputs loops(int32_t count, int8_t fade_speed) {
  TrackInputs in = midi_track();
  in.loop_count = count;
  in.fade_speed = fade_speed;
  return in;
}

// Program changes in the order they are written.
std::vector<int> programs(const TrackResult& r) {
  std::vector<int> out;
  for (const std::string& line : r.lines) {
    const size_t at = line.find("Program ch1 ");
    if (at != std::string::npos) out.push_back(std::stoi(line.substr(at + 12)));
  }
  return out;
}

std::string track_line(const std::string& markers) {
  return sjis("MIDI ch 01 converting..." + markers + "done.\n");
}

TEST(TrackLoops, BodyPlaysLoopCountTimesWithoutFade) {
  TrackHarness h;
  const TrackResult r =
      h.convert({kC0, kDo, 0xA0, 1, 0xD0, 10, 0, kC0, kLoop, 0xA0, 2}, loops(3, 0));
  EXPECT_EQ(r.err, track_line("[do][loop]"));
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) Program ch1 0", "@10 (+10) Program ch1 0",
                            "@20 (+10) Program ch1 0", "@30 (+10) Program ch1 1",
                            "@30 (+0) EndOfTrack"}));
  EXPECT_EQ(r.doTime, 0);
  EXPECT_EQ(r.loopTime, 10);
}

TEST(TrackLoops, LoopCountZeroWritesMarkersAroundOnePass) {
  TrackHarness h;
  const TrackResult r =
      h.convert({0xA0, 1, kC0, kDo, 0xA0, 1, 0xD0, 10, 0, kC0, kLoop, 0xA0, 2}, loops(0, 0));
  // The end marker holds the bytes from the end of the start marker to its
  // own end: the program (3), the end marker's delta (1) and its 10 bytes.
  EXPECT_EQ(r.events, (Bytes{0x00, 0xC0, 0x00, 0x00, 0xFF, 0x7F, 0x04, 0x89, 0x42, 0x10, 0x00,
                             0x00, 0xC0, 0x00, 0x0A, 0xFF, 0x7F, 0x07, 0x89, 0x42, 0x11, 0x00,
                             0x00, 0x00, 0x0E, 0x00, 0xC0, 0x01, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(r.err, track_line("[do][loop]"));
}

TEST(TrackLoops, LoopWithoutDoAndSecondPairs) {
  TrackHarness h;
  TrackResult r = h.convert({kC0, kLoop, 0xA0, 1}, loops(2, 0));
  EXPECT_EQ(r.err, track_line("[do]がないのに[loop]があります。\n"));
  EXPECT_EQ(programs(r), (std::vector<int>{0}));

  // [do] does not reset the pass count: a second pair plays once.
  r = h.convert({kC0, kDo, 0xA0, 1, kC0, kLoop, kC0, kDo, 0xA0, 2, kC0, kLoop}, loops(2, 0));
  EXPECT_EQ(programs(r), (std::vector<int>{0, 0, 1}));
  EXPECT_EQ(r.err, track_line("[do][loop][do][loop]"));
}

TEST(TrackJumps, DaCapoOnceThenStraightOn) {
  TrackHarness h;
  const TrackResult r = h.convert({0xA0, 1, kC0, kDc, 0xA0, 2, kC0, kDc, 0xA0, 3});
  EXPECT_EQ(programs(r), (std::vector<int>{0, 0, 1, 2}));
  EXPECT_EQ(r.err, track_line("[d.c.]"));
}

TEST(TrackJumps, DalSegnoWithoutSegnoThenFine) {
  TrackHarness h;
  TrackResult r = h.convert({0xA0, 1, kC0, kDs, 0xA0, 2, kC0, kFine, 0xA0, 3});
  EXPECT_EQ(programs(r), (std::vector<int>{0, 1}));
  EXPECT_EQ(r.err, track_line("[d.s.][fine]"));
  // [fine] before any jump is only reported.
  r = h.convert({kC0, kFine, 0xA0, 1});
  EXPECT_EQ(programs(r), (std::vector<int>{0}));
  // With a segno, the second [d.s.] is reported but jumps no more.
  r = h.convert({0xA0, 1, kC0, kSegno, 0xA0, 2, kC0, kDs, 0xA0, 3});
  EXPECT_EQ(programs(r), (std::vector<int>{0, 1, 1, 2}));
  EXPECT_EQ(r.err, track_line("[$][d.s.][d.s.]"));
}

TEST(TrackJumps, ToCodaAfterDaCapo) {
  TrackHarness h;
  const TrackResult r =
      h.convert({0xA0, 1, kC0, kToCoda, 0xA0, 2, kC0, kDc, kC0, kCoda, 0xA0, 3});
  EXPECT_EQ(programs(r), (std::vector<int>{0, 1, 0, 2}));
  EXPECT_EQ(r.err, track_line("[tocoda][d.c.][tocoda][coda]"));
}

TEST(TrackJumps, LoopReplayedByDaCapoGoesStraightToItsEnd) {
  TrackHarness h;
  const TrackResult r =
      h.convert({kC0, kDo, 0xA0, 1, kC0, kLoop, 0xA0, 2, kC0, kDc, 0xA0, 3}, loops(2, 0));
  EXPECT_EQ(programs(r), (std::vector<int>{0, 0, 1, 0, 1, 2}));
  EXPECT_EQ(r.err, track_line("[do][loop][d.c.][do][loop]"));
}

// Real songs loop with [coda] ... [tocoda]: a [tocoda] back to its [coda]
// would repeat for ever; it is unrolled like [do]..[loop].
TEST(TrackJumps, BackwardToCodaIsALoop) {
  TrackHarness h;
  const TrackResult r = h.convert(
      {0xA0, 1, kC0, kCoda, 0xA0, 2, 0xD0, 10, 0, kC0, kToCoda, 0xA0, 3}, loops(3, 0));
  EXPECT_EQ(programs(r), (std::vector<int>{0, 1, 1, 1, 2}));
  EXPECT_EQ(r.err, track_line("[coda][tocoda][tocoda][tocoda]"));
  EXPECT_EQ(r.doTime, 0);
  EXPECT_EQ(r.loopTime, 10);
  EXPECT_EQ(r.lines[4], "@30 (+10) Program ch1 2");
  // No loop markers belong to it under -L 0.
  const TrackResult once = h.convert({kC0, kCoda, 0xD0, 10, 0, kC0, kToCoda}, loops(0, 0));
  EXPECT_EQ(once.lines, (Lines{"@10 (+10) EndOfTrack"}));
}

TEST(TrackRepeats, AlternativeEndingsAndExit) {
  TrackHarness h;
  // |: P0 |1 P1 :| three times; the first ending on the first pass only.
  TrackResult r = h.convert({0xC1, 0xCF, 3, 0xA0, 1, 0xC3, 1, 0, 2, 0xA0, 2, 0xC2, 0, 13});
  EXPECT_EQ(programs(r), (std::vector<int>{0, 1, 0, 0}));
  EXPECT_EQ(r.err, track_line(""));
  // The exit skips to after the repeat end on the last pass.
  r = h.convert({0xC1, 0xCF, 2, 0xA0, 1, 0xC4, 0, 5, 0xA0, 2, 0xC2, 0, 12, 0xA0, 3});
  EXPECT_EQ(programs(r), (std::vector<int>{0, 1, 0, 2}));
  EXPECT_EQ(r.err, track_line(""));
}

TEST(TrackRepeats, NestedDeeperThanEight) {
  TrackHarness h;
  // Nine nested repeats of two passes around one program: 512 programs.
  Bytes t;
  for (int i = 0; i < 9; ++i) t.insert(t.end(), {0xC1, 0xCF, 2});
  t.insert(t.end(), {0xA0, 1});
  for (int i = 0; i < 9; ++i) {
    // Back to the CF of the matching start: the inner part of the stream.
    const int end = static_cast<int>(t.size()) + 3;
    const int cf = 3 * (8 - i) + 1;
    t.insert(t.end(), {0xC2, 0, static_cast<uint8_t>(end - cf)});
  }
  const TrackResult r = h.convert(t);
  EXPECT_EQ(programs(r).size(), 512u);
  EXPECT_EQ(r.err, track_line(""));
}

TEST(TrackRepeats, MalformedStructuresAreReportedAndSkipped) {
  TrackHarness h;
  const std::string never = " (これが表示されるはずはないのですが..)\n";
  const TrackResult r = h.convert({0xC2, 0, 3, 0xC3, 1, 0, 0, 0xC4, 0, 9, 0xC1, 0x00, 2, 0xA0,
                                   1, 0xC1, 0xCF, 2, 0xA0, 2, 0xC2, 0, 2, 0xA0, 3});
  // The second pass of the last repeat jumps to a byte that is not CF.
  EXPECT_EQ(r.err, track_line("':|'の数が多すぎます。\n" + never + "'|n'の位置がおかしい。\n" +
                              never + " |:コマンドの構造が異常。\n |:コマンドの構造が異常。\n"));
  EXPECT_EQ(programs(r).front(), 0);
}

TEST(TrackMarks, MarksAreRecordedAndReservedSubcodesReported) {
  TrackHarness h;
  Bytes t{kC0, 0, kC0, 2, kC0, 13, kC0, 0xFF, kC0, 11, 0xD0, 24, 0, kC0, 12};
  TrackResult r = h.convert(t, midi_track(2));
  EXPECT_EQ(r.err, "MIDI ch 02 converting...[RESERVED][RESERVED][][][!][@]done.\n");
  ASSERT_EQ(h.tables().mark.items.size(), 2u);
  EXPECT_EQ(h.tables().mark.items[1].time, 24);
  EXPECT_EQ(h.tables().mark.items[1].kind, 2);
  // The table doubles when it fills, with "##" among the markers.
  Bytes many;
  for (int i = 0; i < 58; ++i) many.insert(many.end(), {kC0, 11});
  r = h.convert(many);
  EXPECT_EQ(h.tables().mark.capacity, 120u);
  EXPECT_NE(r.err.find("[!][!]##done.\n"), std::string::npos);
}

TEST(TrackRecords, SyncAndTempoCommandsAreRecorded) {
  TrackHarness h;
  TrackInputs in = midi_track();
  in.track_index = 2;
  in.start_offset = 4;
  h.convert({0xD0, 12, 0, 0xAF, 5, 0x83, 0xA0, 1, 0x91, 0, 120, 0x93, 0, 10, 0x95, 0, 5, 0x92,
             0, 3, 0x90, 0, 200, 0x94, 1, 0},
            in);
  const auto& sync = h.tables().sync.items;
  ASSERT_EQ(sync.size(), 2u);
  EXPECT_EQ(sync[0].position, -3);
  EXPECT_EQ(sync[0].time, 16);
  EXPECT_EQ(sync[0].track, 5);
  EXPECT_EQ(sync[0].delta, -1);
  EXPECT_EQ(sync[0].order, 1);
  // The wait stands where the next event's delta starts, owing 16 clocks.
  EXPECT_EQ(sync[1].position, 8);
  EXPECT_EQ(sync[1].delta, 16);
  EXPECT_EQ(sync[1].order, 2);
  const auto& tempo = h.tables().tempo.items;
  ASSERT_EQ(tempo.size(), 6u);
  const int32_t values[] = {120, -10, -5, 3, 200, 256};
  const int32_t kinds[] = {0, 3, 1, 3, 2, 1};
  for (size_t i = 0; i < 6; ++i) {
    EXPECT_EQ(tempo[i].value, values[i]) << i;
    EXPECT_EQ(tempo[i].kind, kinds[i]) << i;
    EXPECT_EQ(tempo[i].track, 2);
    EXPECT_EQ(tempo[i].time, 16);
    EXPECT_EQ(tempo[i].order, static_cast<int32_t>(i) + 4);
  }
}

}  // namespace
}  // namespace orvo

namespace orvo {
namespace {

TEST(TrackFadeOut, LoopEndsInAFadeThatEndsTheTrack) {
  TrackHarness h;
  const TrackResult r = h.convert(
      {0xB6, 27, kC0, kDo, 60, 48, 40, kC0, kLoop, 0xA0, 5}, loops(1, 10));
  EXPECT_EQ(r.err, track_line("[do][loop]"));
  // The volume falls from 100 to 0 while the body repeats; the program
  // after the loop is never reached and the end follows at delta 0.
  std::vector<std::string> volumes;
  for (const std::string& line : r.lines) {
    EXPECT_EQ(line.find("Program"), std::string::npos) << line;
    if (line.find("Control ch1 7 ") != std::string::npos) volumes.push_back(line);
  }
  ASSERT_EQ(volumes.size(), 101u);
  EXPECT_NE(volumes.back().find("Control ch1 7 0"), std::string::npos);
  EXPECT_NE(r.lines.back().find("(+0) EndOfTrack"), std::string::npos);
}

// A slow fade over a short body outlasts 1024 passes; the fade-out keeps
// falling instead of starting again at full level, so the track ends.
TEST(TrackFadeOut, SlowFadeOverAShortBodyIsNotRestarted) {
  TrackHarness h;
  const TrackResult r = h.convert({0xB6, 27, kC0, kDo, 0xD0, 1, 0, kC0, kLoop}, loops(1, 1));
  EXPECT_EQ(r.err, track_line("[do][loop]"));
  // Step 2/256 a clock: the level 1 of 128 is reached after 127 x 128 clocks.
  ASSERT_GE(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[r.lines.size() - 2], "@16256 (+128) Control ch1 7 0");
  EXPECT_EQ(r.lines.back(), "@16256 (+0) EndOfTrack");
}

// A speed of 64 or more gives a step of 128 or more: read as a signed byte
// it would never let the fade fall, and the loop would never end.
TEST(TrackFadeOut, FastFadeSpeedsEndTheTrack) {
  TrackHarness h;
  const TrackResult r = h.convert({0xB6, 27, kC0, kDo, 60, 48, 40, kC0, kLoop}, loops(1, 100));
  EXPECT_EQ(r.err, track_line("[do][loop]"));
  EXPECT_LT(r.lines.size(), 200u);
  // A6 with a speed of -100 (a fade-in) rises just as fast.
  const TrackResult in = h.convert({0xB6, 27, 0xA6, 0x9C, 0xD0, 200, 0, 0xA0, 1});
  EXPECT_EQ(in.lines[in.lines.size() - 2], "@200 (+35) Program ch1 0");
  EXPECT_NE(in.lines[in.lines.size() - 3].find("Control ch1 7 100"), std::string::npos);
}

TEST(TrackGates, RLimitsGatesOfNotesAfterAtR) {
  TrackHarness h;
  TrackInputs in = midi_track();
  in.keyoff_skip = 5;
  // Without @R the gate stays; after @R it is cut to 5, for FE even the
  // 16-bit gate 0xFFFF, while the short note's gate 0xFF stays a tie.
  const TrackResult r = h.convert({60, 24, 20, 0xAC, 1, 61, 24, 20, 0xFE, 62, 0, 24, 0xFF, 0xFF,
                                   63, 24, 0xFF, 63, 24, 20},
                                  in);
  EXPECT_EQ(r.err, track_line("[@R]"));
  EXPECT_EQ(lines_from(r, "NoteOn ch1 60 127"),
            (Lines{"@0 (+0) NoteOn ch1 60 127", "@20 (+20) NoteOn ch1 60 0",
                   "@24 (+4) NoteOn ch1 61 127", "@29 (+5) NoteOn ch1 61 0",
                   "@48 (+19) NoteOn ch1 62 127", "@53 (+5) NoteOn ch1 62 0",
                   "@72 (+19) NoteOn ch1 63 127", "@101 (+29) NoteOn ch1 63 0",
                   "@120 (+19) EndOfTrack"}));
}

}  // namespace
}  // namespace orvo
