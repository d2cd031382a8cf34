// Writes the songs of the Python tests and benchmark into a folder, with
// the test ZMD builder: the benchmark's songs (the typical song, and small
// ones of modulation, tempo changes, synchronisation and marks) and
// generated songs of one to four looped tracks. songs.tsv lists the
// benchmark's songs with the switches they are converted with.
//   orvo_write_songs DIR [GENERATED]   (GENERATED songs gen000.zmd..., default 200)
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "songs.h"
#include "support/zmd_builder.h"

namespace {

using orvo::test::Bytes;

// One to four MIDI tracks of a [do]..[loop] of 20 + seed notes.
Bytes generated_song(int seed) {
  orvo::test::ZmdBuilder zmd;
  zmd.tempo(static_cast<uint16_t>(100 + seed % 100)).title("song " + std::to_string(seed));
  for (int ch = 0; ch < 1 + seed % 4; ++ch) {
    Bytes t{0xC0, 9};  // [do]
    for (int n = 0; n < 20 + seed; ++n) {
      t.insert(t.end(), {static_cast<uint8_t>(48 + (n * 7 + seed) % 24), 24, 20});
    }
    t.insert(t.end(), {0xC0, 10});  // [loop]
    zmd.track(static_cast<uint8_t>(orvo::test::kMidi1 + ch), t);
  }
  return zmd.build();
}

bool write(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2 || argc > 3) {
    std::fprintf(stderr, "usage: orvo_write_songs DIR [GENERATED]\n");
    return 2;
  }
  const std::string dir = argv[1];
  const int generated = argc == 3 ? std::atoi(argv[2]) : 200;
  const std::vector<std::pair<std::string, orvo::bench::Song>> songs{
      {"typical.zmd", orvo::bench::typical_song()},
      {"modulation.zmd", orvo::bench::modulation_song(4)},
      {"tempo.zmd", orvo::bench::tempo_changes(300)},
      {"sync.zmd", orvo::bench::sync_points(100)},
      {"marks.zmd", orvo::bench::at_marks(100)},
  };
  std::ofstream list(dir + "/songs.tsv");
  bool ok = static_cast<bool>(list);
  for (const auto& [file, song] : songs) {
    ok = write(dir + "/" + file, song.zmd) && ok;
    std::string switches;
    for (const std::string& arg : song.args) switches += (switches.empty() ? "" : " ") + arg;
    list << file << '\t' << switches << '\n';
  }
  for (int seed = 0; seed < generated; ++seed) {
    char name[32];
    std::snprintf(name, sizeof name, "/gen%03d.zmd", seed);
    ok = write(dir + name, generated_song(seed)) && ok;
  }
  list.close();
  if (!ok || !list) {
    std::fprintf(stderr, "orvo_write_songs: cannot write into %s\n", dir.c_str());
    return 1;
  }
  return 0;
}
