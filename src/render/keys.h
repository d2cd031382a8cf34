// Key lists: up to 8 keys ended by 0xFF (a first key of 0x80 is a rest).
#pragma once

#include <cstddef>
#include <cstdint>

#include "driver/session.h"

namespace orvo {

// 9n kk 00 for each key of `keys` up to the first byte of 0x80 or more; the
// first at `delta`, the rest at 0. Returns the bytes written.
size_t write_note_offs(Session& s, uint8_t* out, const uint8_t* keys, int32_t delta, int channel);

// Sorts both lists in place (up to 8 keys each) and returns 1 when their
// counts or keys differ.
int keys_differ(uint8_t* a, uint8_t* b);

}  // namespace orvo
