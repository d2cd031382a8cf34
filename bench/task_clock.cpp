#include "task_clock.h"

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <vector>

#include "processes.h"
#include "songs.h"

namespace orvo::bench {

namespace {

// Runs of each program per perf stat, and perf stats of each program; the
// two programs alternate, one warm-up round first.
constexpr int kRepeats = 40;
constexpr int kRounds = 7;

std::string find_perf() {
  const char* path = std::getenv("PATH");
  std::stringstream dirs(path != nullptr ? path : "/usr/bin:/bin");
  std::string dir;
  while (std::getline(dirs, dir, ':')) {
    const std::string candidate = (dir.empty() ? "." : dir) + "/perf";
    if (access(candidate.c_str(), X_OK) == 0) return candidate;
  }
  return "";
}

// The mean task clock in milliseconds of `repeats` runs of argv, as perf
// stat reports it in its CSV output (-x,); 0 when it reported none. A
// non-empty `output` is removed before each run (perf's --pre, not
// measured), so that every run writes a new file, as in the other
// whole-process figures.
double task_clock_ms(const std::string& perf, const std::vector<std::string>& argv,
                     const std::string& output) {
  const std::string report = "task-clock.csv";
  std::vector<std::string> cmd{perf, "stat", "-r", std::to_string(kRepeats), "-e", "task-clock",
                               "-x", ",", "-o", report};
  if (!output.empty()) cmd.insert(cmd.end(), {"--pre", "rm -f " + output});
  cmd.push_back("--");
  cmd.insert(cmd.end(), argv.begin(), argv.end());
  std::error_code ec;
  std::filesystem::remove(report, ec);
  run_process(cmd);
  std::ifstream in(report);
  std::string line;
  while (std::getline(in, line)) {
    if (line.find("task-clock") == std::string::npos) continue;
    return std::strtod(line.c_str(), nullptr);
  }
  return 0;
}

}  // namespace

void run_task_clock_target(const std::string& orvo, const std::string& empty_default) {
  const Song song = real_shaped_song();
  if (std::FILE* f = std::fopen("real.zmd", "wb")) {
    std::fwrite(song.zmd.data(), 1, song.zmd.size(), f);
    std::fclose(f);
  }
  std::vector<std::string> convert{orvo};
  convert.insert(convert.end(), song.args.begin(), song.args.end());
  convert.insert(convert.end(), {"real.zmd", "-o", "real.MID"});
  const std::vector<std::string> empty{empty_default};

  std::printf("\nreal-shaped song as a whole process (%zu bytes of ZMD, %s): perf stat -r %d -e "
              "task-clock, each output removed before each run, %d rounds\n",
              song.zmd.size(), song.args.empty() ? "defaults" : song.args[0].c_str(), kRepeats,
              kRounds);
  const std::string perf = find_perf();
  if (perf.empty()) {
    std::printf("real-shaped song, whole process: not measured: perf is not installed (Debian package linux-perf)\n");
    return;
  }
  task_clock_ms(perf, convert, "real.MID");
  task_clock_ms(perf, empty, "");
  std::vector<double> orvo_ms, empty_ms, ratios;
  for (int r = 0; r < kRounds; ++r) {
    orvo_ms.push_back(task_clock_ms(perf, convert, "real.MID"));
    empty_ms.push_back(task_clock_ms(perf, empty, ""));
    if (empty_ms.back() > 0) ratios.push_back(orvo_ms.back() / empty_ms.back());
  }
  std::printf("    orvo, real-shaped song           %8.3f ms task clock (median of the rounds)\n",
              median(orvo_ms));
  std::printf("    empty C++ program, default link  %8.3f ms\n", median(empty_ms));
  std::printf("real-shaped song, whole process: %.2f x the task clock of an empty C++ program built "
              "by default (median of %d rounds of %d runs) (target: at most 3)\n",
              median(ratios), kRounds, kRepeats);
}

}  // namespace orvo::bench
