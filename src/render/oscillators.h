// Restarts of the software oscillators, used by the track commands, the
// note renderer and the step tables.
#pragma once

#include <cstdint>

#include "run/session.h"

namespace orvo {

// Turning point, index, oscillator clock and fraction accumulator become 0:
// the oscillator starts again at its first running clock.
void clear_oscillator(Oscillator& o);

// pm_turn, pm_index, pm_osc and the pitch fraction become 0; pm_clock =
// tie_elapsed; note_started = 0 unless a tie is pending. The pitch
// modulation component keeps its value.
void reset_pitch_oscillator(Session& s, uint8_t tie_pending);

// As above for the controller oscillator, which restarts at `value`.
void reset_controller_oscillator(Session& s, uint8_t value, uint8_t tie_pending);

}  // namespace orvo
