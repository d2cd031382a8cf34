// The controller modulation as a waveform on any controller number: the
// computed waveforms, the square and the user waveforms, one clock at a time
// into cm_value (always 0..127).
#include <cstdint>

#include "render/slope.h"
#include "render/span.h"

namespace orvo {

namespace {

void emit(Span& sp) {
  if (interval_due(sp, sp.st.ctrl)) span_controller(sp, sp.st.cm_value);
}

// Sawtooth (0), triangle (2) and one-shot ramp (3).
void computed_wave(Span& sp, Oscillator& o, uint8_t wave) {
  RenderState& st = sp.st;
  const int32_t speed = sp.r.cm.cm_speed;
  const int depth = sp.cm_depth;
  const int initial = sp.r.cm.cm_initial;
  if (o.turn == 0) {
    o.turn = wave == 2 ? 2 * speed : 4 * speed;
    o.fraction = 0;
    if (depth > 0) {
      o.slope = split_slope(initial, initial - depth, o.turn);
      st.cm_value = clamp_controller(sp.r.cm.cm_base);
    } else {
      o.slope = split_slope(initial + depth, initial - 1, o.turn);
      st.cm_value = clamp_controller(sp.r.cm.cm_base + depth);
    }
  }
  emit(sp);
  if (o.osc >= o.turn) {
    o.fraction = 0;
    if (wave == 0) {
      st.cm_value = clamp_controller(st.cm_value + depth);
      o.turn = wrap_add(o.turn, 4 * speed);
    } else if (wave == 2) {
      o.slope.step = static_cast<int16_t>(-o.slope.step);
      o.slope.direction = static_cast<int8_t>(-o.slope.direction);
      o.turn = wrap_add(o.turn, 2 * speed);
    } else {
      sp.ctrl_wave = false;
      return;
    }
  }
  int v = st.cm_value + o.slope.step;
  o.fraction = static_cast<int16_t>(o.fraction + o.slope.fraction);
  if (o.fraction > 255) {
    o.fraction = static_cast<int16_t>(o.fraction - 256);
    v += o.slope.direction;
  }
  st.cm_value = clamp_controller(v);
}

// Square (1): a turning point every 2 x cm_speed clocks.
void square_wave(Span& sp, Oscillator& o) {
  RenderState& st = sp.st;
  const int depth = sp.cm_depth;
  if (o.osc >= 2 * int64_t{sp.r.cm.cm_speed} * o.index) {
    span_controller(sp, st.cm_value);
    o.index = wrap_add(o.index, 1);
    st.cm_value = clamp_controller(st.cm_value + ((o.index & 1) != 0 ? depth : -depth));
  }
  if (o.index == 0) {
    st.cm_value = clamp_controller(depth > 0 ? sp.r.cm.cm_base - depth : sp.r.cm.cm_base);
  }
}

// User waveforms 8..31: one sample per cm_speed clocks, around cm_base.
void user_wave(Span& sp, Oscillator& o, uint8_t wave) {
  if (o.osc < o.turn) return;
  RenderState& st = sp.st;
  const Waveform& w = sp.s.waveforms.slots[wave];
  const int base = sp.r.cm.cm_base;
  const int32_t speed = sp.r.cm.cm_speed;
  if (o.index >= 0) {
    if (o.index < w.length) {
      emit(sp);  // the value of the step before
      const int sample = waveform_sample(sp.s, wave, o.index);
      st.cm_value = clamp_controller(sp.cm_depth > 0 ? sample + base : base - sample);
    }
    o.turn = wrap_add(o.turn, speed);
    o.index = wrap_add(o.index, 1);
    if (o.index >= w.length && waveform_ended(o, w)) sp.ctrl_wave = false;
  } else {
    emit(sp);
    st.cm_value = clamp_controller(waveform_sample(sp.s, wave, -int64_t{o.index}) + base);
    o.index = wrap_add(o.index, 1);
    o.turn = wrap_add(o.turn, speed);
  }
}

}  // namespace

void ctrl_wave_clock(Span& sp) {
  Oscillator& o = sp.st.ctrl;
  if (o.clock < sp.cm_start) {
    span_controller(sp, sp.r.cm.cm_base);  // held at the base until the start
    return;
  }
  if (o.clock == sp.cm_start) o.interval = 0;
  const uint8_t wave = sp.r.cm.cm_wave;
  if (wave == 1) {
    square_wave(sp, o);
  } else if (wave >= kFirstUserWaveform && wave <= kLastUserWaveform) {
    user_wave(sp, o, wave);
  } else {
    computed_wave(sp, o, wave == 0 || wave == 3 ? wave : 2);
  }
  if (sp.ctrl_wave) o.osc = wrap_add(o.osc, 1);
}

}  // namespace orvo
