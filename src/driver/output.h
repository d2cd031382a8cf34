// Writing the finished MIDI file of a conversion.
#pragma once

#include <string>

#include "driver/console.h"
#include "engine/conversion.h"
#include "engine/midi_file.h"

namespace orvo {

// Writes the header chunk and every track chunk to `dest`: standard output
// when it starts with "-", else through a temporary file in the same folder
// that is renamed into place once every byte is written, so a failed write
// never leaves a half-written file nor destroys an existing one. A failure
// ends the conversion with status 1.
void write_midi_file(const Console& console, const Conversion& c, const std::string& dest);

}  // namespace orvo
