// The command line: switches, file names and the usage text.
#pragma once

#include <cstdint>
#include <string>

#include "driver/session.h"

namespace orvo {

struct ConvertOptions {
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
  std::string source_name;       // first plain argument, or "-" for standard input
  std::string dest_name;         // -o, -c ("-" = standard output)
  std::string signature_name;    // -g
};

// Parses the arguments. May write the usage text and end the conversion, and
// redirects the error stream at once when -e is met.
ConvertOptions parse_options(Session& s, int argc, const char* const* argv);

// Reads a decimal number at `pos` of `arg`, leaving `pos` after its last
// digit. A missing number or one beyond 2,147,483,647 ends with the usage.
int32_t parse_number(Session& s, const std::string& arg, size_t& pos);

// Writes the usage text to standard output and ends with `status`.
[[noreturn]] void print_usage(Session& s, int status);

// Sets the process-wide tempo rounding flag (-U).
void set_tempo_rounding(Session& s, int value);

}  // namespace orvo
