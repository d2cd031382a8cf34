// A pitch and a controller waveform, both sawtooth or triangle, written on
// every clock: a clock writes the bend and the controller value and follows
// both slopes, turning where a waveform turns. Such clocks run here in a
// loop of their own that keeps both oscillators, the writers' memories and
// the write position in locals. Anything else (a start, a one-shot ramp's
// end, another kind of waveform) is the clock loop's.
#include <algorithm>
#include <cstring>

#include "render/controllers.h"
#include "render/slope.h"
#include "render/span.h"
#include "smf/events.h"
#include "smf/vlq.h"

namespace orvo {

namespace {

// Bytes of one clock at most: a bend and a controller event, each a delta of
// up to 4 bytes, a status and two data bytes.
constexpr size_t kDualClockBytes = 14;

// The waveform a pitch or controller waveform number plays: 0 and 3 as
// themselves, everything else but the square and the user waveforms as the
// triangle (2); -1 for those two.
int computed_kind(uint8_t wave) {
  if (wave == 1 || (wave >= kFirstUserWaveform && wave <= kLastUserWaveform)) return -1;
  return wave == 0 || wave == 3 ? wave : 2;
}

// Writes the eight bytes of `v`, its lowest first, in one store where the
// machine keeps the lowest byte first.
inline void store_bytes8(uint8_t* out, uint64_t v) {
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_LITTLE_ENDIAN__
  std::memcpy(out, &v, sizeof v);
#else
  for (int i = 0; i < 8; ++i) out[i] = static_cast<uint8_t>(v >> (8 * i));
#endif
}

// One oscillator in locals: its value, the slope it follows and its turns.
struct Run {
  int32_t value;
  int16_t acc;     // the slope's 1/256 carry
  Slope slope;
  int32_t osc;
  int32_t turn;

  void follow() {
    value += slope.step;
    acc = static_cast<int16_t>(acc + slope.fraction);
    if (acc > 255) {
      acc = static_cast<int16_t>(acc - 256);
      value += slope.direction;
    }
  }

  void load(const Oscillator& o, int32_t v) {
    value = v;
    acc = o.fraction;
    slope = o.slope;
    osc = o.osc;
    turn = o.turn;
  }

