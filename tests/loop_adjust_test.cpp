// -J: loop counts and fade delays fitted to the longest looped track.
#include <gtest/gtest.h>

#include "engine/loop_adjust.h"
#include "support/run.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

TEST(LoopAdjust, LoopsOfEveryTrackEndWithTheLongest) {
  // Track A loops from 96 with a 384-clock pass, B from 0 with 100 clocks.
  const std::vector<int32_t> do_times{96, 0, 0};
  const std::vector<int32_t> loop_times{480, 100, 0};
  const int64_t longest = longest_loop(do_times, loop_times, 2);
  EXPECT_EQ(longest, 864);
  const LoopFit a = fit_loop(longest, 96, 480, 2, 0);
  const LoopFit b = fit_loop(longest, 0, 100, 2, 0);
  EXPECT_EQ(a.loop_count, 2);
  EXPECT_EQ(a.fade_delay, 0);
  EXPECT_EQ(b.loop_count, 8);
  EXPECT_EQ(b.fade_delay, 64);
  // A track without a loop keeps what the command line gave.
  const LoopFit c = fit_loop(longest, 0, 0, 2, 5);
  EXPECT_EQ(c.loop_count, 2);
  EXPECT_EQ(c.fade_delay, 5);
  // With a fade delay every loop still ends at longest + delay.
  for (const auto& [s, e] : {std::pair{96, 480}, std::pair{0, 100}}) {
    const LoopFit f = fit_loop(longest, s, e, 2, 10);
    EXPECT_EQ(s + int64_t{f.loop_count} * (e - s) + f.fade_delay, longest + 10);
  }
}

TEST(LoopAdjust, LongLoopsAreCountedWithoutOverflow) {
  const int64_t longest = longest_loop({0}, {1 << 20}, 1 << 30);
  EXPECT_EQ(longest, int64_t{1} << 50);
  EXPECT_EQ(fit_loop(longest, 0, 1, 1, 0).loop_count, INT32_MAX);
  EXPECT_EQ(longest_loop({0, 0}, {0, 0}, 3), 0);
}

TEST(LoopAdjust, WithoutAnyLoopNothingIsConvertedAgain) {
  test::TempDir dir;
  test::ScopedCwd cwd(dir.path());
  test::write_file("song.zmd", test::ZmdBuilder().track(test::kMidi1, {}).build());
  const test::RunResult r = test::run_inprocess({"-J", "song.zmd"});
  EXPECT_EQ(r.status, 0);
  // The track is converted once: no second channel line, no fitting message.
  EXPECT_EQ(r.err, test::banner() + test::sjis("[do]～[loop]の展開回数を自動調整します。\n") +
                       "MIDI ch 01 converting...done.\nCompleted.\n");
}

}  // namespace
}  // namespace orvo
