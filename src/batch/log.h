// The log of --log: every song's messages, one song after another in the
// order of the sources.
#pragma once

#include <string>

#include "batch/song.h"

namespace orvo::batch {

// The log's text for one song: "==> path <==", then its messages (UTF-8)
// ending with a line break; a skipped song says so instead. Every entry but
// the first starts with an empty line.
std::string log_entry(const std::string& path, const SongResult& result, bool first);

}  // namespace orvo::batch
