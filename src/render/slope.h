// Slopes held as an integer step per clock plus a fraction in 1/256.
#pragma once

#include <cstdint>

#include "run/render_state.h"

namespace orvo {

// (to - from) spread over `clocks` clocks; 0 clocks give step 0 and fraction 0.
Slope split_slope(int32_t from, int32_t to, int32_t clocks);

// Pitch-bend offsets of a slur by key difference -12..+12 (index difference + 12).
extern const int16_t SlurBendTable[25];

}  // namespace orvo
