#include "passes/conductor_scan.h"

#include "passes/event_walk.h"
#include "run/messages.h"

namespace orvo {

namespace {

// Bytes of the end-of-track event the walk falls back on: 00 FF 2F 00.
constexpr uint32_t kEndOfTrackBytes = 4;

// Status byte, then a length quantity and that many bytes; `skip` bytes
// (a meta type) stand between the status and the length.
int64_t sized_event(const uint8_t* at, size_t available, size_t skip) {
  int32_t length = 0;
  const size_t llen = read_length(at, 1 + skip, available, length);
  if (llen == 0) return static_cast<int64_t>(available) + 1;
  return static_cast<int64_t>(1 + skip + llen) + length;
}

bool is_unexpected(uint8_t status) { return status != 0xF0 && status != 0xF7 && status != 0xFF; }

// The walk ran past the chunk: the last four bytes are taken as the end of
// track, and the events read stop in front of them.
void fall_back(const TrackBuffer& tb, ConductorScan& scan) {
  const uint32_t end = scan.chunk_end;
  if (end < 8 + kEndOfTrackBytes) {
    scan.eot_start = scan.eot_status = end;  // no room for one: it is written anew
  } else {
    scan.eot_start = end - kEndOfTrackBytes;
    scan.eot_status = scan.eot_start + 1;
  }
  while (!scan.events.empty() && scan.events.back().end > scan.eot_start) scan.events.pop_back();
  scan.total = scan.events.empty() ? 0 : scan.events.back().time;
  scan.tail = scan.events.empty() ? 8 : scan.events.back().end;
  if (scan.tail > scan.eot_start) scan.tail = scan.eot_start;
  const uint8_t delta = scan.eot_status > scan.eot_start ? tb.bytes[scan.eot_start] : 0;
  scan.eot_time = scan.total + (delta < 0x80 ? delta : 0);
}

}  // namespace

void report_conductor_status(Session& s, uint8_t status) {
  if (status >= 0xC0 && status <= 0xDF) {
    report(s.err, "CD?(%.2x): ???\n", status);
  } else if (status > 0xF0 && status < 0xFF) {
    report(s.err, "F?(%.2x): error!\n", status);
  } else {
    report(s.err, "?(%.2x): ???\n", status);
  }
}

int64_t conductor_event_length(Session& s, const uint8_t* at, size_t available) {
  const uint8_t status = at[0];
  if (status == 0xFF) {
    if (available < 2) return static_cast<int64_t>(available) + 1;
    const int64_t length = sized_event(at, available, 1);
    return at[1] == 0x2F ? -length : length;
  }
  // An exclusive message that goes on an earlier one (F7) is sized like F0.
  if (status == 0xF0 || status == 0xF7) return sized_event(at, available, 0);
  report_conductor_status(s, status);
  if (status >= 0xC0 && status <= 0xDF) return 2;
  if (status > 0xF0) return 0;
  return 3;
}

ConductorScan scan_conductor(Session& s, const TrackBuffer& tb) {
  ConductorScan scan;
  scan.chunk_end = static_cast<uint32_t>(chunk_end(tb));
  const uint8_t* bytes = tb.bytes.data();
  const size_t end = scan.chunk_end;
  size_t p = 8;
  int64_t time = 0;
  for (;;) {
    int32_t delta = 0;
    const size_t dlen = read_delta(bytes, p, end, delta);
    const size_t q = p + dlen;
    if (dlen == 0 || q >= end) break;
    const int64_t length = conductor_event_length(s, bytes + q, end - q);
    if (length < 0) {
      if (q + static_cast<size_t>(-length) > end) break;
      scan.tail = scan.eot_start = static_cast<uint32_t>(p);
      scan.eot_status = static_cast<uint32_t>(q);
      scan.total = time;
      scan.eot_time = time + delta;
      return scan;
    }
    if (is_unexpected(bytes[q])) scan.unexpected.emplace_back(time + delta, bytes[q]);
    const size_t next = q + static_cast<size_t>(length);
    if (next > end) break;
    time += delta;
    scan.events.push_back({static_cast<uint32_t>(p), static_cast<uint32_t>(q),
                           static_cast<uint32_t>(next), time});
    p = next;
  }
  fall_back(tb, scan);
  return scan;
}

}  // namespace orvo
