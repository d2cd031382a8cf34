// One song of a batch: the skip rule, then a whole conversion as orvo makes
// it, with its messages kept apart from every other song's.
#pragma once

#include <string>

#include "batch/command_line.h"
#include "batch/sources.h"

namespace orvo {
class FolderListings;
}

namespace orvo::batch {

struct SongResult {
  enum class Outcome { converted, skipped, failed };
  Outcome outcome = Outcome::failed;
  int status = 0;        // the conversion's exit status
  std::string messages;  // its message stream, in UTF-8
  std::string error;     // a failure's first line: the fatal message's, in UTF-8
};

// A path that starts with "-" gets "./" in front, so that it reads as a
// file (and a destination as a file rather than standard output).
std::string as_file_name(const std::string& path);

// Converts one song unless `force` is false and its MIDI file is up to date,
// with the music switches of `options`. Creates the destination's folder
// when it is missing. Never throws.
SongResult convert_song(const Source& song, const BatchOptions& options, FolderListings* listings);

}  // namespace orvo::batch
