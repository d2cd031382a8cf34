// The library's benchmark: the typical song converted in a warm process
// through the C API and through the engine entry the programs use, in turn,
// round after round; the ratio of the two is the API's cost. With a path
// argument, also writes the typical song there (for the Python benchmark).
#include <chrono>
#include <cstdio>
#include <memory>
#include <vector>

#include "engine/convert_song.h"
#include "engine/midi_file.h"
#include "orvo/orvo.h"
#include "processes.h"
#include "songs.h"

namespace {

constexpr int kRounds = 41;
constexpr int kPerRound = 20;  // conversions timed together, so that a round lasts some milliseconds

double now() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
}

// What the programs do with a song they have read: an image of its bytes,
// the conversion, its messages.
size_t engine_conversion(const std::vector<uint8_t>& zmd, const orvo::MusicOptions& options) {
  auto s = std::make_unique<orvo::Session>();
  size_t bytes = 0;
  orvo::run_conversion(*s, [&] {
    orvo::report_banner(s->err);
    const orvo::ZmdImage image = orvo::make_image(zmd);
    orvo::SongInput in;
    in.image = &image;
    in.name = "song.zmd";
    auto c = std::make_unique<orvo::Conversion>();
    orvo::convert_song(*s, in, options, *c);
    uint8_t header[orvo::kMthdBytes];
    bytes = orvo::midi_file_size(orvo::midi_file_pieces(*c, header));
  });
  return bytes;
}

size_t api_conversion(const std::vector<uint8_t>& zmd, const orvo_options* options) {
  orvo_input input{sizeof(orvo_input), zmd.data(), zmd.size(), "song.zmd", nullptr, 0, nullptr, 0};
  orvo_result* result = nullptr;
  orvo_convert(&input, options, nullptr, &result);
  size_t bytes = 0;
  orvo_result_midi(result, &bytes);
  orvo_result_free(result);
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  const orvo::bench::Song song = orvo::bench::typical_song();
  if (argc > 1) {
    std::FILE* f = std::fopen(argv[1], "wb");
    if (f == nullptr || std::fwrite(song.zmd.data(), 1, song.zmd.size(), f) != song.zmd.size()) return 1;
    std::fclose(f);
  }
  orvo::MusicOptions music;
  music.convert_fm = 1;  // the typical song is converted with -m
  orvo_options* options = orvo_options_new();
  orvo_options_set(options, "convert_fm", 1);

  if (engine_conversion(song.zmd, music) != api_conversion(song.zmd, options)) {
    std::printf("the C API and the engine wrote different sizes\n");
    return 1;
  }
  std::vector<double> engine_times, api_times, ratios;
  for (int round = 0; round < kRounds + 1; ++round) {
    double t0 = now();
    for (int i = 0; i < kPerRound; ++i) engine_conversion(song.zmd, music);
    const double engine = (now() - t0) / kPerRound;
    t0 = now();
    for (int i = 0; i < kPerRound; ++i) api_conversion(song.zmd, options);
    const double api = (now() - t0) / kPerRound;
    if (round == 0) continue;  // warm-up
    engine_times.push_back(engine);
    api_times.push_back(api);
    ratios.push_back(api / engine);
  }
  orvo_options_free(options);
  using orvo::bench::median;
  std::printf("\nthe library: the typical song (-m) in a warm process, median of %d rounds of %d conversions\n\n",
              kRounds, kPerRound);
  std::printf("    engine entry (the programs' path)   %8.3f ms\n", median(engine_times) * 1e3);
  std::printf("    orvo_convert (the C API)            %8.3f ms\n\n", median(api_times) * 1e3);
  std::printf("    orvo_convert takes %.3f x the engine entry's time (target: at most 1.05)\n", median(ratios));
  return 0;
}
