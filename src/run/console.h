// The console streams of one run, and the error stream every message goes to.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

namespace orvo {

// Standard input, output and error as seen by one conversion. The program
// passes the real streams; tests pass temporary files. Messages are CP932
// bytes, except on a terminal whose character set is UTF-8.
struct Console {
  std::FILE* in;
  std::FILE* out;
  std::FILE* err;
  bool out_utf8 = false;  // the usage text is written in UTF-8
  bool err_utf8 = false;  // messages on `err` are written in UTF-8
};

// The program's own standard streams. Reads the locale's character set from
// the environment (LC_ALL, LC_CTYPE, LANG) once; call it from main only.
Console standard_console();

// Whether a stream gets UTF-8: it is a terminal and the locale's character
// set is UTF-8.
bool wants_utf8(bool terminal, const char* codeset);

// The error stream: the console's error stream until -e names a file. The
// stream itself is unbuffered; messages reach it a line at a time (or every
// few kilobytes of a long line of markers), so a track that prints millions
// of markers does not make millions of writes.
struct ErrorStream {
  std::FILE* file = nullptr;
  bool owned = false;  // -e: the stream is a file this run opened
  bool utf8 = false;   // the stream is a UTF-8 terminal: messages are formatted in UTF-8
  std::string held;    // the end of the current line, not yet written
};

// Writes what the error stream holds back.
void flush_error_stream(ErrorStream& err);

// Writes CP932 bytes to a stream, converted to UTF-8 when `utf8` is set.
void write_text(std::FILE* stream, std::string_view cp932, bool utf8);

// Switches a stream to binary mode where the platform translates line ends.
void set_binary_mode(std::FILE* stream);

// Reopens the error stream on a file (-e). When the file cannot be opened the
// stream stays as it was.
void redirect_error_stream(ErrorStream& err, const char* name);

// Writes what is held back, then closes a file the error stream owns.
void close_error_stream(ErrorStream& err);

}  // namespace orvo
