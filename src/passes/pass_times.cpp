#include "passes/pass_times.h"

#include <chrono>

namespace orvo {

PassTimes* pass_times = nullptr;

double pass_clock() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void add_pass_time(double PassTimes::*slot, double started) {
  if (pass_times != nullptr) pass_times->*slot += pass_clock() - started;
}

}  // namespace orvo
