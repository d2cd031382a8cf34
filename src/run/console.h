// The console streams of one run, and the error stream every message goes to.
#pragma once

#include <cstdio>
#include <string>

namespace orvo {

// Standard input, output and error as seen by one conversion. The program
// passes the real streams; tests pass temporary files.
struct Console {
  std::FILE* in;
  std::FILE* out;
  std::FILE* err;
};

// The error stream: the console's error stream until -e names a file. The
// stream itself is unbuffered; messages reach it a line at a time (or every
// few kilobytes of a long line of markers), so a track that prints millions
// of markers does not make millions of writes.
struct ErrorStream {
  std::FILE* file = nullptr;
  bool owned = false;  // -e: the stream is a file this run opened
  std::string held;    // the end of the current line, not yet written
};

// Writes what the error stream holds back.
void flush_error_stream(ErrorStream& err);

// Switches a stream to binary mode where the platform translates line ends.
void set_binary_mode(std::FILE* stream);

// Reopens the error stream on a file (-e). When the file cannot be opened the
// stream stays as it was.
void redirect_error_stream(ErrorStream& err, const char* name);

// Writes what is held back, then closes a file the error stream owns.
void close_error_stream(ErrorStream& err);

}  // namespace orvo
