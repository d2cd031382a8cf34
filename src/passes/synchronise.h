// Synchronisation: tracks that wait for a signal resume at the signal's time.
#pragma once

#include <vector>

#include "run/records.h"
#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

// Lengthens the delta times after paired waits; stores each paired wait's
// resume time in its delta field. `tracks[t + 1]` is track t.
void synchronise_tracks(Session& s, std::vector<TrackBuffer>& tracks,
                        RecordTable<SyncRecord>& sync, std::vector<size_t>& chunk_sizes);

}  // namespace orvo
