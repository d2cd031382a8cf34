// makecommon: the common-command section becomes the conductor track.
#pragma once

#include <cstddef>
#include <cstdint>

#include "run/session.h"
#include "signature/signature.h"
#include "smf/track_buffer.h"
#include "zmd/image.h"

namespace orvo {

// Song-wide timing the common section sets.
struct TimingRecord {
  int32_t timebase = 192;  // 0x42: clocks per whole note; the division is timebase / 4
  int32_t tempo = 0;       // 0x05: the last tempo met, quarter notes per minute
};

// Converts the section starting at offset 8 into `conductor` (a freshly
// allocated buffer). On return: `chunk_size` is the chunk's total length,
// `read_offset` the offset of the 0xFF ending the section, `timing` holds
// the timebase and tempo, and `start_offset` (W on entry, from -X) the
// clock at which the performance tracks begin.
void makecommon(Session& s, TimingRecord& timing, const ZmdImage& img, TrackBuffer& conductor,
                size_t& chunk_size, int64_t& read_offset, const SignatureData& sig,
                int32_t& start_offset, int8_t init_gap);

// Writes a tempo event (delta, FF 51 03, microseconds per quarter note) at
// `out`; returns the bytes written. Rounds instead of truncating under -U.
size_t puttempo(const Session& s, uint8_t* out, int32_t delta, int32_t tempo);

}  // namespace orvo
