// MDD files: text files of exclusive messages in hexadecimal, named by
// common command 0x62.
#pragma once

#include <cstdint>
#include <string>

#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

// The name of the MDD file a song names: `stored_name` with the extension
// ".MDD". A name too long for the driver ends the conversion (status 1).
std::string mdd_file_name(const std::string& stored_name);

// Asks the session's resolver for the MDD file named after `stored_name` and
// appends one exclusive event per message to the conductor at its write
// position, each `mdd_wait` clocks after the previous event. On return
// `mdd_wait` holds the total of the waits written. Missing or unreadable
// files and messages that are not exclusive end the conversion (status 1).
void loadmdd(Session& s, TrackBuffer& tb, int32_t& mdd_wait, const std::string& stored_name);

}  // namespace orvo
