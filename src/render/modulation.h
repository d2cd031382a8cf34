// The modulation generator: renders a span of clocks of one note event clock
// by clock - note-ons with the chord spread, the eight-step tables, the
// portamento, the pitch and controller modulation and the fade.
#pragma once

#include <cstddef>
#include <cstdint>

#include "render/render_note.h"
#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

// One span of clocks handed to the generator. Clocks count from the start
// of the tie chain.
struct ModulationSpan {
  int32_t first = 0;               // first clock
  int32_t last = -1;               // last clock (inclusive); last < first is an empty span
  bool note_on = false;            // the strike keys are still to be struck
  int32_t chord_spread = 0;        // clocks between the note-ons of successive keys
  const int32_t* positions = nullptr;  // the eight clocks at which the step tables switch
  int32_t* porta_fraction = nullptr;   // portamento fraction accumulator of this event (or the
                                       // span's own)
};

// The clocks of the eight table steps of an event of `step` clocks starting
// at chain clock `start`.
void compute_step_positions(int32_t start, uint16_t step, int32_t positions[8]);

// Generates the span into `tb` at its write position, growing it as needed
// and advancing the position; returns the bytes written. The event's settings
// come from `r` (its pitch and controller depths and starts may change for
// this span only, as the step tables direct); the keys struck are r.keys.
size_t generate_modulation(Session& s, TrackBuffer& tb, const NoteRenderRequest& r,
                           const ModulationSpan& span);

// A span in which nothing runs but the note-ons of r.keys (span.note_on):
// what generate_modulation does for it, without deciding so first. Each key
// is struck at its clock; the other clocks only count.
void strike_span(Session& s, TrackBuffer& tb, const NoteRenderRequest& r,
                 const ModulationSpan& span);

// A span in which nothing runs but the note-ons, a computed pitch waveform
// as bend (`pitch`: its depth is 1 or more and it is switched on) and the
// fade (`fade`: one steps), with no controller modulation, step table or
// portamento: what generate_modulation does for it, without deciding so
// first.
void generate_plain_span(Session& s, TrackBuffer& tb, const NoteRenderRequest& r,
                         const ModulationSpan& span, bool pitch, bool fade);

// Clocks on which nothing at all happens: the clock counters count them.
void pass_span_clocks(Session& s, int32_t& pending, int32_t clocks);

}  // namespace orvo
