// The command line: switches, file names and the usage text.
#pragma once

#include <cstdint>
#include <string>

#include "run/convert_options.h"
#include "run/session.h"

namespace orvo {

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
