// Exclusive messages and blocks of raw MIDI bytes.
#include <cstring>

#include "smf/events.h"
#include "smf/vlq.h"
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

namespace {

constexpr uint8_t kEnd = 0xFF;  // ends the data of EA
constexpr uint8_t kSysEx = 0xF0;
constexpr uint8_t kEndOfExclusive = 0xF7;

// F0, VLQ(count + 1), the collected bytes, F7 at the pending delta.
void write_raw_exclusive(Track& t) {
  TrackState& st = t.st;
  ensure_room(t.tb, st.rawBuffer.size() + 16);
  uint8_t* out = write_ptr(t.tb);
  size_t n = write_vlq(out, st.pendingDelta);
  out[n++] = kSysEx;
  n += write_vlq(out + n, static_cast<int32_t>(st.rawBuffer.size() + 1));
  for (uint8_t b : st.rawBuffer) out[n++] = exclusive_data_byte(b);
  out[n++] = kEndOfExclusive;
  t.tb.pos += n;
  st.rawBuffer.clear();
  st.pendingDelta = 0;
  reset_track_status(t);
}

}  // namespace

void cmd_exclusive_header(Track& t) {
  uint8_t* h = t.st.exclusiveHeader;
  h[0] = take8(t);
  h[1] = take8(t);
  h[2] = take8(t);
  h[3] = 0x12;  // data set
}

void cmd_exclusive(Track& t) {
  const int64_t first = t.offset;
  // The image ends in 0xFF padding, so the end byte is always found inside
  // it; an offset outside the image reads as that end byte at once.
  const uint8_t* data = nullptr;
  int64_t count = 0;
  if (first >= 0 && static_cast<uint64_t>(first) < t.img.bytes.size()) {
    data = t.img.bytes.data() + first;
    const size_t left = t.img.bytes.size() - static_cast<size_t>(first);
    count = static_cast<const uint8_t*>(std::memchr(data, kEnd, left)) - data;
  }
  TrackState& st = t.st;
  ensure_room(t.tb, static_cast<size_t>(count) + 24);
  uint8_t* out = write_ptr(t.tb);
  size_t n = write_vlq(out, st.pendingDelta);
  out[n++] = kSysEx;
  n += write_vlq(out + n, static_cast<int32_t>(4 + count + 1));
  for (int i = 0; i < 4; ++i) out[n++] = exclusive_data_byte(st.exclusiveHeader[i]);
  for (int64_t i = 0; i < count; ++i) out[n++] = exclusive_data_byte(data[i]);
  out[n++] = kEndOfExclusive;
  t.tb.pos += n;
  t.offset = first + count + 1;
  st.pendingDelta = 0;
  reset_track_status(t);
}

// The bytes go out as the driver sends them: channel messages under their
// own running status (carried from one EC block to the next), exclusive
// messages collected up to their F7 even across blocks. System bytes other
// than F0 and a closing F7 start nothing: they and the data bytes after them
// are dropped until the next status byte.
void cmd_raw_midi(Track& t) {
  int32_t n = take16(t);
  TrackState& st = t.st;
  // Each input byte writes at most one event of up to 7 bytes.
  ensure_room(t.tb, static_cast<size_t>(n) * 7 + 16);
  auto data_left = [&] { return n > 0 && zbyte(t.img, t.offset) < 0x80; };
  while (n > 0) {
    const uint8_t b = zbyte(t.img, t.offset);
    if (b & 0x80) {
      ++t.offset;
      --n;
      if (b == kEndOfExclusive && st.rawStatus == kSysEx) {
        write_raw_exclusive(t);
        continue;
      }
      st.rawStatus = (b <= 0xEF || b == kSysEx) ? b : 0;
      st.rawBuffer.clear();
      continue;
    }
    if (st.rawStatus == 0) {  // no status yet: the byte is dropped
      ++t.offset;
      --n;
      continue;
    }
    if (st.rawStatus == kSysEx) {
      while (n > 0 && zbyte(t.img, t.offset) != kEndOfExclusive) {
        st.rawBuffer.push_back(zbyte(t.img, t.offset));
        ++t.offset;
        --n;
      }
      if (n > 0) {  // the F7
        ++t.offset;
        --n;
        write_raw_exclusive(t);
      }
      continue;
    }
    const int high = st.rawStatus & 0xF0;
    if (high == 0xC0 || high == 0xD0) {
      const uint8_t d = take8(t);
      --n;
      t.tb.pos += put_event1(t.s.running, write_ptr(t.tb), st.pendingDelta, st.rawStatus, d);
      st.pendingDelta = 0;
      st.rawBuffer.clear();
      continue;
    }
    while (st.rawBuffer.size() < 2 && data_left()) {
      st.rawBuffer.push_back(take8(t));
      --n;
    }
    if (st.rawBuffer.size() == 2) {
      t.tb.pos += put_event2(t.s.running, write_ptr(t.tb), st.pendingDelta, st.rawStatus,
                             st.rawBuffer[0], st.rawBuffer[1]);
      st.pendingDelta = 0;
      st.rawBuffer.clear();
    }
  }
  if (zbyte(t.img, t.offset) != 0xEC) st.rawStatus = 0;
}

}  // namespace orvo
