#include "smf/track_buffer.h"

#include <algorithm>

#include "run/alloc.h"
#include "smf/bytes.h"
#include "smf/vlq.h"

namespace orvo {

namespace {
constexpr int64_t kGrowthKB = 16;
constexpr size_t kEndOfTrackBytes = 4 + 3;  // delta of up to 4 bytes, FF 2F 00

// Memory a new buffer gets at least, whatever -t asks for: the first size
// the growth rule counts. Kept small: a process converting song after song
// (orvo-batch, the library's callers) gets the working memory of each from
// the C library, and when a conversion hands back more than the C library
// keeps, it returns the memory to the system and fetches it anew, page by
// page, for the next song; on several threads each such return also stops
// the other processors. A growing buffer doubles its memory, so copying it
// costs no more than writing its bytes once more.
constexpr size_t kFirstMemory = 16 * 1024;

size_t kb_bytes(int64_t kb) { return static_cast<size_t>(kb) * 1024; }
}  // namespace

void allocate_track_buffer(TrackBuffer& tb, int64_t kb) {
  tb.kb = kb < 1 ? 1 : kb;
  tb.pos = 0;
  xmalloc(tb.bytes, std::max(kb_bytes(tb.kb), kFirstMemory));
  tb.bytes.resize(kb_bytes(tb.kb));  // the capacity the growth rule counts; moves nothing
}

void open_chunk(TrackBuffer& tb) {
  put_be32(tb.bytes.data(), 0x4D54726B);  // "MTrk"
  put_be32(tb.bytes.data() + 4, 0);
  tb.pos = 8;
}

void make_room(TrackBuffer& tb) {
  if (tb.pos + kCommandMargin > kb_bytes(tb.kb)) {
    tb.kb += kGrowthKB;
    xrealloc(tb.bytes, kb_bytes(tb.kb));
  }
}

void grow_track_buffer(TrackBuffer& tb, size_t extra) {
  while (tb.pos + extra > kb_bytes(tb.kb)) tb.kb += kGrowthKB;
  xrealloc(tb.bytes, kb_bytes(tb.kb));
}

size_t close_chunk(TrackBuffer& tb, int32_t delta) {
  ensure_room(tb, kEndOfTrackBytes);
  tb.pos += write_vlq(write_ptr(tb), delta);
  tb.bytes[tb.pos++] = 0xFF;
  tb.bytes[tb.pos++] = 0x2F;
  tb.bytes[tb.pos++] = 0x00;
  put_be32(tb.bytes.data() + 4, static_cast<uint32_t>(tb.pos - 8));
  return tb.pos;
}

uint32_t chunk_length(const TrackBuffer& tb) { return get_be32(tb.bytes.data() + 4); }

}  // namespace orvo
