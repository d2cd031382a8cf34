// Each tempo record becomes a Set Tempo event at its clock on the common time
// line. The records are sorted by that clock and merged with the conductor's
// events in one walk: a new event goes after every event already at its
// clock, and the event that follows it keeps its own clock.
#include "passes/tempo_insert.h"

#include <algorithm>

#include "passes/conductor_scan.h"
#include "passes/event_walk.h"
#include "passes/resume_shift.h"
#include "passes/sort_by_clock.h"
#include "passes/tempo_value.h"

namespace orvo {

namespace {

// Bytes of one tempo event after its delta time: FF 51 03 and three bytes.
constexpr size_t kTempoEventBytes = 6;
constexpr size_t kMaxDeltaBytes = 4;

// Each walk that looks for an insertion point passes over the events up to
// its clock and reports the unexpected ones among them again. A record later
// than everything in the track goes straight to the end of track, without a
// walk.
void report_walks(Session& s, const ConductorScan& scan, const std::vector<int64_t>& target) {
  if (scan.unexpected.empty()) return;
  int64_t total = scan.total;
  for (int64_t clock : target) {
    if (clock > total) {
      total = clock;
      continue;
    }
    for (const auto& [time, status] : scan.unexpected) {
      if (time > clock) break;
      report_conductor_status(s, status);
    }
  }
}

struct Merge {
  ChunkOut out;
  int64_t last = 0;      // clock of the last event written
  bool moved = false;    // a tempo event stands right in front of the next event
};

void put_tempo(Merge& m, int64_t clock, int32_t micros) {
  put_delta(m.out, clock - m.last);
  put_byte(m.out, 0xFF);
  put_byte(m.out, 0x51);
  put_byte(m.out, 0x03);
  put_byte(m.out, static_cast<uint8_t>(micros >> 16));
  put_byte(m.out, static_cast<uint8_t>(micros >> 8));
  put_byte(m.out, static_cast<uint8_t>(micros));
  m.last = std::max(m.last, clock);
  m.moved = true;
}

// An event keeps its bytes unless a tempo event now stands in front of it;
// then its delta time counts from that event instead.
void put_event(Merge& m, const uint8_t* bytes, size_t start, size_t status_pos, size_t end,
               int64_t clock) {
  if (m.moved) {
    put_delta(m.out, clock - m.last);
    put_span(m.out, bytes, status_pos, end);
  } else {
    put_span(m.out, bytes, start, end);
  }
  m.last = std::max(m.last, clock);
  m.moved = false;
}

}  // namespace

void insert_tempo_events(Session& s, TrackBuffer& conductor, RecordTable<TempoRecord>& tempo,
                         const RecordTable<SyncRecord>& sync, uint8_t timer_a) {
  std::vector<TempoRecord>& records = tempo.items;
  if (records.empty()) return;
  const ConductorScan scan = scan_conductor(s, conductor);

  const ResumeIndex index = build_resume_index(sync);
  std::vector<int64_t> target(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    const TempoRecord& r = records[i];
    target[i] = r.time + resume_shift(index, r.track, r.time, r.order, true);
  }
  sort_by_clock(records, target);
  report_walks(s, scan, target);

  TempoState state;
  std::vector<int32_t> micros(records.size());
  for (size_t i = 0; i < records.size(); ++i) {
    micros[i] = tempo_microseconds(state, records[i], timer_a != 0, s.tempo_rounding != 0);
  }

  const uint8_t* bytes = conductor.bytes.data();
  Merge m;
  start_chunk(m.out, conductor,
              scan.chunk_end + records.size() * (kMaxDeltaBytes + kTempoEventBytes) + 8);
  size_t next = 0;
  for (const ConductorEvent& e : scan.events) {
    for (; next < records.size() && target[next] < e.time; ++next) {
      put_tempo(m, target[next], micros[next]);
    }
    put_event(m, bytes, e.start, e.status_pos, e.end, e.time);
  }
  put_span(m.out, bytes, scan.tail, scan.eot_start);  // what no event could be read from
  for (; next < records.size(); ++next) put_tempo(m, target[next], micros[next]);

  if (scan.eot_status == scan.eot_start) {  // no end-of-track event to keep: write one
    put_delta(m.out, 0);
    put_byte(m.out, 0xFF);
    put_byte(m.out, 0x2F);
    put_byte(m.out, 0x00);
  } else {
    // The end of track keeps its clock unless tempo events went past it.
    put_event(m, bytes, scan.eot_start, scan.eot_status, scan.chunk_end,
              std::max(scan.eot_time, m.last));
  }
  finish_chunk(m.out, conductor);
}

}  // namespace orvo
