// orvo-batch: converts archives of ZMD songs to Standard MIDI Files, several
// songs at a time.
#include <cstdio>

#include "batch/batch.h"
#include "batch/progress.h"
#include "driver/console.h"

int main(int argc, char** argv) {
  const orvo::Console console = orvo::standard_console();
  const orvo::batch::BatchConsole batch{console.in, console.out, console.err,
                                        orvo::batch::is_terminal(console.err)};
  return orvo::batch::run_batch(batch, argc, argv);
}
