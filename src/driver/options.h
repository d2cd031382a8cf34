// The command line: switches, file names and the usage text.
#pragma once

#include <cstdint>
#include <string>

#include "driver/command_run.h"
#include "run/music_options.h"

namespace orvo {

// The parsed command line of one run: the music switches and the file names.
struct ConvertOptions : MusicOptions {
  std::string source_name;     // first plain argument, or "-" for standard input
  std::string dest_name;       // -o, -c ("-" = standard output)
  std::string signature_name;  // -g
};

// Parses the arguments. May write the usage text and end the conversion, and
// redirects the error stream at once when -e is met.
ConvertOptions parse_options(CommandRun& run, int argc, const char* const* argv);

// Writes the usage text to standard output and ends with `status`.
[[noreturn]] void print_usage(CommandRun& run, int status);

// Writes "orvo 1.50" to standard output (--version).
void print_version(CommandRun& run);

// Sets the tempo rounding flag of the run's session (-U).
void set_tempo_rounding(Session& s, int value);

}  // namespace orvo
