// -J: fits every track's [do]..[loop] unrolling to the longest looped track.
#include "engine/loop_adjust.h"

#include <algorithm>
#include <cstdint>

#include "engine/conversion.h"
#include "passes/synchronise.h"
#include "run/messages.h"
#include "run/pass_times.h"

namespace orvo {

namespace {

int32_t clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX));
}

}  // namespace

int64_t longest_loop(const std::vector<int32_t>& do_times, const std::vector<int32_t>& loop_times,
                     int32_t loop_count) {
  // In 64 bits: counts come from the command line and clocks from the data.
  int64_t longest = 0;
  for (size_t k = 0; k < do_times.size() && k < loop_times.size(); ++k) {
    const int64_t start = do_times[k];
    const int64_t end = loop_times[k];
    longest = std::max(longest, (end - start) * loop_count + start);
  }
  return longest;
}

LoopFit fit_loop(int64_t longest, int32_t do_time, int32_t loop_time, int32_t loop_count,
                 int32_t fade_delay) {
  if (loop_time == do_time) return {loop_count, fade_delay};
  const int64_t total = longest - do_time + fade_delay;
  const int64_t pass = int64_t{loop_time} - do_time;
  return {clamp32(total / pass), clamp32(total % pass)};
}

void adjust_loops(Session& s, Conversion& c) {
  MusicOptions& o = c.options;
  const int32_t given_loops = o.loop_count;
  const int32_t given_delay = o.fade_delay;
  const int n = static_cast<int>(c.table.size());

  const int64_t longest = longest_loop(c.do_times, c.loop_times, given_loops);
  if (longest == 0) return;

  const double started = pass_clock();
  report(s.err, "[do]～[loop]の展開回数を調整します。\n");
  reset_table(c.tables.sync, 100);
  reset_table(c.tables.tempo, 100);
  c.tables.mark.items.clear();
  clear_channel_init_flags(s);

  for (int k = 1; k <= n; ++k) {
    const size_t t = static_cast<size_t>(k) - 1;
    const LoopFit fit = fit_loop(longest, c.do_times[t], c.loop_times[t], given_loops, given_delay);
    o.loop_count = fit.loop_count;
    o.fade_delay = fit.fade_delay;
    convert_one_track(s, c, k);
  }
  add_pass_time(s.pass_times, &PassTimes::loops, started);

  if (!c.tables.sync.items.empty()) {
    report(s.err, "\nSetting Synchronous.");
    const double sync_started = pass_clock();
    synchronise_tracks(s, c.tracks, c.tables.sync, c.chunk_sizes);
    add_pass_time(s.pass_times, &PassTimes::synchronise, sync_started);
  }
}

}  // namespace orvo
