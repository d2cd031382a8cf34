// Reading finished MTrk chunks event by event, and writing the edited copy
// the passes build in one walk. Every read stays inside the chunk: a
// quantity or event that would run past its end is reported as unreadable.
#pragma once

#include <cstddef>
#include <cstdint>

#include "run/byte_store.h"
#include "smf/track_buffer.h"

namespace orvo {

// One past the last byte of the chunk in `tb`: its length field + 8, held to
// the bytes the buffer really has.
size_t chunk_end(const TrackBuffer& tb);

// Reads a delta time of 1..4 bytes at `pos`, not reading at or past `end`.
// Returns the bytes taken, or 0 when the quantity is longer than 4 bytes or
// runs past `end`.
size_t read_delta(const uint8_t* bytes, size_t pos, size_t end, int32_t& value);

// Reads a length quantity the same way; used for meta and exclusive lengths.
inline size_t read_length(const uint8_t* bytes, size_t pos, size_t end, int32_t& value) {
  return read_delta(bytes, pos, end, value);
}

// A delta time held to what four bytes of a quantity can carry: 0..0x0FFFFFFF.
int32_t clamp_delta(int64_t clocks);

// One event of a performance or conductor chunk, as the walk of a track pass
// sees it.
struct WalkEvent {
  size_t start = 0;       // first byte of the delta time
  size_t status_pos = 0;  // first byte after the delta time
  size_t end = 0;         // one past the event's last byte
  int32_t delta = 0;
  uint8_t status = 0;     // the status in force: the byte written, or the running one
  bool running = false;   // the status byte is omitted
  bool stray = false;     // a data byte with no running status to give it meaning
};

// Reads the event at `pos` of a track chunk. Channel statuses 8n, 9n, An,
// Bn, En have two data bytes, Cn and Dn one; FF is followed by a type byte,
// a length and that many bytes; F0 by a length and that many bytes; F1..FE
// (F7 included) are stepped over by their status byte alone. `running` is
// the walk's running status (0 = none): it remembers channel statuses only.
// A data byte with no running status is a stray event of its delta and that
// one byte. Returns false when the event does not lie wholly inside the chunk.
bool read_track_event(const uint8_t* bytes, size_t pos, size_t end, uint8_t& running,
                      WalkEvent& ev);

inline bool is_end_of_track(const uint8_t* bytes, const WalkEvent& ev) {
  return !ev.stray && ev.status == 0xFF && !ev.running && ev.status_pos + 1 < ev.end &&
         bytes[ev.status_pos + 1] == 0x2F;
}

// The chunk a pass builds: starts as a copy of the 8-byte header.
struct ChunkOut {
  ByteStore bytes;
};

void start_chunk(ChunkOut& out, const TrackBuffer& tb, size_t reserve);
void put_byte(ChunkOut& out, uint8_t byte);
void put_delta(ChunkOut& out, int64_t clocks);
void put_span(ChunkOut& out, const uint8_t* bytes, size_t from, size_t to);

// Stores the length field and makes the built chunk the contents of `tb`;
// returns the chunk size (length + 8).
size_t finish_chunk(ChunkOut& out, TrackBuffer& tb);

}  // namespace orvo
