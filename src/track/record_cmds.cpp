// Synchronisation and tempo commands: recorded for the passes that run once
// every track is converted.
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

void cmd_sync_wait(Track& t) {
  TrackState& st = t.st;
  append_record(t.tables.sync, SyncRecord{static_cast<int32_t>(t.tb.pos), st.absTime,
                                          t.in.track_index, st.pendingDelta, st.cmdCount});
  t.records_full = record_tables_full(t);
  // The next event's delta counts from the wait; the pass adds the clocks
  // owed here when it knows when the track resumes.
  st.pendingDelta = 0;
}

void cmd_sync_signal(Track& t) {
  const uint8_t target = take8(t);
  TrackState& st = t.st;
  append_record(t.tables.sync, SyncRecord{-t.in.track_index - 1, st.absTime, target, -1,
                                          st.cmdCount});
  t.records_full = record_tables_full(t);
}

void append_mark(Track& t, uint8_t kind) {
  if (append_record(t.tables.mark, MarkRecord{t.st.absTime, t.in.track_index, 0, kind})) {
    marker(t, "##");
  }
  t.records_full = record_tables_full(t);
}

void cmd_tempo(Track& t, uint8_t cmd) {
  const int32_t v = take16(t);
  // 90 set timer, 91 set tempo, 92/93 timer up/down, 94/95 tempo up/down.
  static constexpr int32_t kKinds[6] = {2, 0, 3, 3, 1, 1};
  const int i = cmd - 0x90;
  const int32_t value = (cmd == 0x93 || cmd == 0x95) ? -v : v;
  append_record(t.tables.tempo,
                TempoRecord{value, t.st.absTime, kKinds[i], t.in.track_index, 0, t.st.cmdCount});
  t.records_full = record_tables_full(t);
}

}  // namespace orvo
