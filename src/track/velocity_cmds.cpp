// Velocity, @R key-off omission and the fade commands.
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

namespace {

int16_t held_velocity(Track& t, int v) {
  if (v > 127) {
    marker(t, "[U>127]");
    return 127;
  }
  if (v < 0) {
    marker(t, "[U<0]");
    return 0;
  }
  return static_cast<int16_t>(v);
}

}  // namespace

void cmd_velocity(Track& t, uint8_t cmd) {
  TrackState& st = t.st;
  if (cmd == 0x84) {
    st.velocity = st.baseVelocity;
    return;
  }
  const int n = take8(t);
  switch (cmd) {
    case 0xB9:  // set, and the base of the relative commands
      st.velocity = held_velocity(t, n);
      st.baseVelocity = st.velocity;
      break;
    case 0xCA:
      st.velocity = held_velocity(t, st.velocity + n);
      st.baseVelocity = st.velocity;
      break;
    case 0xCB:
      st.velocity = held_velocity(t, st.velocity - n);
      st.baseVelocity = st.velocity;
      break;
    case 0xD9:  // for the next notes only
      st.velocity = static_cast<int16_t>(n);
      break;
    case 0xDA:
      st.velocity = held_velocity(t, st.baseVelocity + n);
      break;
    default:  // DB
      st.velocity = held_velocity(t, st.baseVelocity - n);
      break;
  }
}

void cmd_at_r(Track& t) {
  const uint8_t n = take8(t);
  t.st.atR = n;
  if (t.in.keyoff_skip < 0) {
    t.st.keyoff_suppressed = n;
  } else {
    marker(t, "[@R]");
  }
}

void cmd_fade(Track& t, uint8_t cmd) {
  const int8_t n = static_cast<int8_t>(take8(t));
  TrackState& st = t.st;
  FadeState& f = st.fade;
  if (cmd == 0xA6) {
    f.mode = 0;
  } else {
    // Roland MT-32 family master volume runs to 100; others to 128.
    f.mode = (st.exclusiveHeader[0] == 0x41 && st.exclusiveHeader[2] == 0x16) ? 1 : 2;
  }
  f.scale = n < 0 ? -1 : (f.mode == 1 ? 100 : 128);
  f.state = n < 0 ? 1 : (n == 0 ? 0 : -1);
  f.counter = 0;
  f.aux = 0;
  // The step is an unsigned byte: speeds of 64 and more must not turn it negative.
  f.step = static_cast<uint8_t>((n < 0 ? -n : n) * 2);
}

}  // namespace orvo
