// The archive benchmark: 2,000 songs written with the test ZMD builder, a
// mix of short and long ones, converted by `orvo-batch -j N` (N: the number
// of processors) and by one `orvo` process after another, both timed as
// whole processes (wall time). Prints both times, their ratio, the target
// of 0.7 x N, the peak memory of each, and checks that both wrote the same
// bytes. orvo-batch -j 1 is timed too: what threads add to converting
// in-process.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "processes.h"
#include "songs.h"
#include "support/zmd_builder.h"

namespace {

namespace fs = std::filesystem;
using orvo::test::Bytes;
using orvo::bench::median;
using orvo::bench::ProcessRun;
using orvo::bench::run_process;
using orvo::test::ZmdBuilder;

constexpr int kSongs = 2000;
constexpr int kLongEvery = 10;  // one song in ten is long
constexpr int kBatchRounds = 3;  // orvo-batch is timed this often; the median is shown

// A few tracks of a few dozen notes, as most songs of an archive are.
Bytes short_song(std::mt19937& random) {
  ZmdBuilder zmd;
  zmd.tempo(static_cast<uint16_t>(90 + random() % 60)).title("short");
  const int tracks = 1 + static_cast<int>(random() % 4);
  for (int ch = 0; ch < tracks; ++ch) {
    Bytes t;
    const int notes = 20 + static_cast<int>(random() % 60);
    for (int n = 0; n < notes; ++n) {
      t.insert(t.end(), {static_cast<uint8_t>(48 + random() % 24), static_cast<uint8_t>(12 + random() % 36), 10});
    }
    zmd.track(static_cast<uint8_t>(orvo::test::kMidi1 + ch), t);
  }
  return zmd.build();
}

// Eight tracks under pitch modulation, a loop each: a pitch bend on every
// clock, a few hundred kilobytes of MIDI.
Bytes long_song(std::mt19937& random) {
  ZmdBuilder zmd;
  zmd.tempo(120).title("long");
  for (int ch = 0; ch < 8; ++ch) {
    Bytes t = orvo::bench::pitch_modulation_start();
    t.insert(t.end(), {0xC0, 9});  // [do]
    const int notes = 100 + static_cast<int>(random() % 200);
    for (int n = 0; n < notes; ++n) {
      t.insert(t.end(), {static_cast<uint8_t>(48 + (n + ch) % 24), 48, 46});
    }
    t.insert(t.end(), {0xC0, 10});  // [loop]
    zmd.track(static_cast<uint8_t>(orvo::test::kMidi1 + ch), t);
  }
  return zmd.build();
}

std::string read_all(const fs::path& p) {
  std::ifstream f(p, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
}

}  // namespace

int main() {
  std::random_device rd;
  const fs::path dir = fs::temp_directory_path() / ("orvo-batch-bench-" + std::to_string(rd()));
  const fs::path songs = dir / "songs";
  fs::create_directories(songs);

  std::mt19937 random(20240601);
  long zmd_bytes = 0;
  std::vector<std::string> names;
  for (int i = 0; i < kSongs; ++i) {
    const Bytes zmd = i % kLongEvery == 0 ? long_song(random) : short_song(random);
    char name[32];
    std::snprintf(name, sizeof name, "%c/song%04d", 'a' + i % 8, i);
    names.push_back(name);
    fs::create_directories(songs / std::string(1, name[0]));
    std::ofstream(songs / (names.back() + ".zmd"), std::ios::binary)
        .write(reinterpret_cast<const char*>(zmd.data()), static_cast<std::streamsize>(zmd.size()));
    zmd_bytes += static_cast<long>(zmd.size());
  }

  const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
  const std::string jobs = std::to_string(processors);
  bool ok = true;
  // orvo-batch with `jobs` jobs: the median wall time of its rounds.
  auto time_batch = [&](const std::string& n, long& peak) {
    std::vector<double> times;
    for (int round = 0; round < kBatchRounds; ++round) {
      fs::remove_all(dir / "batch");
      const ProcessRun batch = run_process({ORVO_BATCH_EXECUTABLE, "-j", n, "--out", (dir / "batch").string(),
                                     songs.string()});
      ok = ok && batch.status == 0;
      times.push_back(batch.wall);
      peak = std::max(peak, batch.peak_kb);
    }
    return median(times);
  };
  long one_job_peak = 0, batch_peak = 0, single_peak = 0;
  const double one_job_time = time_batch("1", one_job_peak);
  const double batch_time = time_batch(jobs, batch_peak);

  // Every song by a process of its own, once: 2,000 process starts are
  // steady enough.
  double single_time = 0;
  for (const std::string& name : names) {
    fs::create_directories(dir / "single" / name.substr(0, 1));
    const ProcessRun one = run_process({ORVO_EXECUTABLE, (songs / (name + ".zmd")).string(), "-o",
                                 (dir / "single" / (name + ".MID")).string()});
    ok = ok && one.status == 0;
    single_time += one.wall;
    single_peak = std::max(single_peak, one.peak_kb);
  }

  long midi_bytes = 0;
  int differ = 0;
  for (const std::string& name : names) {
    const std::string a = read_all(dir / "batch" / (name + ".MID"));
    const std::string b = read_all(dir / "single" / (name + ".MID"));
    midi_bytes += static_cast<long>(a.size());
    if (a.empty() || a != b) ++differ;
  }

  std::printf("%d songs (%d long), %.1f MB of ZMD, %.1f MB of MIDI; wall seconds (orvo-batch: median of %d runs)\n\n",
              kSongs, kSongs / kLongEvery, static_cast<double>(zmd_bytes) / 1e6,
              static_cast<double>(midi_bytes) / 1e6, kBatchRounds);
  std::printf("one orvo process after another   %8.3f s   peak %6ld KB (largest song)\n", single_time, single_peak);
  std::printf("orvo-batch -j 1                  %8.3f s   peak %6ld KB\n", one_job_time, one_job_peak);
  std::printf("orvo-batch -j %-3u                %8.3f s   peak %6ld KB\n", processors, batch_time, batch_peak);
  std::printf("\norvo-batch is %.2fx faster (target: at least 0.7 x %u = %.1fx)\n", single_time / batch_time,
              processors, 0.7 * processors);
  std::printf("same bytes: %s\n", differ == 0 && ok ? "yes" : "NO");
  if (differ != 0) std::printf("%d songs differ or are missing\n", differ);
  if (!ok) std::printf("a run did not end with status 0\n");

  fs::remove_all(dir);
  return differ == 0 && ok ? 0 : 1;
}
