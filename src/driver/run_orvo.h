// The orvo program's whole run: the command line, the source and its
// companion files from the file system, one conversion, the file written.
#pragma once

#include "driver/command_run.h"
#include "driver/console.h"
#include "driver/options.h"
#include "run/pass_times.h"

namespace orvo {

class FolderListings;

// The conversion of a parsed command line: loads the source, finds its
// signature and MDD files, converts and writes the destination. Fatal
// errors are thrown as ProcessExit.
void convert_files(CommandRun& run, ConvertOptions& o);

// Runs one whole conversion, as the command line describes it, on the given
// console streams. Returns the exit status; never ends the process. With
// `times`, the seconds spent in each post-conversion pass are added there;
// with `listings`, folders are listed through that cache.
int run_orvo(const Console& console, int argc, const char* const* argv,
             PassTimes* times = nullptr, FolderListings* listings = nullptr);

}  // namespace orvo
