// The pitch modulation as pitch bend: sawtooth, square, triangle, one-shot
// ramp and the user waveforms, one clock at a time into the pitch-modulation
// component.
#include <cstdint>

#include "render/slope.h"
#include "render/span.h"

namespace orvo {

int16_t waveform_sample(const Session& s, uint8_t wave, int64_t index) {
  if (wave < kFirstUserWaveform || wave > kLastUserWaveform) return 0;
  const Waveform& w = s.waveforms.slots[wave];
  if (index < 0 || index >= static_cast<int64_t>(w.samples.size())) return 0;
  return w.samples[static_cast<size_t>(index)];
}

bool waveform_ended(Oscillator& o, const Waveform& w) {
  if (w.loop_mode == 0) return true;
  if (w.loop_mode == 1) {
    o.index = w.loop_index;
  } else if (w.loop_mode == 2) {
    o.index = wrap_add(2, -int64_t{o.index});
  }
  return false;
}

namespace {

void set_component(Span& sp, int64_t value) { sp.bend.pitch_mod = static_cast<int16_t>(value); }

void emit(Span& sp, Oscillator& o) {
  if (interval_due(sp, o)) span_bend(sp);
}

// Bend units of a sample: mode 1 depths are in 1/100 of 1067 bend units.
int32_t sample_bend(const Span& sp, int16_t sample) {
  return sp.r.pm.pm_mode == 1 ? sample * 1067 / 100 : sample;
}

// Sawtooth (0), triangle (2) and one-shot ramp (3).
void computed_wave(Span& sp, Oscillator& o, uint8_t wave) {
  const int32_t speed = sp.r.pm.pm_speed;
  const int32_t e = sp.pm_e;
  if (o.turn == 0) {
    o.turn = wave == 2 ? speed : 2 * speed;
    o.slope = split_slope(0, e, o.turn);
    o.fraction = 0;
  }
  emit(sp, o);
  if (o.osc >= o.turn) {
    o.fraction = 0;
    if (wave == 0) {
      o.slope = split_slope(-e, e, 4 * speed);
      set_component(sp, sp.bend.pitch_mod - 2 * int64_t{e});
      o.turn = wrap_add(o.turn, 4 * speed);
    } else if (wave == 2) {
      o.slope = split_slope(0, -2 * e * o.slope.direction, 2 * speed);
      o.turn = wrap_add(o.turn, 2 * speed);
    } else {
      sp.pitch_wave = false;  // the ramp has arrived and stays
      return;
    }
  }
  int64_t v = sp.bend.pitch_mod + o.slope.step;
  o.fraction = static_cast<int16_t>(o.fraction + o.slope.fraction);
  if (o.fraction > 255) {
    o.fraction = static_cast<int16_t>(o.fraction - 256);
    v += o.slope.direction;
  }
  set_component(sp, v);
}

// Square (1): the value set at a turning point is written at the next one.
void square_wave(Span& sp, Oscillator& o) {
  if (o.osc < o.turn) return;
  span_bend(sp);
  const int64_t e = sp.pm_e;
  if (o.osc == 0 && o.turn == 0) {
    set_component(sp, sp.bend.pitch_mod + e);
    o.index = wrap_add(o.index, 1);
  } else {
    o.index = wrap_add(o.index, 1);
    set_component(sp, sp.bend.pitch_mod + ((o.index & 1) != 0 ? 2 * e : -2 * e));
  }
  o.turn = wrap_add(o.turn, 2 * int32_t{sp.r.pm.pm_speed});
}

// User waveforms 8..31: one sample per pm_speed clocks.
void user_wave(Span& sp, Oscillator& o, uint8_t wave) {
  if (o.osc < o.turn) return;
  const Waveform& w = sp.s.waveforms.slots[wave];
  const int32_t speed = sp.r.pm.pm_speed;
  if (o.index >= 0) {
    if (o.index < w.length) {
      set_component(sp, sample_bend(sp, waveform_sample(sp.s, wave, o.index)));
      emit(sp, o);
    }
    o.turn = wrap_add(o.turn, speed);
    o.index = wrap_add(o.index, 1);
    if (o.index >= w.length && waveform_ended(o, w)) sp.pitch_wave = false;
  } else {
    set_component(sp, sample_bend(sp, waveform_sample(sp.s, wave, -int64_t{o.index})));
    emit(sp, o);
    o.index = wrap_add(o.index, 1);
    o.turn = wrap_add(o.turn, speed);
  }
}

}  // namespace

int32_t computed_pitch_run(Span& sp, int32_t end, size_t room) {
  // The oscillator, the pending delta, the bend components and the clock
  // counters live in locals for the run, so that they stay in registers
  // while bytes are written through the buffer; they go back at its end.
  RenderState& st = sp.st;
  Oscillator o = st.pitch;
  int32_t pending = sp.pending;
  BendComponents bend = sp.bend;
  int32_t ctrl_clock = st.ctrl.clock;
  int32_t since_note_on = st.clocks_since_note_on;
  Span run{sp.s,           st,          sp.tb,       sp.r,        pending,     bend,        sp.channel,
           sp.last,        sp.k,        sp.step_interval, sp.pm_depth, sp.pm_start, sp.pm_e, sp.cm_depth,
           sp.cm_start};
  run.pitch_wave = true;
  const uint8_t wave = sp.r.pm.pm_wave == 0 || sp.r.pm.pm_wave == 3 ? sp.r.pm.pm_wave : 2;
  TrackBuffer& tb = sp.tb;
  int32_t k = sp.k;
  while (k < end) {
    run.k = k;
    if (tb.bytes.size() - tb.pos < room) ensure_room(tb, room);
    if (o.clock >= run.pm_start) {
      if (o.clock == run.pm_start) o.interval = 0;
      computed_wave(run, o, wave);
      if (run.pitch_wave) o.osc = wrap_add(o.osc, 1);
    }
    pending = wrap_add(pending, 1);
    o.clock = wrap_add(o.clock, 1);
    ctrl_clock = wrap_add(ctrl_clock, 1);
    since_note_on = wrap_add(since_note_on, 1);
    ++k;
    if (!run.pitch_wave) break;
  }
  st.pitch = o;
  sp.pending = pending;
  sp.bend = bend;
  st.ctrl.clock = ctrl_clock;
  st.clocks_since_note_on = since_note_on;
  sp.pitch_wave = run.pitch_wave;
  sp.k = run.k;
  return k;
}

void pitch_wave_clock(Span& sp) {
  Oscillator& o = sp.st.pitch;
  if (o.clock < sp.pm_start) return;
  if (o.clock == sp.pm_start) o.interval = 0;
  const uint8_t wave = sp.r.pm.pm_wave;
  if (wave == 1) {
    square_wave(sp, o);
  } else if (wave >= kFirstUserWaveform && wave <= kLastUserWaveform) {
    user_wave(sp, o, wave);
  } else {
    // 0 and 3 as themselves; anything else plays as the triangle, as the
    // track commands store undefined numbers.
    computed_wave(sp, o, wave == 0 || wave == 3 ? wave : 2);
  }
  if (sp.pitch_wave) o.osc = wrap_add(o.osc, 1);
}

}  // namespace orvo
