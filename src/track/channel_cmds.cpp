// Program, channel, controllers, pan and detune: channel messages written
// directly at the pending delta.
#include <algorithm>

#include "render/controllers.h"
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

namespace {
constexpr uint8_t kUnset = 0xFF;  // an operand that leaves its setting alone
constexpr int kFirstMidiChannelByte = 9;
constexpr int kLastMidiChannelByte = 24;

bool is_roland_mt32(const TrackState& st) {
  return st.exclusiveHeader[0] == 0x41 && st.exclusiveHeader[2] == 0x16;
}

void send_pan(Track& t) { emit_controller(t, 10, t.st.pan); }
}  // namespace

void cmd_program(Track& t) { emit1(t, 0xC0, take8(t) - 1); }

void cmd_channel(Track& t) {
  const uint8_t n = take8(t);
  // Only channel bytes of MIDI channels move the track; others are ignored.
  if (n >= kFirstMidiChannelByte && n <= kLastMidiChannelByte) {
    t.st.channel = n - kFirstMidiChannelByte;
  }
}

void cmd_damper(Track& t) { emit_controller(t, 64, take8(t) != 0 ? 127 : 0); }

void cmd_bend_range(Track& t) {
  const uint8_t n = take8(t);
  emit_controller(t, 100, 0);
  emit_controller(t, 101, 0);
  emit_controller(t, 6, n);
}

void cmd_volume(Track& t, uint8_t cmd) {
  const int n = take8(t);
  TrackState& st = t.st;
  int v = cmd == 0xAA ? st.volume + n : cmd == 0xAB ? st.volume - n : 127 - n;
  if (v > 127) {
    marker(t, "[V>127]");
    v = 127;
  }
  if (v < 0) v = 0;
  st.volume = static_cast<int16_t>(v);
  FadeState& f = st.fade;
  int sent = v;
  if (f.state != 0 && f.mode == 0) {
    sent = std::clamp((v * f.scale) >> 7, 0, 127);
  } else {
    f.scale = 128;
    f.aux = 0;
  }
  t.tb.pos += write_volume(t.s, write_ptr(t.tb), st.pendingDelta, st.channel, sent);
}

void cmd_volume_zero(Track& t) {
  t.tb.pos += write_volume(t.s, write_ptr(t.tb), t.st.pendingDelta, t.st.channel, 0);
}

void cmd_pan(Track& t, uint8_t cmd) {
  TrackState& st = t.st;
  switch (cmd) {
    case 0xB1: st.pan = 0; break;
    case 0xB2: st.pan = 127; break;
    case 0xB3: st.pan = 64; break;
    case 0xB4: st.pan = take8(t); break;
    case 0xC8: st.pan = std::min(st.pan + take8(t), 127); break;
    default: st.pan = std::max(st.pan - take8(t), 0); break;  // C9
  }
  send_pan(t);
}

void cmd_controller(Track& t) {
  const uint8_t c = take8(t);
  const uint8_t v = take8(t);
  emit_controller(t, c, v);
}

void cmd_nrpn(Track& t) {
  for (int i = 0; i < 4; ++i) {
    const uint8_t v = take8(t);
    if (v != kUnset) emit_controller(t, t.st.nrpnControllers[i], v);
  }
}

void cmd_bank(Track& t) {
  const uint8_t msb = take8(t);
  const uint8_t lsb = take8(t);
  if (msb != kUnset) emit_controller(t, 0, msb);
  if (lsb != kUnset) emit_controller(t, 32, lsb);
}

void cmd_effects(Track& t) {
  const uint8_t a = take8(t);
  const uint8_t b = take8(t);
  const uint8_t c = take8(t);
  TrackState& st = t.st;
  if (is_roland_mt32(st)) {
    if (b == kUnset) return;
    // Reverb switch of the part's patch: address 03 00 (part x 16 + 6).
    const int part = a == kUnset ? st.channel : a - 1;
    const uint8_t body[4] = {0x03, 0x00, static_cast<uint8_t>(part * 16 + 6), b};
    t.tb.pos += write_exclusive(t.s, write_ptr(t.tb), st.pendingDelta, st.exclusiveHeader, body,
                                4, kExclusiveChecksum, t.in.running_status);
    return;
  }
  if (a != kUnset) emit_controller(t, 91, a);
  if (b != kUnset) emit_controller(t, 93, b);
  if (c != kUnset) emit_controller(t, 94, c);
}

void cmd_detune_step(Track& t, uint8_t cmd) {
  const uint16_t n = take16(t);
  TrackState& st = t.st;
  st.bend.detune = static_cast<int16_t>(cmd == 0x96 ? st.bend.detune + n : st.bend.detune - n);
  t.tb.pos += write_pitch_bend(t.s, write_ptr(t.tb), st.pendingDelta, st.channel, st.bend);
}

void cmd_detune(Track& t) {
  skip_operands(t, 2);
  TrackState& st = t.st;
  st.bend.detune = static_cast<int16_t>(take16(t));
  st.bend.portamento = 0;
  t.tb.pos += write_pitch_bend(t.s, write_ptr(t.tb), st.pendingDelta, st.channel, st.bend);
  st.porta.porta_mode = 0;
  st.modFlags &= static_cast<uint8_t>(~kModAutoBend);
}

}  // namespace orvo
