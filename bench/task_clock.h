// The whole-process target of the real-shaped song, measured as a user
// measures a program: `perf stat -r 40 -e task-clock`, orvo converting the
// song and an empty C++ program built the compiler's default way, in turn.
#pragma once

#include <string>

namespace orvo::bench {

// Writes the real-shaped song into the current folder, runs both programs
// under perf stat round after round and prints their task clocks and the
// median ratio. Without perf on the PATH it says so and measures nothing.
void run_task_clock_target(const std::string& orvo, const std::string& empty_default);

}  // namespace orvo::bench
