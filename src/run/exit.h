// How a conversion ends early: fatal errors and the usage text.
#pragma once

#include <string>

namespace orvo {

// Thrown by fatal_error and print_usage. The entry point catches it, writes
// `message` (already CP932 bytes; `message_utf8` on a UTF-8 terminal) to the
// error stream and exits with `status`.
struct ProcessExit {
  int status;
  std::string message;
  std::string message_utf8;
};

// Formats a message (UTF-8 format text, CP932 on output) and ends the
// conversion with the given exit status. Never returns.
[[noreturn]] void fatal_error(int status, const char* format, ...)
    __attribute__((format(printf, 2, 3)));

}  // namespace orvo
