// Marker span removal: spans between [@] marks, and after [!], are cut out.
#pragma once

#include <vector>

#include "run/records.h"
#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

void remove_marked_spans(Session& s, std::vector<TrackBuffer>& tracks, int track_count,
                         RecordTable<MarkRecord>& marks, const RecordTable<SyncRecord>& sync);

}  // namespace orvo
