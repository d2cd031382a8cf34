#include "passes/resume_shift.h"

#include <algorithm>
#include <limits>

namespace orvo {

ResumeIndex build_resume_index(const RecordTable<SyncRecord>& sync) {
  ResumeIndex index;
  int32_t top = -1;
  for (const SyncRecord& r : sync.items) {
    if (r.position >= 0 && r.track >= 0) top = std::max(top, r.track);
  }
  index.tracks.resize(static_cast<size_t>(top + 1));
  for (const SyncRecord& r : sync.items) {
    if (r.position < 0 || r.track < 0) continue;
    ResumeIndex::Track& t = index.tracks[static_cast<size_t>(r.track)];
    const int64_t shift = r.delta >= 0 ? int64_t{r.delta} - r.time : 0;
    t.waits.push_back({r.time, r.order, shift});
    std::pair<int32_t, int32_t> key{r.time, r.order};
    if (!t.reach.empty()) key = std::max(key, t.reach.back());
    t.reach.push_back(key);
  }
  return index;
}

int64_t resume_shift(const ResumeIndex& index, int32_t track, int32_t time, int32_t order,
                     bool by_order) {
  if (track < 0 || static_cast<size_t>(track) >= index.tracks.size()) return 0;
  const ResumeIndex::Track& t = index.tracks[static_cast<size_t>(track)];
  const std::pair<int32_t, int32_t> key{
      time, by_order ? order : std::numeric_limits<int32_t>::max()};
  // First wait whose running maximum lies beyond the record: the scan stops there.
  const auto stop = std::upper_bound(t.reach.begin(), t.reach.end(), key);
  if (stop == t.reach.begin()) return 0;
  return t.waits[static_cast<size_t>(stop - t.reach.begin()) - 1].shift;
}

}  // namespace orvo
