// Tempo insertion: tempo commands of the tracks become conductor events.
#pragma once

#include <cstdint>

#include "run/records.h"
#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

// Merges one tempo event per record into the conductor track at the
// record's synchronised clock, after the events already at that clock. The
// records are left sorted by that clock.
void insert_tempo_events(Session& s, TrackBuffer& conductor, RecordTable<TempoRecord>& tempo,
                         const RecordTable<SyncRecord>& sync, uint8_t timer_a);

}  // namespace orvo
