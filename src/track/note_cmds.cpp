// Notes, rests, waits and the commands that strike or release keys directly.
#include "render/controllers.h"
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

namespace {
constexpr uint8_t kShortNoTie = 0xFF;  // gate byte of a short note: no key-off
constexpr uint16_t kTie = 0xFFFF;
constexpr uint8_t kLongWait = 0xD0;  // FE key: a wait
}  // namespace

void cmd_note(Track& t, uint8_t key) {
  const uint8_t step = take8(t);
  const uint8_t gate_byte = take8(t);
  const uint16_t gate = gate_byte == kShortNoTie ? kTie : limit_gate(t, gate_byte);
  advance_time(t, step);
  drop_porta_offset(t);
  set_single_key(t, key);
  render_event(t, step, gate);
}

void cmd_wait(Track& t) {
  const uint8_t step = take8(t);
  skip_operands(t, 1);
  advance_time(t, step);
  drop_porta_offset(t);
  t.s.render.wait_marker = 0x77;
  render_event(t, step, step);
}

void cmd_porta_note(Track& t) {
  const uint8_t key = take8(t);
  const uint16_t step = take16(t);
  const uint16_t gate = limit_gate(t, take16(t));
  PortamentoParams& p = t.st.porta;
  p.porta_delay = take16(t);
  p.porta_a = static_cast<int16_t>(take16(t));
  p.porta_b = take8(t);
  p.porta_mode = static_cast<int8_t>(take8(t));
  advance_time(t, step);
  set_single_key(t, key);
  t.st.porta_started = 0;
  render_event(t, step, gate);
  p.porta_mode = 0;
}

void cmd_chord(Track& t) {
  const uint16_t step = take16(t);
  const uint16_t gate = limit_gate(t, take16(t));
  const uint8_t spread = take8(t);
  for (int i = 0; i < 8; ++i) t.st.pendingKeys[i] = take8(t);
  t.st.pendingKeys[8] = kNoKey;
  advance_time(t, step);
  PortamentoParams& p = t.st.porta;
  if (p.porta_mode != 2 && p.porta_mode != -2) {
    p.porta_a = 0;
    p.porta_mode = 0;
  }
  render_event(t, step, gate, spread);
}

void cmd_long_note(Track& t) {
  const uint8_t key = take8(t);
  const uint16_t step = take16(t);
  uint16_t gate = limit_gate(t, take16(t));
  advance_time(t, step);
  drop_porta_offset(t);
  TrackState& st = t.st;
  if (key == kLongWait) {
    if (st.tie_continues) {
      st.pendingDelta += step;
      return;
    }
    for (int i = 0; i < 8; ++i) st.pendingKeys[i] = st.pendingKeys[9 + i];
    gate = kTie;
  } else {
    set_single_key(t, key);
  }
  render_event(t, step, gate);
}

void cmd_key_on(Track& t) {
  const uint8_t key = take8(t);
  emit2(t, 0x90, key, t.st.velocity);
}

void cmd_tracked_key_on(Track& t) {
  const uint8_t key = take8(t);
  TrackState& st = t.st;
  if (st.soundingKeys[0] == kNoKey && st.pendingKeys[0] == kNoKey) {
    t.tb.pos +=
        write_pitch_bend(t.s, write_ptr(t.tb), st.pendingDelta, st.channel, st.bend);
  }
  int count = 0;
  while (count < 8 && st.soundingKeys[count] != kNoKey) {
    if (st.soundingKeys[count] == key) return;
    ++count;
  }
  if (count < 8) {
    st.soundingKeys[count] = key;
    st.soundingKeys[count + 1] = kNoKey;
  }
  emit2(t, 0x90, key, st.velocity);
}

void cmd_key_velocity(Track& t, uint8_t cmd) {
  const uint8_t key = take8(t);
  const uint8_t v = take8(t);
  t.st.velocity = v;
  emit2(t, 0x90, key, cmd == 0xFC ? 0 : v);
}

void cmd_release_keys(Track& t) { release_all_keys(t); }

}  // namespace orvo
