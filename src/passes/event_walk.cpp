#include "passes/event_walk.h"

#include <algorithm>
#include <new>

#include "run/exit.h"
#include "smf/bytes.h"
#include "smf/vlq.h"

namespace orvo {

namespace {

constexpr size_t kMaxQuantityBytes = 4;

// Data bytes that follow a channel status.
size_t channel_data_bytes(uint8_t status) {
  const uint8_t kind = status & 0xF0;
  return (kind == 0xC0 || kind == 0xD0) ? 1 : 2;
}

}  // namespace

size_t chunk_end(const TrackBuffer& tb) {
  if (tb.bytes.size() < 8) return tb.bytes.size();
  return std::min(static_cast<size_t>(chunk_length(tb)) + 8, tb.bytes.size());
}

size_t read_delta(const uint8_t* bytes, size_t pos, size_t end, int32_t& value) {
  uint32_t v = 0;
  for (size_t i = 0; i < kMaxQuantityBytes; ++i) {
    if (pos + i >= end) return 0;
    const uint8_t b = bytes[pos + i];
    v = (v << 7) | (b & 0x7Fu);
    if ((b & 0x80) == 0) {
      value = static_cast<int32_t>(v);
      return i + 1;
    }
  }
  return 0;
}

int32_t clamp_delta(int64_t clocks) {
  return static_cast<int32_t>(std::clamp<int64_t>(clocks, 0, kVlqMax));
}

bool read_track_event(const uint8_t* bytes, size_t pos, size_t end, uint8_t& running,
                      WalkEvent& ev) {
  ev = WalkEvent{};
  ev.start = pos;
  const size_t dlen = read_delta(bytes, pos, end, ev.delta);
  if (dlen == 0) return false;
  ev.status_pos = pos + dlen;
  if (ev.status_pos >= end) return false;
  const uint8_t first = bytes[ev.status_pos];
  size_t data = ev.status_pos + 1;
  if (first < 0x80) {
    if (running == 0) {
      ev.stray = true;
      ev.status = first;
      ev.end = data;
      return true;
    }
    ev.status = running;
    ev.running = true;
    data = ev.status_pos;
  } else {
    ev.status = first;
  }

  if (ev.status < 0xF0) {
    ev.end = data + channel_data_bytes(ev.status);
    if (ev.end > end) return false;
    running = ev.status;
    return true;
  }
  if (ev.status == 0xFF || ev.status == 0xF0) {
    const size_t at = ev.status == 0xFF ? data + 1 : data;  // FF: skip the type byte
    int32_t length = 0;
    const size_t llen = read_length(bytes, at, end, length);
    if (llen == 0) return false;
    ev.end = at + llen + static_cast<size_t>(length);
    return ev.end <= end;
  }
  ev.end = data;  // F1..FE: the status byte alone
  return true;
}

void start_chunk(ChunkOut& out, const TrackBuffer& tb, size_t reserve) {
  try {
    out.bytes.clear();
    out.bytes.reserve(std::max<size_t>(reserve, 8));
  } catch (const std::bad_alloc&) {
    fatal_error(10, "malloc failed.\n");
  }
  out.bytes.append(tb.bytes.data(), tb.bytes.data() + 8);
}

void put_byte(ChunkOut& out, uint8_t byte) { out.bytes.push_back(byte); }

void put_delta(ChunkOut& out, int64_t clocks) {
  uint8_t buf[kMaxQuantityBytes];
  const size_t n = write_vlq(buf, clamp_delta(clocks));
  out.bytes.append(buf, buf + n);
}

void put_span(ChunkOut& out, const uint8_t* bytes, size_t from, size_t to) {
  if (to > from) out.bytes.append(bytes + from, bytes + to);
}

size_t finish_chunk(ChunkOut& out, TrackBuffer& tb) {
  const size_t size = out.bytes.size();
  put_be32(out.bytes.data() + 4, static_cast<uint32_t>(size - 8));
  tb.bytes.swap(out.bytes);
  tb.pos = size;
  out.bytes.release();
  return size;
}

}  // namespace orvo
