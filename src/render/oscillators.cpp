#include "render/oscillators.h"

namespace orvo {

void clear_oscillator(Oscillator& o) {
  o.turn = 0;
  o.index = 0;
  o.osc = 0;
  o.fraction = 0;
}

void reset_pitch_oscillator(Session& s, uint8_t tie_pending) {
  RenderState& r = s.render;
  clear_oscillator(r.pitch);
  r.pitch.clock = r.tie_elapsed;
  if (tie_pending == 0) r.note_started = 0;
}

void reset_controller_oscillator(Session& s, uint8_t value, uint8_t tie_pending) {
  RenderState& r = s.render;
  clear_oscillator(r.ctrl);
  r.cm_value = value;
  r.ctrl.clock = r.tie_elapsed;
  if (tie_pending == 0) r.note_started = 0;
}

}  // namespace orvo
