// orvo-batch: converts the songs of an archive, several at a time, each as
// orvo converts it.
#pragma once

#include <cstdio>

namespace orvo::batch {

// The streams of a batch. `in` feeds a PATH of "-"; the summary goes to
// `out`; the batch's own messages and the progress line go to `err`.
struct BatchConsole {
  std::FILE* in;
  std::FILE* out;
  std::FILE* err;
  bool progress = false;  // `err` is a terminal: show the progress line
};

// Runs the batch the command line describes. Returns the exit status (0 no
// song failed, 1 a song failed or a path could not be read, 2 a usage
// error); never ends the process.
int run_batch(const BatchConsole& console, int argc, const char* const* argv);

}  // namespace orvo::batch