  void store(Oscillator& o, int32_t clocks) const {
    o.fraction = acc;
    o.slope = slope;
    o.osc = osc;
    o.turn = turn;
    o.interval = 0;
    o.clock = wrap_add(o.clock, clocks);
  }
};

}  // namespace

int32_t dual_stretch(Span& sp, int32_t end, size_t room) {
  RenderState& st = sp.st;
  Oscillator& pm = st.pitch;
  Oscillator& cm = st.ctrl;
  const int pitch_kind = computed_kind(sp.r.pm.pm_wave);
  const int ctrl_kind = computed_kind(sp.r.cm.cm_wave);
  const int32_t first = sp.k;
  if (sp.step_interval > 1 || st.note_started == 0 || !sp.pitch_wave || !sp.ctrl_wave ||
      pitch_kind < 0 || ctrl_kind < 0 || pm.turn == 0 || cm.turn == 0 ||
      pm.clock <= sp.pm_start || cm.clock <= sp.cm_start || first >= end) {
    return first;
  }

  TrackBuffer& tb = sp.tb;
  RunningStatus running = sp.s.running;
  int16_t last_bend = st.last_bend;
  uint8_t last_controller = st.last_controller;
  const bool opm_scaling = st.opm_scaling;
  const int channel = sp.channel;
  const int controller = sp.r.cm.cm_controller;
  // Detune, portamento and slur do not change here.
  const int32_t fixed = int32_t{sp.bend.detune} + sp.bend.portamento + sp.bend.slur;
  const int32_t pitch_speed = sp.r.pm.pm_speed;
  const int32_t e = sp.pm_e;
  const int32_t ctrl_speed = sp.r.cm.cm_speed;
  const int depth = sp.cm_depth;
  int32_t pending = sp.pending;
  Run pitch;
  pitch.load(pm, sp.bend.pitch_mod);
  Run ctrl;
  ctrl.load(cm, st.cm_value);

  // The slopes a turn sets are the same at every turn: a sawtooth starts
  // over from -e to e, a triangle turns between rising and falling by 2e.
  const Slope saw = split_slope(-e, e, 4 * pitch_speed);
  const Slope falling = split_slope(0, -2 * e, 2 * pitch_speed);
  const Slope rising = split_slope(0, 2 * e, 2 * pitch_speed);
  const bool ramp = pitch_kind == 3 || ctrl_kind == 3;
  const uint8_t bend_status = static_cast<uint8_t>(0xE0 + channel);
  const uint8_t ctrl_status = static_cast<uint8_t>(0xB0 + channel);
  const uint8_t ctrl_number = data_byte(controller);

  const int32_t per_check = static_cast<int32_t>(std::max<size_t>(1, room / kDualClockBytes));
  int32_t k = first;
  bool on = true;
  while (on && k < end) {
    if (tb.bytes.size() - tb.pos < room) ensure_room(tb, room);
    uint8_t* out = write_ptr(tb);
    const int32_t stop = static_cast<int32_t>(std::min<int64_t>(end, int64_t{k} + per_check));
    for (; k < stop; ++k) {
      // A one-shot ramp that arrives here is the clock loop's.
      if (ramp && ((pitch.osc >= pitch.turn && pitch_kind == 3) ||
                   (ctrl.osc >= ctrl.turn && ctrl_kind == 3))) {
        on = false;
        break;
      }
      // The bend and the controller value, each unless it is the last sent.
      int b = std::clamp<int>(static_cast<int16_t>(fixed + static_cast<int16_t>(pitch.value)),
                              kBendMin, kBendMax);
      const auto v = static_cast<uint8_t>(ctrl.value);
      if (b != last_bend && v != last_controller && pending < 0x80 && running.last != bend_status) {
        // Most clocks: both change, one byte of delta, and each status
        // follows the other: the eight bytes at once.
        last_bend = static_cast<int16_t>(b);
        last_controller = v;
        if (opm_scaling) b = std::clamp(b * kOpmBendNumerator / kOpmBendDenominator, kBendMin, kBendMax);
        store_bytes8(out, static_cast<uint64_t>(pending) | uint64_t{bend_status} << 8 |
                              static_cast<uint64_t>((b + 8192) & 0x7F) << 16 |
                              static_cast<uint64_t>((b + 8192) >> 7) << 24 | uint64_t{ctrl_status} << 40 |
                              uint64_t{ctrl_number} << 48 | uint64_t{v} << 56);
        out += 8;
        running.last = ctrl_status;
        pending = 0;
      } else {
        if (b != last_bend) {
          last_bend = static_cast<int16_t>(b);
          if (opm_scaling) b = std::clamp(b * kOpmBendNumerator / kOpmBendDenominator, kBendMin, kBendMax);
          out += write_vlq(out, pending);
          out += put_status(running, out, bend_status);
          *out++ = static_cast<uint8_t>((b + 8192) & 0x7F);
          *out++ = static_cast<uint8_t>((b + 8192) >> 7);
          pending = 0;
        }
        if (v != last_controller) {
          last_controller = v;
          out += write_vlq(out, pending);
          out += put_status(running, out, ctrl_status);
          *out++ = ctrl_number;
          *out++ = v;
          pending = 0;
        }
      }
      if (pitch.osc >= pitch.turn) {
        pitch.acc = 0;
        if (pitch_kind == 0) {
          pitch.slope = saw;
          pitch.value = static_cast<int16_t>(pitch.value - 2 * int64_t{e});
          pitch.turn = wrap_add(pitch.turn, 4 * pitch_speed);
        } else {
          pitch.slope = pitch.slope.direction > 0 ? falling : rising;
          pitch.turn = wrap_add(pitch.turn, 2 * pitch_speed);
        }
        // A turn at 0 would set the waveform up anew: the clock loop's.
        if (pitch.turn == 0) on = false;
      }
      pitch.follow();
      pitch.value = static_cast<int16_t>(pitch.value);
      pitch.osc = wrap_add(pitch.osc, 1);
      if (ctrl.osc >= ctrl.turn) {
        ctrl.acc = 0;
        if (ctrl_kind == 0) {
          ctrl.value = clamp_controller(ctrl.value + depth);
          ctrl.turn = wrap_add(ctrl.turn, 4 * ctrl_speed);
        } else {
          ctrl.slope.step = static_cast<int16_t>(-ctrl.slope.step);
          ctrl.slope.direction = static_cast<int8_t>(-ctrl.slope.direction);
          ctrl.turn = wrap_add(ctrl.turn, 2 * ctrl_speed);
        }
        if (ctrl.turn == 0) on = false;
      }
      ctrl.follow();
      ctrl.value = clamp_controller(ctrl.value);
      ctrl.osc = wrap_add(ctrl.osc, 1);
      pending = wrap_add(pending, 1);
      if (!on) {
        ++k;
        break;
      }
    }
    tb.pos = static_cast<size_t>(out - tb.bytes.data());
  }

  if (k == first) return first;
  const int32_t clocks = k - first;
  sp.s.running = running;
  st.last_bend = last_bend;
  st.last_controller = last_controller;
  sp.pending = pending;
  sp.bend.pitch_mod = static_cast<int16_t>(pitch.value);
  st.cm_value = static_cast<uint8_t>(ctrl.value);
  pitch.store(pm, clocks);
  ctrl.store(cm, clocks);
  st.clocks_since_note_on = wrap_add(st.clocks_since_note_on, clocks);
  return k;
}

}  // namespace orvo
