// Synchronisation: waiting tracks resume at the signal's clock; the delta
// after each wait is lengthened, resized and its resume time recorded.
#include <gtest/gtest.h>

#include "passes/schedule.h"
#include "passes/synchronise.h"
#include "passes_test_chunks.h"
#include "run/exit.h"
#include "support/run.h"

namespace orvo {
namespace {

using test::Bytes;
using test::chunk;
using test::events_of;
using test::signal_to;
using test::table_of;
using test::wait_at;

const Bytes kEmpty{0x00, 0xFF, 0x2F, 0x00};

// The conductor and one buffer per performance track, with their sizes.
struct Song {
  std::vector<TrackBuffer> tracks;
  std::vector<size_t> sizes;
  explicit Song(const std::vector<Bytes>& performance) {
    tracks.push_back(chunk(kEmpty));
    for (const Bytes& events : performance) tracks.push_back(chunk(events));
    for (const TrackBuffer& tb : tracks) sizes.push_back(tb.pos);
  }
};

class Sync : public ::testing::Test {
 protected:
  test::PassSession session;
  void run(Song& song, RecordTable<SyncRecord>& sync) {
    synchronise_tracks(session.s, song.tracks, sync, song.sizes);
    for (size_t k = 0; k < song.tracks.size(); ++k) {
      EXPECT_EQ(song.sizes[k], chunk_length(song.tracks[k]) + 8u) << "track buffer " << k;
    }
    test::expect_valid_smf(test::smf_of(song.tracks));
  }
};

const Bytes kSignaller{0x00, 0x90, 0x3C, 0x64, 0x60, 0x80, 0x3C, 0x00, 0x00, 0xFF, 0x2F, 0x00};

TEST_F(Sync, SignalAfterTheWaitDelaysEveryLaterEventOfTheWaitingTrack) {
  // Track 1 waits at 48 (the delta at offset 16 starts the next event); track 0 signals at 96.
  Song song({kSignaller, {0x00, 0x91, 0x40, 0x64, 0x30, 0x81, 0x40, 0x00, 0x18, 0x91, 0x41, 0x64,
                          0x18, 0x81, 0x41, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
  auto sync = table_of<SyncRecord>({signal_to(0, 1, 96), wait_at(1, 16, 48, 0)});
  run(song, sync);
  EXPECT_EQ(events_of(song.tracks[2]),
            (Bytes{0x00, 0x91, 0x40, 0x64, 0x30, 0x81, 0x40, 0x00, 0x48, 0x91, 0x41, 0x64, 0x18,
                   0x81, 0x41, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(sync.items[1].delta, 96);  // the resume time
  EXPECT_EQ(events_of(song.tracks[1]), Bytes(kSignaller.begin(), kSignaller.end()));
  EXPECT_EQ(session.messages(), "");
}

TEST_F(Sync, SignalBeforeTheWaitRestoresOnlyThePendingClocks) {
  Song song({kSignaller, {0x00, 0x91, 0x40, 0x64, 0x26, 0x81, 0x40, 0x00, 0x0E, 0x91, 0x41, 0x64,
                          0x00, 0xFF, 0x2F, 0x00}});
  auto sync = table_of<SyncRecord>({signal_to(0, 1, 24), wait_at(1, 16, 48, 10)});
  run(song, sync);
  EXPECT_EQ(events_of(song.tracks[2])[8], 0x18);  // 10 pending + 14 written: the event at 62
  EXPECT_EQ(sync.items[1].delta, 48);             // it resumes at its own clock
}

// Once track 0's only signal is taken no current record is a signal, but
// track 1's wait can still go on and its signal to track 2 must still come.
TEST_F(Sync, PassGoesOnWhileASignalledWaitCanResume) {
  const Bytes waits_twice{0x00, 0x92, 0x40, 0x64, 0x10, 0x82, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  Song song({kSignaller,
             {0x00, 0x91, 0x40, 0x64, 0x26, 0x81, 0x40, 0x00, 0x0E, 0x91, 0x41, 0x64, 0x00, 0xFF,
              0x2F, 0x00},
             waits_twice});
  auto sync = table_of<SyncRecord>({signal_to(0, 1, 24), wait_at(1, 16, 48, 10),
                                    signal_to(1, 2, 200), wait_at(2, 12, 100, 0)});
  run(song, sync);
  EXPECT_EQ(events_of(song.tracks[2])[8], 0x18);
  EXPECT_EQ(events_of(song.tracks[3])[4], 0x74);  // 16 + the 100 clocks waited
  EXPECT_EQ(sync.items[3].delta, 200);
}

TEST_F(Sync, DeltaGrowingToTwoBytesMovesTheRestAndLaterWaitPositions) {
  Song song({kSignaller, {0x00, 0x91, 0x40, 0x64, 0x30, 0x81, 0x40, 0x00, 0x60, 0x91, 0x41, 0x64,
                          0x18, 0x81, 0x41, 0x00, 0x10, 0x91, 0x42, 0x64, 0x00, 0xFF, 0x2F, 0x00}});
  auto sync = table_of<SyncRecord>({signal_to(0, 1, 96), signal_to(0, 1, 300),
                                    wait_at(1, 16, 48, 0), wait_at(1, 24, 168, 0)});
  run(song, sync);
  // 96 + 48 = 144 needs two bytes; the second wait is at 168 + 48 = 216 and
  // is released at 300: 16 + 84 = 100.
  EXPECT_EQ(events_of(song.tracks[2]),
            (Bytes{0x00, 0x91, 0x40, 0x64, 0x30, 0x81, 0x40, 0x00, 0x81, 0x10, 0x91, 0x41, 0x64,
                   0x18, 0x81, 0x41, 0x00, 0x64, 0x91, 0x42, 0x64, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(chunk_length(song.tracks[2]), 25u);
  EXPECT_EQ(sync.items[2].position, 16);
  EXPECT_EQ(sync.items[3].position, 25);
  EXPECT_EQ(sync.items[2].delta, 96);
  EXPECT_EQ(sync.items[3].delta, 300);
}

TEST_F(Sync, TwoWaitsAtOnePlaceShareTheirDeltaTime) {
  // 83 83: both waits name the delta at offset 12. The first grows it to two
  // bytes; the second must still find it there.
  Song song({kSignaller, {0x00, 0x91, 0x40, 0x64, 0x60, 0x81, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
  auto sync = table_of<SyncRecord>({signal_to(0, 1, 48), signal_to(0, 1, 100),
                                    wait_at(1, 12, 0, 0), wait_at(1, 12, 0, 0)});
  run(song, sync);
  // 96 + 48, then the second wait (at 48 by now) released at 100: + 52 = 196.
  EXPECT_EQ(events_of(song.tracks[2]),
            (Bytes{0x00, 0x91, 0x40, 0x64, 0x81, 0x44, 0x81, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(sync.items[3].position, 12);
}

TEST_F(Sync, SignalTakenAfterTheWaitsClockCostsNothing) {
  // Track 0's first signal (to a track that never waits) keeps its second
  // one off the list until the wait at 50 is registered; the signal at 20
  // then releases it. The wait costs nothing: 5 pending + 40 written.
  Song song({kSignaller, {0x2D, 0x91, 0x40, 0x64, 0x28, 0x81, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
  auto sync = table_of<SyncRecord>(
      {signal_to(0, 7, 10), signal_to(0, 1, 20), wait_at(1, 12, 50, 5)});
  run(song, sync);
  EXPECT_EQ(events_of(song.tracks[2])[4], 0x2D);
  EXPECT_EQ(sync.items[2].delta, 50);
}

TEST_F(Sync, WaitsNoSignalReleasesKeepTheirPendingClocks) {
  Song song({{0x00, 0x91, 0x40, 0x64, 0x1C, 0x81, 0x40, 0x00, 0x00, 0x91, 0x41, 0x64, 0x30, 0x81,
              0x41, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
  auto sync = table_of<SyncRecord>({wait_at(0, 16, 48, 20), wait_at(0, 20, 148, 100)});
  run(song, sync);
  EXPECT_EQ(events_of(song.tracks[1]),
            (Bytes{0x00, 0x91, 0x40, 0x64, 0x1C, 0x81, 0x40, 0x00, 0x14, 0x91, 0x41, 0x64, 0x81,
                   0x14, 0x81, 0x41, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(sync.items[0].delta, 48);
  EXPECT_EQ(sync.items[1].delta, 148);
}

TEST_F(Sync, DeltaBeyondFourBytesOfQuantityIsHeldAtTheLargest) {
  Song song({kSignaller, {0x00, 0x91, 0x40, 0x64, 0x10, 0x81, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00}});
  auto sync = table_of<SyncRecord>({signal_to(0, 1, 0x0FFFFFF8), wait_at(1, 12, 0, 0)});
  run(song, sync);
  EXPECT_EQ(events_of(song.tracks[2]), (Bytes{0x00, 0x91, 0x40, 0x64, 0xFF, 0xFF, 0xFF, 0x7F,
                                              0x81, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(sync.items[1].delta, 0x0FFFFFF8);
}

TEST_F(Sync, TrackNumbersFromEightyUpAreTablesLikeAnyOther) {
  std::vector<Bytes> performance(86, kEmpty);
  performance[85] = {0x00, 0x91, 0x40, 0x64, 0x10, 0x81, 0x40, 0x00, 0x00, 0xFF, 0x2F, 0x00};
  Song song(performance);
  auto sync = table_of<SyncRecord>(
      {signal_to(0, 200, 10), signal_to(0, 85, 96), wait_at(85, 12, 48, 0)});
  run(song, sync);
  EXPECT_EQ(events_of(song.tracks[86])[4], 0x40);  // 16 + 48
}

TEST_F(Sync, WaitsThatCanNeverBeReleasedWhileSignalsRemainEndTheConversion) {
  // Tracks 0 and 1 wait for signals nobody sends; track 2 keeps signalling
  // track 5. The waits are dropped again and again until the stall count
  // exceeds the three groups.
  Song song({kEmpty, kEmpty, kEmpty});
  auto sync = table_of<SyncRecord>({wait_at(0, 8, 50, 0), wait_at(1, 8, 50, 0), signal_to(2, 5, 5),
                                    signal_to(2, 5, 10), signal_to(2, 5, 100)});
  try {
    synchronise_tracks(session.s, song.tracks, sync, song.sizes);
    ADD_FAILURE() << "the pass did not stop";
  } catch (const ProcessExit& e) {
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.message, test::sjis("\n同期変換に失敗しました。\nzmusic -C でzmsをコンパイルし直して下さい。\n"
                                    "        ^(大文字)"));
  }
}

TEST(Schedule, EqualTimesComeInGroupOrderAndDroppedEntriesWaitForTheNextSort) {
  Schedule list;
  init_schedule(list, 3);
  schedule_set(list, 0, 48);
  schedule_set(list, 1, 48);
  schedule_set(list, 2, 10);
  sort_schedule(list);
  size_t g = 99;
  ASSERT_TRUE(schedule_head(list, g));
  EXPECT_EQ(g, 2u);
  drop_head(list);
  schedule_set(list, 2, 20);  // moved ahead of the rest, but dropped this round
  ASSERT_TRUE(schedule_head(list, g));
  EXPECT_EQ(g, 0u);
  drop_head(list);
  ASSERT_TRUE(schedule_head(list, g));
  EXPECT_EQ(g, 1u);
  drop_head(list);
  EXPECT_FALSE(schedule_head(list, g));
  sort_schedule(list);
  ASSERT_TRUE(schedule_head(list, g));
  EXPECT_EQ(g, 2u);
}

}  // namespace
}  // namespace orvo
