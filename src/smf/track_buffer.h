// A growable byte array holding exactly one MTrk chunk while it is built.
#pragma once

#include <cstddef>
#include <cstdint>

#include "run/byte_store.h"

namespace orvo {

struct TrackBuffer {
  ByteStore bytes;             // storage; may move whenever it grows
  size_t pos = 0;              // write position: offset of the next byte
  int64_t kb = 0;              // capacity in KB, as the converter counts it
};

// Bytes kept free before each source command is interpreted.
constexpr size_t kCommandMargin = 4096;

// Allocates `kb` KB (at least one KB, so the chunk header always fits).
void allocate_track_buffer(TrackBuffer& tb, int64_t kb);

// Writes "MTrk" and a length placeholder; the write position follows them.
void open_chunk(TrackBuffer& tb);

// Growth rule of the converters, applied before each source command: when
// fewer than 4096 bytes remain free, the capacity grows by 16 KB.
void make_room(TrackBuffer& tb);

// Grows the buffer in 16 KB steps until `extra` more bytes fit behind the
// write position.
void grow_track_buffer(TrackBuffer& tb, size_t extra);

// Makes sure `extra` more bytes fit behind the write position; for commands
// that may write more than the margin. Checked before nearly every event,
// hence inline.
inline void ensure_room(TrackBuffer& tb, size_t extra) {
  if (tb.pos + extra > tb.bytes.size()) grow_track_buffer(tb, extra);
}

// Appends the end-of-track event at `delta`, stores the chunk length and
// returns the chunk size (length + 8).
size_t close_chunk(TrackBuffer& tb, int32_t delta);

// Chunk length field of a closed buffer (bytes after the 8-byte header).
uint32_t chunk_length(const TrackBuffer& tb);

// Address of the write position.
inline uint8_t* write_ptr(TrackBuffer& tb) { return tb.bytes.data() + tb.pos; }

}  // namespace orvo
