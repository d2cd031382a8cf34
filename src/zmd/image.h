// The loaded source: every byte of the file followed by four 0xFF bytes.
// All reads go through the accessors here, which see 0xFF outside the data,
// so no offset taken from the file can reach foreign memory.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "run/byte_store.h"

namespace orvo {

struct ZmdImage {
  ByteStore bytes;             // the file's bytes, then the 0xFF padding
  size_t size = 0;             // number of bytes that came from the file
};

constexpr size_t kImagePadding = 4;

// Builds an image from the first `size` bytes of `data`, the file's bytes
// as they were read, and writes the padding behind them; `data` is taken
// over, not copied, and grows only when it has no room for the padding.
ZmdImage make_image(ByteStore data, size_t size);

// Builds an image from a copy of the file's bytes.
ZmdImage make_image(const std::vector<uint8_t>& data);

inline uint8_t zbyte(const ZmdImage& img, int64_t offset) {
  if (offset < 0 || static_cast<uint64_t>(offset) >= img.bytes.size()) return 0xFF;
  return img.bytes[static_cast<size_t>(offset)];
}

inline uint16_t zbe16(const ZmdImage& img, int64_t offset) {
  return static_cast<uint16_t>((zbyte(img, offset) << 8) | zbyte(img, offset + 1));
}

inline uint32_t zbe32(const ZmdImage& img, int64_t offset) {
  return (static_cast<uint32_t>(zbe16(img, offset)) << 16) | zbe16(img, offset + 2);
}

// True when `count` bytes from `offset` all lie inside the file's data.
inline bool in_data(const ZmdImage& img, int64_t offset, int64_t count) {
  return offset >= 0 && count >= 0 && static_cast<uint64_t>(offset + count) <= img.size;
}

}  // namespace orvo
