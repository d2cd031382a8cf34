#include "passes/mark_removal.h"

namespace orvo {

void remove_marked_spans(Session& s, std::vector<TrackBuffer>& tracks, int track_count,
                         RecordTable<MarkRecord>& marks, const RecordTable<SyncRecord>& sync) {
  (void)s;
  (void)tracks;
  (void)track_count;
  (void)marks;
  (void)sync;
}

}  // namespace orvo
