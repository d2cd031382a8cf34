// The console streams of a program run, and where its messages go.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "run/error_stream.h"

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

// The program's own standard streams. When one of them is a terminal, reads
// the locale's character set from the environment once; call it from main.
Console standard_console();

// The character set of the locale the environment chooses: the first of
// LC_ALL, LC_CTYPE and LANG that is set and not empty, from its "." to its
// "@" ("ja_JP.UTF-8" gives "UTF-8"); "" for C, POSIX and names without one.
// Read from the names rather than through setlocale, which in a statically
// linked program cannot load the locale and always answers ASCII.
std::string locale_codeset(const char* lc_all, const char* lc_ctype, const char* lang);

// Whether a stream gets UTF-8: it is a terminal and the character set is
// UTF-8 (in any case, with or without the "-").
bool wants_utf8(bool terminal, const char* codeset);

// Switches a stream to binary mode where the platform translates line ends.
void set_binary_mode(std::FILE* stream);

// Writes CP932 bytes to a stream, converted to UTF-8 when `utf8` is set.
void write_text(std::FILE* stream, std::string_view cp932, bool utf8);

// Where a program's messages go: the console's error stream until -e names
// a file. The stream itself is unbuffered; the error stream hands it text a
// line at a time (or every few kilobytes of a long line of markers), so a
// track that prints millions of markers does not make millions of writes.
struct StreamSink {
  std::FILE* file = nullptr;
  bool owned = false;  // -e: the stream is a file this run opened
  bool utf8 = false;   // the stream is a UTF-8 terminal: messages are formatted in UTF-8
};

// Makes `err` write to `sink`, in the encoding the sink takes.
void attach_sink(ErrorStream& err, StreamSink& sink);

// Reopens the error stream on a file (-e): what was written so far stays
// where it went. When the file cannot be opened the stream stays as it was.
void redirect_error_stream(ErrorStream& err, StreamSink& sink, const char* name);

// Hands on what is held back, then closes a file the sink owns.
void close_sink(ErrorStream& err, StreamSink& sink);

}  // namespace orvo
