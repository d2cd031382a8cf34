// The switches that shape the music of a conversion, with the command line's
// defaults.
#pragma once

#include <cstdint>

namespace orvo {

struct MusicOptions {
  int32_t track_buffer_kb = 16;  // -t: initial size of every track buffer
  uint8_t timer_a = 0;           // -A: tempo commands in tracks use TIMER-A units
  int8_t init_gap = -1;          // -I[n]: -1 none, else ticks between init events
  int8_t keyoff_skip = 0;        // -R[n]: key-off omission after @R; -1 without a number
  int8_t bend_interval = 1;      // -B: clocks between generated curve steps, 1..127
  int8_t excl_wait = 0;          // -X: wait after each common-section exclusive message
  int32_t loop_count = 2;        // -L: times [do]..[loop] is unrolled
  uint8_t convert_fm = 0;        // -m: convert FM tracks too
  uint8_t running_status = 1;    // -s -> 0: performance tracks without running status
  uint8_t auto_loop = 0;         // -J: loop counts follow the longest track
  int8_t fade_speed = 10;        // -F: fade-out speed after the unrolled loop
  int32_t fade_delay = 0;        // -D: ticks before the fade-out starts
  uint8_t round_tempo = 0;       // -U: tempo values rounded to nearest
};

}  // namespace orvo
