// The skip rule: a MIDI file newer than everything its song is made from is
// not made again.
#pragma once

#include <string>

namespace orvo {
class FolderListings;
}

namespace orvo::batch {

// True when `dest` exists and was modified after the source, after the
// source's signature file (if there is one) and after every MDD file the
// song names that is found, looked for as the conversion looks for them.
// The source is read only when the destination is newer than it and its
// signature file, to find the names of its MDD files.
bool up_to_date(const std::string& source, const std::string& dest, FolderListings* listings);

}  // namespace orvo::batch
