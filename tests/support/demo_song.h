// The recipe of the bundled demo song, examples/demo.zmd.
#pragma once

#include "support/zmd_builder.h"

namespace orvo::test {

// The demo song's bytes: a title, a tempo, a GS reset, a text, and a short
// tune on three MIDI channels.
Bytes demo_song();

}  // namespace orvo::test
