// -J: the loop counts and fade delays that make every looped track reach the
// end of its unrolled passes at the same clock.
#pragma once

#include <cstdint>
#include <vector>

namespace orvo {

struct LoopFit {
  int32_t loop_count;
  int32_t fade_delay;
};

// The clock at which the longest looped track ends its `loop_count` passes:
// the largest (loopTime - doTime) * loop_count + doTime over the tracks; 0
// when no track has a loop.
int64_t longest_loop(const std::vector<int32_t>& do_times, const std::vector<int32_t>& loop_times,
                     int32_t loop_count);

// The loop count and fade delay of a track whose loop runs from `do_time` to
// `loop_time`, so that do_time + count * pass + delay = longest + fade_delay.
// A track without a loop keeps the given count and delay.
LoopFit fit_loop(int64_t longest, int32_t do_time, int32_t loop_time, int32_t loop_count,
                 int32_t fade_delay);

}  // namespace orvo
