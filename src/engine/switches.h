// The letters of the switches that shape the music (-L3, -m, -aj, ...), as
// the command line and the library both read them.
#pragma once

#include <cstddef>
#include <string>

#include "run/music_options.h"

namespace orvo {

enum class SwitchError {
  none,
  missing_number,  // the letter needs a number and none follows
  overflow,        // the number passes 2,147,483,647
  zero,            // -B0
  too_large,       // a byte field's number above 127
  not_music,       // a letter of the command line only: ? h c e g o
  unknown,         // no switch at all
};

// Applies the switch whose letter stands at `pos` of the lower-cased group
// `arg` to `o`, and moves `pos` past the letter and its number. On an error,
// `pos` is where the command line's message takes its text from: after the
// letter (missing number, unknown letter, not a music switch) or after the
// number (-B0); `o` is then unchanged.
SwitchError apply_music_switch(MusicOptions& o, const std::string& arg, size_t& pos);

// Applies a string of music switch groups ("-L3 -m", "-l3m", "/aj")
// separated by blanks. False, with `o` unchanged, when any group is not
// music switches alone or a number is wrong.
bool parse_music_switches(MusicOptions& o, const std::string& text);

}  // namespace orvo
