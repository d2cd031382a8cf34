// One song of a batch: the skip rule, then a whole conversion as orvo makes
// it, with its messages kept apart from every other song's.
#pragma once

#include <string>
#include <vector>

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
};

// The arguments of orvo that convert `source` to `dest` with `switches`. A
// path that starts with "-" gets "./" in front, so that it reads as a file
// (and a destination as a file rather than standard output).
std::vector<std::string> conversion_arguments(const std::vector<std::string>& switches,
                                              const std::string& source, const std::string& dest);

// Converts one song unless `force` is false and its MIDI file is up to date.
// Creates the destination's folder when it is missing. Never throws.
SongResult convert_song(const Source& song, const std::vector<std::string>& switches, bool force,
                        FolderListings* listings);

}  // namespace orvo::batch
