// The conversion benchmark. First the targets measured on whole processes
// (whole_runs.h): the huge song against a naive encoder, a typical song
// against an empty program, and peak memory; then the real-shaped song
// against the empty program by the kernel's task clock (task_clock.h). Then the songs converted
// in-process several times: the MIDI bytes written, the wall time of the
// whole conversion, its throughput and the time of each post-conversion
// pass (medians over the runs).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "driver/run_orvo.h"
#include "run/pass_times.h"
#include "songs.h"
#include "task_clock.h"
#include "whole_runs.h"

namespace {

using orvo::bench::Song;

// At least this many runs of each song, and more for short ones until they
// have taken about half a second, so that millisecond figures are steady.
constexpr int kRuns = 5;
constexpr int kMaxRuns = 201;
constexpr double kSecondsPerSong = 0.5;

struct Figures {
  long bytes = 0;
  double wall = 0;
  orvo::PassTimes passes;
};

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Runs in the benchmark's folder: a source named from the root would read as
// a switch ('/' introduces switches too).
Figures convert_once(const Song& in) {
  const std::string source = "song.zmd";
  if (std::FILE* f = std::fopen(source.c_str(), "wb")) {
    std::fwrite(in.zmd.data(), 1, in.zmd.size(), f);
    std::fclose(f);
  }
  std::vector<std::string> args{"orvo"};
  args.insert(args.end(), in.args.begin(), in.args.end());
  args.push_back("-c");
  args.push_back(source);
  std::vector<const char*> argv;
  for (const std::string& a : args) argv.push_back(a.c_str());

  std::FILE* input = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  Figures fig;
  const auto t0 = std::chrono::steady_clock::now();
  const int status =
      orvo::run_orvo(orvo::Console{input, out, err}, static_cast<int>(argv.size()), argv.data(),
                     &fig.passes);
  fig.wall = seconds_since(t0);
  std::fseek(out, 0, SEEK_END);
  fig.bytes = std::ftell(out);
  if (status != 0) std::fprintf(stderr, "%s: conversion ended with status %d\n", in.name.c_str(), status);
  std::fclose(input);
  std::fclose(out);
  std::fclose(err);
  return fig;
}

// The run with the median wall time.
Figures measure(const Song& in) {
  std::vector<Figures> runs;
  double spent = 0;
  while (static_cast<int>(runs.size()) < kRuns ||
         (spent < kSecondsPerSong && static_cast<int>(runs.size()) < kMaxRuns)) {
    runs.push_back(convert_once(in));
    spent += runs.back().wall;
  }
  std::sort(runs.begin(), runs.end(), [](const Figures& a, const Figures& b) { return a.wall < b.wall; });
  return runs[runs.size() / 2];
}

void print_row(const Song& in, const Figures& f) {
  std::printf("%-28s %12ld %9.4f %9.1f %9.4f %9.4f %9.4f %9.4f\n", in.name.c_str(), f.bytes, f.wall,
              static_cast<double>(f.bytes) / 1e6 / f.wall, f.passes.synchronise, f.passes.loops,
              f.passes.tempo, f.passes.marks);
}

// The real-shaped song, converted as the other songs are: its row of the
// table, and its figures for the target line.
Figures measure_real_shaped_song() {
  const Song song = orvo::bench::real_shaped_song();
  const Figures f = measure(song);
  print_row(song, f);
  return f;
}

}  // namespace

// With the argument "whole", only the whole-process targets run; with
// "real", only the real-shaped song's two measurements.
int main(int argc, char** argv) {
  std::random_device rd;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("orvo-bench-" + std::to_string(rd()));
  std::filesystem::create_directories(dir);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);

  const std::string only = argc > 1 ? argv[1] : "";
  if (only == "real") {
    orvo::bench::run_task_clock_target(ORVO_EXECUTABLE, ORVO_EMPTY_PROGRAM_DEFAULT);
    std::printf("\n");
    const Figures real = measure_real_shaped_song();
    std::printf("real-shaped song: %.1f MB/s in-process (target: at least 150)\n",
                static_cast<double>(real.bytes) / 1e6 / real.wall);
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
    return 0;
  }
  orvo::bench::run_whole_process_targets({ORVO_EXECUTABLE, ORVO_NAIVE_ENCODER, ORVO_EMPTY_PROGRAM,
                                          ORVO_EMPTY_PROGRAM_DEFAULT});
  orvo::bench::run_task_clock_target(ORVO_EXECUTABLE, ORVO_EMPTY_PROGRAM_DEFAULT);
  if (only == "whole") {
    std::filesystem::current_path(previous);
    std::filesystem::remove_all(dir);
    return 0;
  }

  std::printf("\nin-process conversions: median of %d or more runs; times in seconds, MB = 10^6 bytes "
              "of MIDI written\n\n",
              kRuns);
  std::printf("%-28s %12s %9s %9s %9s %9s %9s %9s\n", "input", "MIDI bytes", "wall", "MB/s", "sync",
              "-J", "tempo", "marks");
  using namespace orvo::bench;
  const Song inputs[] = {modulation_song(5000), tempo_changes(10000), tempo_changes(100000),
                         sync_points(1000),     sync_points(10000),   at_marks(1000),
                         at_marks(10000)};
  std::vector<Figures> figures;
  for (const Song& in : inputs) {
    figures.push_back(measure(in));
    print_row(in, figures.back());
  }
  const Figures real = measure_real_shaped_song();

  std::printf("\nmodulation song: %.1f MB/s (target: at least 100)\n",
              static_cast<double>(figures[0].bytes) / 1e6 / figures[0].wall);
  std::printf("real-shaped song: %.1f MB/s in-process (target: at least 150)\n",
              static_cast<double>(real.bytes) / 1e6 / real.wall);
  std::printf("100000 tempo changes: %.4f s (target: under 0.3)\n", figures[2].wall);
  const auto ratio = [&](size_t big, size_t small) { return figures[big].wall / figures[small].wall; };
  std::printf("ten times the events costs: tempo %.1fx, sync %.1fx, marks %.1fx (target: about 12x at most)\n",
              ratio(2, 1), ratio(4, 3), ratio(6, 5));
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(dir);
  return 0;
}
