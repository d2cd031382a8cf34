// The benchmark's whole-process figures: each program is started as a user
// or a script starts it, and its CPU time, wall time and peak memory come
// from the operating system's accounting of the finished child.
#pragma once

#include <string>

namespace orvo::bench {

struct Programs {
  std::string orvo;   // the release executable
  std::string naive;  // the naive encoder
  std::string empty;  // the empty C++ program, linked as orvo is
  std::string empty_default;  // the same program linked as the compiler does by default
};

// Writes the songs and the random file into the current folder, runs the
// three targets and prints their figures and ratios.
void run_whole_process_targets(const Programs& programs);

}  // namespace orvo::bench
