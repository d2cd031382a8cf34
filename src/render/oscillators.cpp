#include "render/oscillators.h"

namespace orvo {

void reset_pitch_oscillator(Session& s, uint8_t tie_pending) {
  RenderState& r = s.render;
  r.pitch.turn = 0;
  r.pitch.index = 0;
  r.pitch.osc = 0;
  r.pitch.fraction = 0;
  r.pitch.clock = r.tie_elapsed;
  if (tie_pending == 0) r.note_started = 0;
}

void reset_controller_oscillator(Session& s, uint8_t value, uint8_t tie_pending) {
  RenderState& r = s.render;
  r.ctrl.turn = 0;
  r.ctrl.index = 0;
  r.ctrl.osc = 0;
  r.ctrl.fraction = 0;
  r.cm_value = value;
  r.ctrl.clock = r.tie_elapsed;
  if (tie_pending == 0) r.note_started = 0;
}

}  // namespace orvo
