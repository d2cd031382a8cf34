// The conversion benchmark: generates its songs with the test ZMD builder,
// converts each one in-process several times and reports the MIDI bytes
// written, the wall time of the whole conversion, its throughput and the
// time of each post-conversion pass (medians over the runs).
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "run/pass_times.h"
#include "support/zmd_builder.h"

namespace {

using orvo::test::Bytes;
using orvo::test::ZmdBuilder;

// At least this many runs of each song, and more for short ones until they
// have taken about half a second, so that millisecond figures are steady.
constexpr int kRuns = 5;
constexpr int kMaxRuns = 201;
constexpr double kSecondsPerSong = 0.5;

struct Input {
  std::string name;
  Bytes zmd;
  std::vector<std::string> args;
};

struct Figures {
  long bytes = 0;
  double wall = 0;
  orvo::PassTimes passes;
};

void be16(Bytes& out, int v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

// Sixteen MIDI tracks of long notes under pitch modulation: a pitch bend on
// every clock at -B1.
Input modulation_song(int notes_per_track) {
  ZmdBuilder zmd;
  zmd.tempo(120);
  for (int ch = 0; ch < 16; ++ch) {
    Bytes t{0xD6};                      // speeds: pitch 8, controller unchanged
    be16(t, 8);
    be16(t, 0);
    t.insert(t.end(), {0x98, 0x00, 0xFF});  // pitch waveform 0
    t.push_back(0xE6);                  // pitch depth
    be16(t, 0x0400);
    t.insert(t.end(), {0xBB, 0x01});    // pitch modulation on
    for (int n = 0; n < notes_per_track; ++n) {
      t.insert(t.end(), {static_cast<uint8_t>(48 + (n + ch) % 24), 240, 230});
    }
    zmd.track(static_cast<uint8_t>(orvo::test::kMidi1 + ch), t);
  }
  return {"modulation, 16 tracks, -B1", zmd.build(), {"-B1"}};
}

// One track changing the tempo on every clock; a second one plays along.
Input tempo_changes(int changes) {
  Bytes t;
  for (int i = 0; i < changes; ++i) {
    t.push_back(0x91);
    be16(t, 100 + i % 50);
    t.insert(t.end(), {0x80, 1, 0});  // a rest of one clock
  }
  Bytes melody;
  for (int i = 0; i < changes / 48; ++i) melody.insert(melody.end(), {60, 48, 40});
  return {std::to_string(changes) + " tempo changes",
          ZmdBuilder().tempo(120).track(orvo::test::kMidi1, t).track(orvo::test::kMidi1 + 1, melody).build(),
          {}};
}

// Track 1 signals track 2 before each of its notes; track 2 waits for it.
Input sync_points(int points) {
  Bytes signaller, waiter;
  for (int i = 0; i < points; ++i) {
    signaller.insert(signaller.end(), {0xAF, 1, 60, 12, 10});
    waiter.insert(waiter.end(), {0x83, 64, 6, 5});
  }
  return {std::to_string(points) + " sync points",
          ZmdBuilder().track(orvo::test::kMidi1, signaller).track(orvo::test::kMidi1 + 1, waiter).build(),
          {}};
}

// A [@] before every note of one track, beside three plain tracks.
Input at_marks(int marks) {
  ZmdBuilder zmd;
  Bytes marked;
  for (int i = 0; i < marks; ++i) marked.insert(marked.end(), {0xC0, 0x0C, 60, 12, 10});
  zmd.track(orvo::test::kMidi1, marked);
  for (int ch = 1; ch < 4; ++ch) {
    Bytes plain;
    for (int i = 0; i < marks; ++i) plain.insert(plain.end(), {static_cast<uint8_t>(60 + ch), 12, 10});
    zmd.track(static_cast<uint8_t>(orvo::test::kMidi1 + ch), plain);
  }
  return {std::to_string(marks) + " [@] marks", zmd.build(), {}};
}

double seconds_since(std::chrono::steady_clock::time_point t0) {
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
}

// Runs in the benchmark's folder: a source named from the root would read as
// a switch ('/' introduces switches too).
Figures convert_once(const Input& in) {
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
Figures measure(const Input& in) {
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

void print_row(const Input& in, const Figures& f) {
  std::printf("%-28s %12ld %9.4f %9.1f %9.4f %9.4f %9.4f %9.4f\n", in.name.c_str(), f.bytes, f.wall,
              static_cast<double>(f.bytes) / 1e6 / f.wall, f.passes.synchronise, f.passes.loops,
              f.passes.tempo, f.passes.marks);
}

}  // namespace

int main() {
  std::random_device rd;
  const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("orvo-bench-" + std::to_string(rd()));
  std::filesystem::create_directories(dir);
  const std::filesystem::path previous = std::filesystem::current_path();
  std::filesystem::current_path(dir);

  std::printf("median of %d or more runs; times in seconds, MB = 10^6 bytes of MIDI written\n\n",
              kRuns);
  std::printf("%-28s %12s %9s %9s %9s %9s %9s %9s\n", "input", "MIDI bytes", "wall", "MB/s", "sync",
              "-J", "tempo", "marks");
  const Input inputs[] = {modulation_song(5000), tempo_changes(10000), tempo_changes(100000),
                          sync_points(1000),     sync_points(10000),   at_marks(1000),
                          at_marks(10000)};
  std::vector<Figures> figures;
  for (const Input& in : inputs) {
    figures.push_back(measure(in));
    print_row(in, figures.back());
  }

  std::printf("\nmodulation song: %.1f MB/s (target: at least 100)\n",
              static_cast<double>(figures[0].bytes) / 1e6 / figures[0].wall);
  std::printf("100000 tempo changes: %.4f s (target: under 0.3)\n", figures[2].wall);
  const auto ratio = [&](size_t big, size_t small) { return figures[big].wall / figures[small].wall; };
  std::printf("ten times the events costs: tempo %.1fx, sync %.1fx, marks %.1fx (target: about 12x at most)\n",
              ratio(2, 1), ratio(4, 3), ratio(6, 5));
  std::filesystem::current_path(previous);
  std::filesystem::remove_all(dir);
  return 0;
}
