// The library's benchmark: the typical song converted many times in a warm
// process through the C API, and as many times in others through the
// engine entry the programs use (the file left in pieces, and the file
// copied into one block of memory as the API's result holds it), round after
// round, each path in processes of its own so that none inherits another's
// heap; the ratio of the API to the engine with the file in one block is
// the API's cost. With a path argument, also writes the typical song
// there (for the Python benchmark).
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <memory>
#include <vector>

#include "engine/convert_song.h"
#include "engine/midi_file.h"
#include "orvo/orvo.h"
#include "processes.h"
#include "songs.h"

namespace {

constexpr int kRounds = 15;
constexpr int kPerRun = 300;  // conversions a run times
constexpr int kWarmUp = 20;   // conversions whose cost (and the process's) is taken off

// What the programs do with a song they have read: an image of its bytes,
// the conversion, its messages; the file is left in its pieces, which the
// programs hand to the system in one gathering write. With `one_block`, the
// file is copied into one block of memory that outlives the conversion, as
// a caller of the engine that keeps the file in memory must: what the C
// API's result holds.
size_t engine_conversion(const std::vector<uint8_t>& zmd, const orvo::MusicOptions& options,
                         bool one_block) {
  auto s = std::make_unique<orvo::Session>();
  size_t bytes = 0;
  std::unique_ptr<uint8_t, decltype(&std::free)> file(nullptr, &std::free);
  orvo::run_conversion(*s, [&] {
    orvo::report_banner(s->err);
    const orvo::ZmdImage image = orvo::make_image(zmd);
    orvo::SongInput in;
    in.image = &image;
    in.name = "song.zmd";
    auto c = std::make_unique<orvo::Conversion>();
    orvo::convert_song(*s, in, options, *c);
    uint8_t header[orvo::kMthdBytes];
    const std::vector<orvo::FilePiece> pieces = orvo::midi_file_pieces(*c, header);
    bytes = orvo::midi_file_size(pieces);
    if (one_block) {
      file.reset(static_cast<uint8_t*>(std::malloc(bytes)));
      if (file) orvo::copy_midi_file(pieces, file.get());
    }
  });
  s.reset();
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

// The song's bytes from a file.
std::vector<uint8_t> read_song(const char* name) {
  std::vector<uint8_t> bytes;
  if (std::FILE* f = std::fopen(name, "rb")) {
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, f)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(f);
  }
  return bytes;
}

}  // namespace

int main(int argc, char** argv) {
  orvo::MusicOptions music;
  music.convert_fm = 1;  // the typical song is converted with -m
  orvo_options* options = orvo_options_new();
  orvo_options_set(options, "convert_fm", 1);

  // A run of one path, as a process of its own that reads the song as a
  // client would: its conversions, the warm-up's included.
  const std::string path_name = argc == 4 ? argv[1] : "";
  if (path_name == "engine" || path_name == "block" || path_name == "api") {
    const bool api = path_name == "api";
    const std::vector<uint8_t> zmd = read_song(argv[2]);
    const int count = std::atoi(argv[3]);
    for (int i = 0; i < count; ++i) {
      if (api) {
        api_conversion(zmd, options);
      } else {
        engine_conversion(zmd, music, path_name == "block");
      }
    }
    orvo_options_free(options);
    return 0;
  }
  // The song goes to the file named, else to a file of its own for the
  // runs.
  const orvo::bench::Song song = orvo::bench::typical_song();
  const std::string song_file = argc > 1 ? argv[1] : "/tmp/orvo_api_bench_" + std::to_string(getpid()) + ".zmd";
  {
    std::FILE* f = std::fopen(song_file.c_str(), "wb");
    if (f == nullptr || std::fwrite(song.zmd.data(), 1, song.zmd.size(), f) != song.zmd.size()) return 1;
    std::fclose(f);
  }
  if (engine_conversion(song.zmd, music, true) != api_conversion(song.zmd, options)) {
    std::printf("the C API and the engine wrote different sizes\n");
    return 1;
  }
  orvo_options_free(options);

  // Each path in processes of its own, in turn, so that neither inherits
  // the other's heap: the CPU time of kPerRun conversions, less that of the
  // warm-up alone, per conversion.
  const std::string self = "/proc/self/exe";
  char path[4096];
  const ssize_t length = readlink(self.c_str(), path, sizeof path - 1);
  if (length <= 0) return 1;
  path[length] = '\0';
  const auto per_conversion = [&](const char* which) {
    const orvo::bench::ProcessRun full =
        orvo::bench::run_process({path, which, song_file, std::to_string(kWarmUp + kPerRun)});
    const orvo::bench::ProcessRun warm = orvo::bench::run_process({path, which, song_file, std::to_string(kWarmUp)});
    return (full.cpu - warm.cpu) / kPerRun;
  };
  std::vector<double> engine_times, block_times, api_times, ratios, block_ratios;
  for (int round = 0; round < kRounds; ++round) {
    const double engine = per_conversion("engine");
    const double block = per_conversion("block");
    const double api = per_conversion("api");
    engine_times.push_back(engine);
    block_times.push_back(block);
    api_times.push_back(api);
    if (engine > 0) ratios.push_back(api / engine);
    if (block > 0) block_ratios.push_back(api / block);
  }
  if (argc <= 1) std::remove(song_file.c_str());
  using orvo::bench::median;
  std::printf("\nthe library: the typical song (-m) converted %d times in a warm process of its own for each "
              "path, CPU time per conversion, median of %d rounds\n\n", kPerRun, kRounds);
  std::printf("    engine entry, the file left in pieces (the programs' path)   %8.3f ms\n",
              median(engine_times) * 1e3);
  std::printf("    engine entry, the file copied into one block of memory       %8.3f ms\n",
              median(block_times) * 1e3);
  std::printf("    orvo_convert (the C API)                                     %8.3f ms\n\n",
              median(api_times) * 1e3);
  std::printf("    orvo_convert takes %.3f x the engine entry's time with the file in one block, as the "
              "result holds it (target: at most 1.05)\n", median(block_ratios));
  std::printf("                       %.3f x the engine entry's time with the file in pieces: the API's cost "
              "and that of holding the file in one block together\n", median(ratios));
  return 0;
}
