// Writes the bundled demo song (examples/demo.zmd) from its recipe in the
// test support, so the committed file can always be regenerated.
#include <cstdio>

#include "support/demo_song.h"

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: make_demo OUTPUT.zmd\n");
    return 2;
  }
  const orvo::test::Bytes song = orvo::test::demo_song();
  std::FILE* f = std::fopen(argv[1], "wb");
  if (f == nullptr || std::fwrite(song.data(), 1, song.size(), f) != song.size() || std::fclose(f) != 0) {
    std::fprintf(stderr, "make_demo: cannot write %s\n", argv[1]);
    return 1;
  }
  return 0;
}
