// The first [@] pair cuts its span out of every track; the first [!] cuts
// from itself to the next mark that closes it, in its own track only.
#include "passes/mark_removal.h"

#include <algorithm>

#include "passes/collapse_span.h"
#include "passes/resume_shift.h"
#include "passes/sort_by_clock.h"
#include "run/messages.h"

namespace orvo {

namespace {

constexpr uint8_t kMarkUsed = 0;
constexpr uint8_t kMarkCut = 1;   // [!]
constexpr uint8_t kMarkBoth = 2;  // [@]
constexpr int64_t kOpenEnd = 0x7FFFFFFF;
constexpr size_t kNone = static_cast<size_t>(-1);

// After a cut from `start` to `end`: marks inside the span move to its start
// and marks at or after its end move earlier by its length, so the marks
// stay in clock order on the shortened time line. With `one_track`, only
// the marks of `track` move.
void follow_cut(const std::vector<MarkRecord>& marks, std::vector<int64_t>& effective,
                int64_t start, int64_t end, bool one_track, int32_t track) {
  for (size_t k = 0; k < marks.size(); ++k) {
    if (one_track && marks[k].track != track) continue;
    int64_t& t = effective[k];
    if (t > start && t < end) {
      t = start;
    } else if (t >= end) {
      t -= end - start;
    }
  }
}

size_t first_of_kind(const std::vector<MarkRecord>& marks, size_t from, uint8_t kind) {
  for (size_t k = from; k < marks.size(); ++k) {
    if (marks[k].kind == kind) return k;
  }
  return kNone;
}

void cut_both(Session& s, std::vector<TrackBuffer>& tracks, int track_count,
              std::vector<MarkRecord>& marks, std::vector<int64_t>& effective) {
  const size_t i = first_of_kind(marks, 0, kMarkBoth);
  if (i == kNone) return;
  const size_t j = first_of_kind(marks, i + 1, kMarkBoth);
  int64_t end = kOpenEnd;
  if (j != kNone) {
    end = effective[j];
  } else {
    report(s.err, "[@]が1個足りないか多すぎます。\n");
  }
  const int64_t start = effective[i];
  const size_t buffers = std::min(tracks.size(), static_cast<size_t>(std::max(track_count, 0)) + 1);
  for (size_t b = 0; b < buffers; ++b) collapse_span(s, tracks[b], start, end);
  follow_cut(marks, effective, start, end, false, 0);
  marks[i].kind = kMarkUsed;
  if (j != kNone) marks[j].kind = kMarkUsed;
}

void cut_own(Session& s, std::vector<TrackBuffer>& tracks, int track_count,
             std::vector<MarkRecord>& marks, std::vector<int64_t>& effective) {
  const size_t k = first_of_kind(marks, 0, kMarkCut);
  if (k == kNone) return;
  const int32_t track = marks[k].track;
  size_t l = kNone;
  for (size_t m = k + 1; m < marks.size() && l == kNone; ++m) {
    if (marks[m].kind == kMarkBoth || marks[m].track == track) l = m;
  }
  const int64_t start = effective[k];
  const int64_t end = l != kNone ? effective[l] : kOpenEnd;
  if (track >= 0 && track < track_count && static_cast<size_t>(track) + 1 < tracks.size()) {
    collapse_span(s, tracks[static_cast<size_t>(track) + 1], start, end);
  }
  follow_cut(marks, effective, start, end, true, track);
  marks[k].kind = kMarkUsed;
  if (l != kNone) marks[l].kind = kMarkUsed;
}

}  // namespace

void remove_marked_spans(Session& s, std::vector<TrackBuffer>& tracks, int track_count,
                         RecordTable<MarkRecord>& marks, const RecordTable<SyncRecord>& sync) {
  std::vector<MarkRecord>& m = marks.items;
  if (m.empty()) return;
  const ResumeIndex index = build_resume_index(sync);
  std::vector<int64_t> effective(m.size());
  for (size_t k = 0; k < m.size(); ++k) {
    effective[k] = m[k].time + resume_shift(index, m[k].track, m[k].time, 0, false);
  }
  sort_by_clock(m, effective);
  cut_both(s, tracks, track_count, m, effective);
  cut_own(s, tracks, track_count, m, effective);
}

}  // namespace orvo
