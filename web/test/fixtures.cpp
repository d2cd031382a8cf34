// The browser test's songs and its native timing, built against liborvo.a:
//   orvo_web_fixtures DIR         writes the songs, their signature and MDD
//                                 files, and a damaged file into DIR
//   orvo_web_fixtures --time N    converts the benchmark's typical song N
//                                 times in this process through the C API
//                                 and prints the median and the fastest run
//                                 in milliseconds
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "orvo/orvo.h"
#include "run/cp932.h"
#include "songs.h"
#include "support/zmd_builder.h"

namespace {

using orvo::test::Bytes;
using orvo::test::ZmdBuilder;

Bytes operator+(Bytes a, const Bytes& b) {
  a.insert(a.end(), b.begin(), b.end());
  return a;
}

void write(const std::string& path, const Bytes& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  if (!out) {
    std::fprintf(stderr, "cannot write %s\n", path.c_str());
    std::exit(1);
  }
}

void write(const std::string& path, const std::string& text) { write(path, Bytes(text.begin(), text.end())); }

Bytes notes(int first_key, int count, int step, int gate) {
  Bytes t;
  for (int i = 0; i < count; ++i) {
    t.insert(t.end(), {static_cast<uint8_t>(first_key + (i * 5) % 19), static_cast<uint8_t>(step),
                       static_cast<uint8_t>(gate)});
  }
  return t;
}

void write_songs(const std::string& dir) {
  const std::string sjis_title = orvo::to_cp932("春の海 〜 序");
  // A song with its signature file, paired in another case.
  write(dir + "/SONG1.ZMD", ZmdBuilder().title(sjis_title).tempo(96)
                                 .track(orvo::test::kMidi1, Bytes{0xA0, 74} + notes(60, 24, 48, 40))
                                 .track(orvo::test::kMidi1 + 1, Bytes{0xA0, 1} + notes(48, 12, 96, 90))
                                 .build());
  write(dir + "/song1.sig", orvo::to_cp932("著:作曲者\n楽:尺八\n楽:箏\n拍:3/4\n調:Am\n"));
  // A song naming an MDD file, given in another case.
  write(dir + "/mddsong.zmd", ZmdBuilder().mdd("GS").tempo(140).title("MDD song")
                                  .track(orvo::test::kMidi1 + 2, notes(55, 40, 24, 20))
                                  .build());
  write(dir + "/gs.mdd", std::string("F0 41 10 42 12 40 00 7F 00 41 F7\r\n"));
  // A plain song on three channels, one of them FM (converted with -m only).
  write(dir + "/third.zmd", ZmdBuilder().tempo(120)
                                .track(orvo::test::kFm1, notes(50, 16, 48, 44))
                                .track(orvo::test::kMidi1 + 3, notes(62, 32, 24, 12))
                                .track(orvo::test::kMidi1 + 9, notes(36, 32, 24, 6))
                                .build());
  // Not ZMD data.
  write(dir + "/broken.zmd", std::string("this is no song at all\n"));
  // A song naming an MDD file that is not given.
  write(dir + "/lost.zmd", ZmdBuilder().mdd("NOWHERE").track(orvo::test::kMidi1, notes(60, 4, 48, 40)).build());
  // One track under pitch modulation at -B1, a bend on every clock: its
  // chunk reaches the 16 MiB bound and the track is cut off there.
  write(dir + "/bound.zmd", ZmdBuilder().tempo(150)
                                .track(orvo::test::kMidi1, orvo::bench::pitch_modulation_start() + notes(48, 24000, 240, 230))
                                .build());
  write(dir + "/typical.zmd", orvo::bench::typical_song().zmd);
}

int time_typical(int runs) {
  const Bytes song = orvo::bench::typical_song().zmd;
  orvo_options* options = orvo_options_new();
  if (options == nullptr || orvo_options_parse(options, "-m") != 0) return 1;
  orvo_input input{};
  input.struct_size = sizeof input;
  input.data = song.data();
  input.size = song.size();
  input.name = "typical.zmd";
  std::vector<double> ms;
  size_t size = 0;
  for (int i = 0; i < runs + 5; ++i) {  // five warm-up runs
    orvo_result* result = nullptr;
    const auto start = std::chrono::steady_clock::now();
    const int status = orvo_convert(&input, options, nullptr, &result);
    const auto end = std::chrono::steady_clock::now();
    if (status != 0) return 1;
    orvo_result_midi(result, &size);
    orvo_result_free(result);
    if (i >= 5) ms.push_back(std::chrono::duration<double, std::milli>(end - start).count());
  }
  orvo_options_free(options);
  std::sort(ms.begin(), ms.end());
  std::printf("{\"median_ms\": %.4f, \"min_ms\": %.4f, \"runs\": %d, \"midi_bytes\": %zu}\n", ms[ms.size() / 2],
              ms.front(), runs, size);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--time") return time_typical(std::max(1, std::atoi(argv[2])));
  if (argc == 2) {
    write_songs(argv[1]);
    return 0;
  }
  std::fprintf(stderr, "usage: orvo_web_fixtures DIR | --time RUNS\n");
  return 2;
}
