// MDD files: text files of exclusive messages in hexadecimal, named by
// common command 0x62.
#pragma once

#include <cstdint>
#include <string>

#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

class FolderListings;

// The MDD file `name` (the stored name with its extension): in the current
// folder, else in `source_folder`, under its exact name first, then under a
// name that differs only in the case of its letters. "" when there is none.
std::string find_mdd_file(const std::string& name, const std::string& source_folder,
                          FolderListings* listings);

// Reads the MDD file named after `stored_name` and appends one exclusive
// event per message to the conductor at its write position, each `mdd_wait`
// clocks after the previous event. On return `mdd_wait` holds the total of
// the waits written. Missing or unreadable files and messages that are not
// exclusive end the conversion (status 1).
void loadmdd(Session& s, TrackBuffer& tb, int32_t& mdd_wait, const std::string& stored_name);

}  // namespace orvo
