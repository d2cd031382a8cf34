// The baseline of the benchmark: a naive encoder that writes a given number
// of bytes of note events (a delta time and three bytes each) into one
// buffer and then writes the buffer to a file.
//
//   orvo_naive_encoder BYTES FILE
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <vector>

namespace {

size_t put_vlq(uint8_t* out, uint32_t value) {
  uint8_t groups[4];
  size_t n = 0;
  do {
    groups[n++] = static_cast<uint8_t>(value & 0x7F);
    value >>= 7;
  } while (value > 0 && n < 4);
  for (size_t i = 0; i < n; ++i) out[i] = static_cast<uint8_t>(groups[n - 1 - i] | (i + 1 < n ? 0x80 : 0));
  return n;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) return 2;
  const size_t size = std::strtoull(argv[1], nullptr, 10);
  std::vector<uint8_t> buffer(size + 8);
  size_t pos = 0;
  for (uint32_t i = 0; pos + 4 <= size; ++i) {
    pos += put_vlq(buffer.data() + pos, i % 97);
    buffer[pos++] = static_cast<uint8_t>(0x90 | (i & 0x0F));
    buffer[pos++] = static_cast<uint8_t>(36 + i % 48);
    buffer[pos++] = static_cast<uint8_t>((i & 1) != 0 ? 0 : 100);
  }
  while (pos < size) buffer[pos++] = 0;
  std::FILE* out = std::fopen(argv[2], "wb");
  if (out == nullptr) return 1;
  const bool written = std::fwrite(buffer.data(), 1, size, out) == size;
  return std::fclose(out) == 0 && written ? 0 : 1;
}
