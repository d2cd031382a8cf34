// Runs programs as whole processes, the way a user or a script starts them,
// and reads the operating system's accounting of each finished run.
#pragma once

#include <string>
#include <vector>

namespace orvo::bench {

struct ProcessRun {
  double cpu = 0;      // user + system seconds of the child
  double wall = 0;     // seconds from start to exit
  long peak_kb = 0;    // largest resident set of the child, in KiB
  int status = -1;     // exit status, -1 when it did not exit normally
};

// Starts argv[0] with the given arguments, standard input from /dev/null and
// standard output and error thrown away, and waits for it.
ProcessRun run_process(const std::vector<std::string>& argv);

// The median of a list of figures (the list is reordered).
double median(std::vector<double> values);

}  // namespace orvo::bench
