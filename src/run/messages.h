// Messages on the error stream. Texts are written in UTF-8 in the source and
// leave the program as CP932 bytes; arguments (file names, titles) are raw
// bytes from the data and pass through unchanged.
#pragma once

#include <cstdarg>
#include <string>

#include "run/console.h"

namespace orvo {

// Formats a message: the UTF-8 format text is converted to CP932 first, then
// the arguments are substituted.
std::string format_message(const char* format, std::va_list args);
std::string format_message_of(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes a formatted message to the error stream.
void report(ErrorStream& err, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes bytes to the error stream as they are.
void report_bytes(ErrorStream& err, const std::string& bytes);

}  // namespace orvo
