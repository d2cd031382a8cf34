#include "zmd/common_scan.h"

#include <algorithm>
#include <cstdint>
#include <optional>

namespace orvo {

namespace {

// Far more commands than any song's common section holds; only a crafted
// file reaches it.
constexpr int kMaxCommands = 1 << 20;

// The offset after a 0-terminated string at `p`; nothing when the data ends
// first.
std::optional<int64_t> after_string(const ZmdImage& img, int64_t p) {
  while (in_data(img, p, 1)) {
    if (img.bytes[static_cast<size_t>(p)] == 0) return p + 1;
    ++p;
  }
  return std::nullopt;
}

std::optional<int64_t> after_fixed(const ZmdImage& img, int64_t p, int64_t count) {
  if (!in_data(img, p, count)) return std::nullopt;
  return p + count;
}

// 0x18: a count, then exclusive messages; the walk of each message is the
// one the conductor writer makes, so both end at the same byte.
std::optional<int64_t> after_exclusive_block(const ZmdImage& img, int64_t p) {
  if (!in_data(img, p, 2)) return std::nullopt;
  int64_t remaining = zbe16(img, p);
  p += 2;
  if (!in_data(img, p, remaining)) return std::nullopt;
  int64_t q = p;
  do {
    const int64_t begin = q;
    int64_t leading_f0 = 0;
    if (zbyte(img, q) == 0xF0) {
      ++q;
      leading_f0 = 1;
    }
    const int64_t body = q;
    while (zbyte(img, q) != 0xF7 && q - begin < remaining) ++q;
    if (zbyte(img, q) == 0xF7) ++q;
    remaining -= (q - body) + leading_f0;
  } while (remaining > 0);
  return q;
}

// 0x40: 19 bytes, a flag, and a name when the flag is not 0.
std::optional<int64_t> after_adpcm_config(const ZmdImage& img, int64_t p) {
  if (!in_data(img, p, 21)) return std::nullopt;
  const uint16_t has_name = zbe16(img, p + 19);
  p += 21;
  return has_name != 0 ? after_string(img, p) : p;
}

// 0x4A: six bytes whose first two count the 16-bit samples that follow.
std::optional<int64_t> after_waveform(const ZmdImage& img, int64_t p) {
  if (!in_data(img, p, 6)) return std::nullopt;
  return after_fixed(img, p + 6, int64_t{2} * zbe16(img, p));
}

}  // namespace

std::vector<std::string> mdd_names(const ZmdImage& img) {
  std::vector<std::string> names;
  int64_t p = 8;
  for (int commands = 0; commands < kMaxCommands && zbyte(img, p) != 0xFF; ++commands) {
    const uint8_t opcode = zbyte(img, p++);
    std::optional<int64_t> next = p;
    switch (opcode) {
      case 0x04:
      case 0x1B:
        next = after_fixed(img, p, 56);
        break;
      case 0x05:
        next = after_fixed(img, p, 2);
        break;
      case 0x18:
        next = after_exclusive_block(img, p);
        break;
      case 0x40:
        next = after_adpcm_config(img, p);
        break;
      case 0x42:
        next = after_fixed(img, p, 5);
        break;
      case 0x4A:
        next = after_waveform(img, p);
        break;
      case 0x62:
        next = after_string(img, p);
        if (next) {
          std::string name(reinterpret_cast<const char*>(img.bytes.data()) + p,
                            static_cast<size_t>(*next - 1 - p));
          if (std::find(names.begin(), names.end(), name) == names.end()) {
            names.push_back(std::move(name));
          }
        }
        break;
      case 0x60:
      case 0x61:
      case 0x63:
      case 0x7F:
        next = after_string(img, p);
        break;
      default:  // 0x15 and the opcodes the driver does not know: no operands
        break;
    }
    if (!next) break;
    p = *next;
  }
  return names;
}

}  // namespace orvo
