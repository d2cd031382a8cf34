// Seconds spent in each post-conversion pass, for the benchmark.
#pragma once

namespace orvo {

struct PassTimes {
  double synchronise = 0;  // both synchronisations, when -J runs a second
  double loops = 0;        // the -J re-conversion of the tracks
  double tempo = 0;
  double marks = 0;
};

// Seconds on a steady clock.
double pass_clock();

// Adds the time since `started` (a pass_clock reading) to `slot` of *times,
// when the run is timed (times is not null).
void add_pass_time(PassTimes* times, double PassTimes::*slot, double started);

}  // namespace orvo
