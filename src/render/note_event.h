// The renderer's working record for one event, shared by its steps: the
// tie continuation, the struck note and the end of the event.
#pragma once

#include <cstdint>

#include "render/render_note.h"
#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

// Gate value of a tie: no key-off in this event.
constexpr uint16_t kTieGate = 0xFFFF;

// The renderer's wait_marker before a wait step (D0) and after it.
constexpr uint8_t kWaitStep = 0x77;
constexpr uint8_t kNoWaitStep = 0x20;

// Bytes render_note keeps free before each of its writing steps: note-offs
// for two full key lists and held keys, bends and controllers.
constexpr size_t kEventRoom = 512;

struct NoteEvent {
  Session& s;
  RenderState& st;
  TrackBuffer& tb;
  NoteRenderRequest& r;
  uint8_t* keys;         // strike keys 0..8, struck keys 9..17
  uint8_t* held;         // keys left sounding from an earlier event
  int32_t& pending;
  BendComponents& bend;
  uint16_t gate = 0;             // kTieGate when the event ties over
  int32_t displacement = 0;      // portamento displacement of this event in semitones
  bool note_on = false;          // the strike keys are to be struck
  int32_t chord_spread = 0;      // clocks between the note-ons of a chord
  bool porta_set_up = false;     // the event came with a portamento to set up
};

// The bend of the four components, unless it was the last one sent.
void write_event_bend(NoteEvent& ev);

// Note-offs for the keys of `list`; the pending delta is spent only when at
// least one note-off is written, so releasing nothing loses no time.
void release_keys(NoteEvent& ev, const uint8_t* list);

// A tie continues: same keys sound on, other keys are re-struck or slurred.
void continue_tie(NoteEvent& ev);

// The most common event: a note or chord struck and released within its
// step, outside a tie, with nothing held, no portamento, no step table, no
// modulation and no fade. is_plain_note tells; render_plain_note renders it
// as the general steps would, with fewer tests.
bool is_plain_note(const Session& s, const NoteRenderRequest& r);
size_t render_plain_note(Session& s, TrackBuffer& tb, const NoteRenderRequest& r);

// A new note (or rest) outside a tie.
void start_note(NoteEvent& ev);

// Held keys join a rest; a tie grows; a note ends with its note-offs and
// its release span. `active` is the span already generated.
void finish_event(NoteEvent& ev, int32_t active, const int32_t* positions,
                  int32_t* porta_fraction);

}  // namespace orvo
