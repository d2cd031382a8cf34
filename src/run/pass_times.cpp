#include "run/pass_times.h"

#include <chrono>

namespace orvo {

double pass_clock() {
  return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

void add_pass_time(PassTimes* times, double PassTimes::*slot, double started) {
  if (times != nullptr) times->*slot += pass_clock() - started;
}

}  // namespace orvo
