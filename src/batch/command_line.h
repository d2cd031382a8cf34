// The command line of orvo-batch: its own options, the orvo switches that
// shape every song, and the paths to convert.
#pragma once

#include <string>
#include <vector>

#include "run/music_options.h"

namespace orvo::batch {

// A path given on the command line, or "-" for a list read from standard
// input.
inline constexpr const char* kStandardInputList = "-";

struct BatchOptions {
  int jobs = 0;                       // -j N; 0: one per processor
  std::string out_dir;                // --out DIR; "": beside each source
  bool force = false;                 // --force: convert even when up to date
  std::string log_file;               // --log FILE; "": no log
  std::vector<std::string> switches;  // orvo switch groups, as given
  MusicOptions music;                 // what they set
  std::string switch_messages;        // what orvo's parser says of them (UTF-8), as in every song's messages
  std::vector<std::string> paths;     // files, folders and "-"
};

// What the command line asks for.
struct CommandLine {
  enum class Action { convert, help, version, usage_error };
  Action action = Action::convert;
  BatchOptions options;
  std::string error;  // for a usage error: what is wrong, in UTF-8, one or more lines
};

// The largest -j accepted.
inline constexpr int kMaxJobs = 1024;

// Reads the arguments (argv[0] is the program name). Every orvo switch group
// is checked by orvo's own parser here, so a bad number is a usage error
// before any song is converted.
CommandLine parse_command_line(int argc, const char* const* argv);

// The usage text, in UTF-8, ending with a line break.
std::string usage_text();

}  // namespace orvo::batch
