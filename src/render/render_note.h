// The note renderer: one note, chord, rest, tie continuation or wait step
// becomes channel events, with the modulation generated clock by clock.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/params.h"
#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

// Everything render_note needs for one event. Settings are copies the
// renderer may change for this event only; pointers are the track's own
// state, which it updates.
struct NoteRenderRequest {
  uint8_t* tie_continues = nullptr;  // in/out: this event continues a tie
  uint8_t* keys = nullptr;           // pendingKeys: 0..8 keys to strike, 9..17 struck keys
  uint16_t step = 0;                 // clocks until the next event
  uint16_t gate = 0;                 // clocks until key-off; 0xFFFF = tie
  int32_t* pending = nullptr;        // pending delta time
  int16_t velocity = 127;
  int channel = 0;                   // 0..15
  int32_t chord_spread = 0;          // E2: clocks between the keys' note-ons
  uint8_t* held = nullptr;           // soundingKeys: keys left sounding by CD
  uint8_t keyoff_suppressed = 0;     // nonzero: no note-offs
  PitchModParams pm;
  PortamentoParams porta;
  BendComponents* bend = nullptr;
  CtrlModParams cm;
  StepTables tables;
  uint8_t* porta_started = nullptr;  // in/out: a portamento was set up in this tie chain
  uint8_t enables = 0;               // modFlags
  uint8_t slur = 0;
  int16_t track_volume = 100;
  FadeState* fade = nullptr;
  uint8_t step_interval = 1;         // -B
  const uint8_t* exclusive_header = nullptr;  // 4 bytes
  uint8_t exclusive_flag = 1;        // 1: running status on, 0 under -s
};

// Renders one event at the buffer's write position, growing the buffer as
// far as the event needs and advancing the write position past what it
// wrote; returns the bytes written (already counted in tb.pos).
size_t render_note(Session& s, TrackBuffer& tb, NoteRenderRequest& r);

}  // namespace orvo
