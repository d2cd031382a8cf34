// Settings of the software pitch and controller modulation, portamento and
// slur. The renderer plays them with the next notes.
#include "render/controllers.h"
#include "render/oscillators.h"
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

namespace {

constexpr uint8_t kUnset = 0xFF;
constexpr uint8_t kTriangle = 2;

// Waveforms 0..3 are built in and 8..31 user waveforms; anything else plays
// as a triangle.
uint8_t checked_wave(Track& t, uint8_t wave) {
  if (wave > 31 || (wave >= 4 && wave <= 7)) {
    marker(t, "[未定義の波形番号です(三角波にします)]");
    return kTriangle;
  }
  return wave;
}

void restart_pitch(Track& t) { reset_pitch_oscillator(t.s, t.st.tie_continues); }
void restart_ctrl(Track& t) {
  reset_controller_oscillator(t.s, t.st.cm.cm_initial, t.st.tie_continues);
}

void set_flag(TrackState& st, uint8_t flag) { st.modFlags |= flag; }
void clear_flag(TrackState& st, uint8_t flag) { st.modFlags &= static_cast<uint8_t>(~flag); }

}  // namespace

void cmd_waveforms(Track& t) {
  const uint8_t a = take8(t);
  const uint8_t b = take8(t);
  TrackState& st = t.st;
  if (a != kUnset) {
    st.pm.pm_wave = checked_wave(t, a);
    if (st.pm.pm_mode == 0) st.pm.pm_mode = 1;
  }
  if (b != kUnset) {
    st.cm.cm_wave = checked_wave(t, b);
    if (st.cm.cm_mode == 0) st.cm.cm_mode = 1;
  }
}

void cmd_mod_modes(Track& t) {
  const uint8_t a = take8(t);
  const uint8_t b = take8(t);
  TrackState& st = t.st;
  if (a != kUnset) st.pm.pm_mode = a;
  if (b != kUnset) st.cm.cm_mode = b;
  if (st.pm.pm_mode != 0) st.tables.pitchModStep = 0;
  if (st.cm.cm_mode != 0) st.tables.ampModStep = 0;
}

void cmd_ctrl_setup(Track& t) {
  const uint8_t c = take8(t);
  const uint8_t i = take8(t);
  const uint8_t b = take8(t);
  CtrlModParams& cm = t.st.cm;
  if (c != kUnset) cm.cm_controller = c;
  if (i != kUnset) cm.cm_initial = i;
  if (b != kUnset) cm.cm_base = b;
  set_flag(t.st, kModCtrl);
}

void cmd_keep_phase(Track& t) {
  const uint8_t a = take8(t);
  const uint8_t b = take8(t);
  if (a != kUnset) t.st.pm.pm_keep = a;
  if (b != kUnset) t.st.cm.cm_keep = b;
}

void cmd_ctrl_select(Track& t) {
  const uint8_t c = take8(t);
  CtrlModParams& cm = t.st.cm;
  if (c != kUnset) cm.cm_controller = c;
  cm.cm_initial = 0;
  cm.cm_base = 0;
  t.st.tables.ampModStep = 1;
}

void cmd_ctrl_depth(Track& t) {
  t.st.cm.cm_depth = static_cast<int8_t>(take8(t));
  restart_ctrl(t);
  t.st.tables.ampModStep = 0;
  set_flag(t.st, kModCtrl);
}

void cmd_pitch_switch(Track& t) {
  const uint8_t n = take8(t);
  TrackState& st = t.st;
  if (n != 0) {
    set_flag(st, kModPitch);
  } else {
    t.tb.pos += write_modulation(t.s, write_ptr(t.tb), st.pendingDelta, st.channel, 0);
    st.tables.pitchModStep = 0;
    st.pm.pm_depth = 0;
    clear_flag(st, kModPitch);
  }
  restart_pitch(t);
  st.bend.pitch_mod = 0;
}

void cmd_ctrl_switch(Track& t) {
  const uint8_t n = take8(t);
  TrackState& st = t.st;
  if (n != 0) {
    set_flag(st, kModCtrl);
  } else {
    t.tb.pos += write_controller(t.s, write_ptr(t.tb), st.pendingDelta, st.channel,
                                 st.cm.cm_controller, st.cm.cm_initial);
    st.cm.cm_depth = static_cast<int8_t>(st.cm.cm_initial);
    st.tables.ampModStep = 0;
    clear_flag(st, kModCtrl);
  }
  restart_ctrl(t);
}

void cmd_bend_switch(Track& t) {
  const uint8_t n = take8(t);
  TrackState& st = t.st;
  if (n != 0) {
    set_flag(st, kModAutoBend);
    return;
  }
  if (!st.tie_continues) {
    st.bend.portamento = 0;
    st.bend.detune = 0;
    t.tb.pos += write_pitch_bend(t.s, write_ptr(t.tb), st.pendingDelta, st.channel, st.bend);
  }
  st.porta.porta_mode = 0;
  st.porta_started = 0;
  clear_flag(st, kModAutoBend);
}

void cmd_pressure_switch(Track& t) {
  // The opposite sense of BB, BC and BD: 0 switches the table on.
  if (take8(t) == 0) {
    set_flag(t.st, kModPressure);
  } else {
    t.st.tables.auxModStep = 0;
    clear_flag(t.st, kModPressure);
  }
}

void cmd_slur(Track& t) {
  const uint8_t n = take8(t);
  t.st.slur = n;
  if (n == 0) t.st.bend.slur = 0;
}

void cmd_mod_flags(Track& t) {
  t.st.modFlags = take8(t);
  if (t.st.modFlags & kModAutoBend) t.st.porta = t.st.portaSaved;
}

void cmd_mod_speeds(Track& t) {
  const int16_t a = static_cast<int16_t>(take16(t));
  const int16_t b = static_cast<int16_t>(take16(t));
  if (a != 0) t.st.pm.pm_speed = a;
  if (b != 0) t.st.cm.cm_speed = b;
}

void cmd_auto_bend(Track& t) {
  skip_operands(t, 4);
  PortamentoParams& p = t.st.porta;
  p.porta_a = static_cast<int16_t>(take16(t));
  p.porta_b = static_cast<int16_t>(take16(t));
  p.porta_delay = take16(t);
  p.porta_mode = static_cast<int8_t>(take8(t) * 2);
  t.st.portaSaved = p;
  t.st.porta_started = 0;
  set_flag(t.st, kModAutoBend);
}

void cmd_mod_starts(Track& t) {
  const uint16_t a = take16(t);
  const uint16_t b = take16(t);
  if (a != 0xFFFF) t.st.pm.pm_start = a;
  if (b != 0xFFFF) t.st.cm.cm_start = b;
}

void cmd_pitch_depth(Track& t) {
  t.st.pm.pm_depth = static_cast<int16_t>(take16(t));
  t.st.tables.pitchModStep = 0;
  restart_pitch(t);
  set_flag(t.st, kModPitch);
}

}  // namespace orvo
