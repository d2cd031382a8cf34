// One run of the orvo program: its console, the session of its conversion,
// where the messages go, and the folders it has listed.
#pragma once

#include <string>

#include "driver/console.h"
#include "run/session.h"

namespace orvo {

class FolderListings;

struct CommandRun {
  Console console;                     // the run's standard streams
  Session* session = nullptr;          // the conversion's state and error stream
  StreamSink err_sink;                 // where the error stream writes; -e moves it
  FolderListings* listings = nullptr;  // folder listings shared by a batch of conversions
  std::string source_folder;           // of the source opened: MDD files are looked for there too
};

}  // namespace orvo
