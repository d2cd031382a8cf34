#include "passes/synchronise.h"

namespace orvo {

void synchronise_tracks(Session& s, std::vector<TrackBuffer>& tracks,
                        RecordTable<SyncRecord>& sync, std::vector<size_t>& chunk_sizes) {
  (void)s;
  (void)tracks;
  (void)sync;
  (void)chunk_sizes;
}

}  // namespace orvo
