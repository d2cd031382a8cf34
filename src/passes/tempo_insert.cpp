#include "passes/tempo_insert.h"

namespace orvo {

void insert_tempo_events(Session& s, TrackBuffer& conductor, RecordTable<TempoRecord>& tempo,
                         const RecordTable<SyncRecord>& sync, uint8_t timer_a) {
  (void)s;
  (void)conductor;
  (void)tempo;
  (void)sync;
  (void)timer_a;
}

}  // namespace orvo
