// The 14-byte header chunk of a format-1 Standard MIDI File.
#pragma once

#include <cstdint>

namespace orvo {

constexpr int kMthdBytes = 14;

// Fills `area` with MThd, length 6, format 1, the track count (low 8 bits,
// high byte 0) and the division (low 16 bits); returns `area`.
uint8_t* write_mthd(uint8_t* area, int tracks, int division);

}  // namespace orvo
