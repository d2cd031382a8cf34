// Variable-length quantities of the Standard MIDI File.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvo {

// Largest value a 4-byte quantity holds.
constexpr int32_t kVlqMax = 0x0FFFFFFF;

// write_vlq for values of two bytes and more, and for negative values.
size_t write_long_vlq(uint8_t* out, int32_t value);

// Writes `value` (0..0x0FFFFFFF) as 1..4 bytes at `out`; returns the count.
// A negative value is written as the single byte value & 0x7F; a value above
// 0x0FFFFFFF as 0x0FFFFFFF. Most delta times are a clock or a few: one byte,
// written here without a call.
inline size_t write_vlq(uint8_t* out, int32_t value) {
  if (value >= 0 && value < 0x80) {
    out[0] = static_cast<uint8_t>(value);
    return 1;
  }
  return write_long_vlq(out, value);
}

// Reads a quantity at `in` into `value`; returns the bytes consumed. Reads
// until a byte with bit 7 clear; callers bound the bytes they hand it.
size_t read_vlq(const uint8_t* in, int32_t* value);

// Bytes write_vlq would write for `value`: 1..4.
size_t vlq_length(int32_t value);

}  // namespace orvo
