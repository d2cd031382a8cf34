// -J: fits every track's [do]..[loop] unrolling to the longest looped track.
#include <algorithm>
#include <cstdint>

#include "driver/driver.h"
#include "driver/messages.h"
#include "passes/synchronise.h"

namespace orvo {

namespace {

int32_t clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

void adjust_loops(Session& s, Conversion& c) {
  ConvertOptions& o = c.options;
  const int32_t given_loops = o.loop_count;
  const int32_t given_delay = o.fade_delay;
  const int n = static_cast<int>(c.table.size());

  // The clock at which the longest track finishes its unrolled passes. A
  // track without a loop gives 0. Computed in 64 bits: counts come from the
  // command line and clocks from the data.
  int64_t longest = 0;
  for (int k = 0; k < n; ++k) {
    const int64_t start = c.do_times[static_cast<size_t>(k)];
    const int64_t end = c.loop_times[static_cast<size_t>(k)];
    longest = std::max(longest, (end - start) * given_loops + start);
  }
  if (longest == 0) return;

  report(s.err, "[do]～[loop]の展開回数を調整します。\n");
  reset_table(c.tables.sync, 100);
  reset_table(c.tables.tempo, 100);
  c.tables.mark.items.clear();
  clear_channel_init_flags(s);

  for (int k = 1; k <= n; ++k) {
    const int64_t start = c.do_times[static_cast<size_t>(k) - 1];
    const int64_t end = c.loop_times[static_cast<size_t>(k) - 1];
    if (end == start) {
      o.loop_count = given_loops;
      o.fade_delay = given_delay;
    } else {
      const int64_t total = longest - start + given_delay;
      const int64_t pass = end - start;
      o.loop_count = clamp32(total / pass);
      o.fade_delay = clamp32(total % pass);
    }
    convert_one_track(s, c, k);
  }

  if (!c.tables.sync.items.empty()) {
    report(s.err, "\nSetting Synchronous.");
    synchronise_tracks(s, c.tracks, c.tables.sync, c.chunk_sizes);
  }
}

}  // namespace orvo
