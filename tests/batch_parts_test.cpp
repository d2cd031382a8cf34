// The pieces of orvo-batch that a tree of songs does not reach: the order
// and bound of the worker pool, the progress line and its terminal test,
// the summary's message line and the arguments of each conversion.
#include <gtest/gtest.h>
#include <fcntl.h>
#include <stdlib.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <random>
#include <thread>

#include "batch/pool.h"
#include "batch/progress.h"
#include "batch/song.h"

namespace orvo::batch {
namespace {

// Items finish in a random order; they are still delivered in theirs, and
// no more than the window (beside the one being delivered) are ever taken
// ahead of delivery.
TEST(BatchPool, DeliversInOrderWithABoundedWindow) {
  for (const int jobs : {1, 3, 8}) {
    constexpr size_t kItems = 300;
    constexpr size_t kWindow = 5;
    std::atomic<size_t> taken{0};
    std::atomic<size_t> delivered{0};
    std::atomic<size_t> most_ahead{0};
    std::vector<size_t> order;
    run_in_order<size_t>(
        kItems, jobs, kWindow,
        [&](size_t i) {
          const size_t ahead = ++taken - delivered;
          size_t seen = most_ahead;
          while (ahead > seen && !most_ahead.compare_exchange_weak(seen, ahead)) {
          }
          std::this_thread::sleep_for(std::chrono::microseconds((i * 7919) % 300));
          return i * 2;
        },
        [&](size_t i, size_t r) {
          EXPECT_EQ(r, i * 2);
          order.push_back(i);
          ++delivered;
        },
        [] {}, std::chrono::milliseconds(5));
    ASSERT_EQ(order.size(), kItems) << jobs;
    for (size_t i = 0; i < kItems; ++i) ASSERT_EQ(order[i], i);
    EXPECT_LE(most_ahead.load(), kWindow + 1) << jobs << ": the window and the one being delivered";
  }
  int calls = 0;
  run_in_order<int>(0, 4, 4, [](size_t) { return 0; }, [&](size_t, int) { ++calls; }, [] {},
                    std::chrono::milliseconds(5));
  EXPECT_EQ(calls, 0);
}

TEST(BatchProgress, LineAndTerminalTest) {
  EXPECT_EQ(progress_text(0, 2000, 0, 0.0), "0/2000 songs, 0 failed, 0.0 songs/s, --:-- left");
  EXPECT_EQ(progress_text(500, 2000, 2, 10.0), "500/2000 songs, 2 failed, 50.0 songs/s, 0:30 left");
  EXPECT_EQ(progress_text(1, 10000, 0, 4.0), "1/10000 songs, 0 failed, 0.2 songs/s, 11:06:36 left");
  EXPECT_EQ(progress_text(7, 7, 1, 3.5), "7/7 songs, 1 failed, 2.0 songs/s, 0:00 left");

  std::FILE* file = std::tmpfile();
  EXPECT_FALSE(is_terminal(file));
  std::fclose(file);
  const int master = posix_openpt(O_RDWR | O_NOCTTY);
  if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) GTEST_SKIP() << "no terminal to open";
  std::FILE* terminal = std::fopen(ptsname(master), "w");
  ASSERT_NE(terminal, nullptr);
  EXPECT_TRUE(is_terminal(terminal));
  std::fclose(terminal);
  close(master);
}

TEST(BatchSummary, FailureLines) {
  EXPECT_EQ(summary_text(3, 1, {{"a/b.zmd", 4, "a/b.zmd\tError: read error."}}),
            "converted 3, skipped 1, failed 1\n  a/b.zmd: status 4: a/b.zmd\tError: read error.\n");
}

// A path starting with "-" would read as switches, and a destination
// starting with "-" as standard output.
TEST(BatchSong, PathsStartingWithADashStayFiles) {
  EXPECT_EQ(as_file_name("-x.zmd"), "./-x.zmd");
  EXPECT_EQ(as_file_name("-x.MID"), "./-x.MID");
  EXPECT_EQ(as_file_name("/abs/song.zmd"), "/abs/song.zmd");
  EXPECT_EQ(as_file_name("out/-/s.MID"), "out/-/s.MID");
}

}  // namespace
}  // namespace orvo::batch
