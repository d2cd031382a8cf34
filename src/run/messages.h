// Messages on the error stream. Texts are written in UTF-8 in the source and
// leave the program as CP932 bytes; arguments (file names, titles) are raw
// bytes from the data and pass through unchanged. A UTF-8 terminal gets the
// same messages in UTF-8 instead.
#pragma once

#include <cstdarg>
#include <string>
#include <string_view>

#include "run/error_stream.h"
#include "run/exit.h"

namespace orvo {

// Formats a message: the UTF-8 format text is converted to CP932 first, then
// the arguments are substituted.
std::string format_message(const char* format, std::va_list args);

// Formats a message for a UTF-8 terminal: the text reads as its CP932 bytes
// read back, and each string argument stays as it is when it is UTF-8
// already (a file name typed on this system) or is read as CP932 (a title
// from the song).
std::string format_message_utf8(const char* format, std::va_list args);

// format_message with the arguments given directly.
std::string format_text(const char* format, ...) __attribute__((format(printf, 1, 2)));

// Writes a formatted message to the error stream. Once the stream has
// written its bound of lines, the message is only counted.
void report(ErrorStream& err, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes a message whose arguments are texts from the song or its files
// (CP932 bytes): a UTF-8 stream gets them read as CP932 even where their
// bytes happen to be valid UTF-8 (a title "ﾃｽ" is C3 BD).
void report_song_text(ErrorStream& err, const char* format, ...) __attribute__((format(printf, 2, 3)));

// Writes a text of the converter's own (UTF-8 in the source) to the error stream.
void report_text(ErrorStream& err, const char* text);

// Writes the conversion's last message ("Completed." or a fatal error, in
// both forms), whatever the bound, and hands everything held to the sink.
// When lines were left out, a line that says how many comes first.
void report_final(ErrorStream& err, std::string_view cp932, std::string_view utf8);

// Writes the message of the exit that ends the conversion as its last.
void report_exit(ErrorStream& err, const ProcessExit& e);

}  // namespace orvo
