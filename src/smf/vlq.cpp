#include "smf/vlq.h"

namespace orvo {

size_t write_long_vlq(uint8_t* out, int32_t value) {
  // A MIDI file allows four bytes: anything larger is held at the largest
  // quantity instead of losing its high bits.
  if (value > kVlqMax) value = kVlqMax;
  uint32_t acc = static_cast<uint32_t>(value) & 0x7F;
  int32_t rest = value >> 7;
  while (rest > 0) {
    acc = (acc << 8) | 0x80 | (static_cast<uint32_t>(rest) & 0x7F);
    rest >>= 7;
  }
  size_t written = 0;
  for (;;) {
    const uint8_t byte = static_cast<uint8_t>(acc);
    out[written++] = byte;
    if ((byte & 0x80) == 0) break;
    acc >>= 8;
  }
  return written;
}

size_t read_vlq(const uint8_t* in, int32_t* value) {
  uint32_t v = in[0];
  size_t consumed = 1;
  if (v & 0x80) {
    v &= 0x7F;
    uint8_t byte;
    do {
      byte = in[consumed++];
      v = (v << 7) | (byte & 0x7Fu);
    } while (byte & 0x80);
  }
  *value = static_cast<int32_t>(v);
  return consumed;
}

size_t vlq_length(int32_t value) {
  if (value < 0x80) return 1;
  if (value < 0x4000) return 2;
  if (value <= 0x1FFFFF) return 3;
  return 4;
}

}  // namespace orvo
