// Seconds spent in each post-conversion pass, for the benchmark.
#pragma once

namespace orvo {

struct PassTimes {
  double synchronise = 0;  // both synchronisations, when -J runs a second
  double loops = 0;        // the -J re-conversion of the tracks
  double tempo = 0;
  double marks = 0;
};

// Where the driver adds the time of each pass it runs; null (the default)
// times nothing. Only the benchmark sets it.
extern PassTimes* pass_times;

// Seconds on a steady clock.
double pass_clock();

// Adds the time since `started` (a pass_clock reading) to `slot` of
// *pass_times, when it is set.
void add_pass_time(double PassTimes::*slot, double started);

}  // namespace orvo
