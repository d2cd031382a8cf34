// The pitch modulation as pitch bend: sawtooth, square, triangle, one-shot
// ramp and the user waveforms, one clock at a time into the pitch-modulation
// component.
#include <algorithm>
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

// Sawtooth (0), triangle (2) and one-shot ramp (3), one clock of the
// oscillator `o` into the pitch-modulation component `pitch_mod`; `running`
// goes false when the ramp has arrived. `write_due` writes the bend when the
// step interval says it is due. The state comes in as plain references so
// that a run of clocks can keep it in locals.
template <class WriteDue>
void computed_wave(Oscillator& o, int16_t& pitch_mod, bool& running, int32_t speed, int32_t e,
                   uint8_t wave, WriteDue&& write_due) {
  if (o.turn == 0) {
    o.turn = wave == 2 ? speed : 2 * speed;
    o.slope = split_slope(0, e, o.turn);
    o.fraction = 0;
  }
  write_due();
  if (o.osc >= o.turn) {
    o.fraction = 0;
    if (wave == 0) {
      o.slope = split_slope(-e, e, 4 * speed);
      pitch_mod = static_cast<int16_t>(pitch_mod - 2 * int64_t{e});
      o.turn = wrap_add(o.turn, 4 * speed);
    } else if (wave == 2) {
      o.slope = split_slope(0, -2 * e * o.slope.direction, 2 * speed);
      o.turn = wrap_add(o.turn, 2 * speed);
    } else {
      running = false;  // the ramp has arrived and stays
      return;
    }
  }
  int64_t v = pitch_mod + o.slope.step;
  o.fraction = static_cast<int16_t>(o.fraction + o.slope.fraction);
  if (o.fraction > 255) {
    o.fraction = static_cast<int16_t>(o.fraction - 256);
    v += o.slope.direction;
  }
  pitch_mod = static_cast<int16_t>(v);
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

// Bytes of one bend at most: a delta of up to 4 bytes, a status and two
// data bytes.
constexpr size_t kBendBytes = 7;

// The bend writer of a run: the write position and what write_pitch_bend
// keeps in the session, held in locals for the run. Detune and slur do not
// change within a run; they are summed once.
struct RunBendWriter {
  uint8_t* out;          // where the next byte goes
  const uint8_t* limit;  // end of the room the buffer has
  RunningStatus running;
  int16_t last_bend;
  bool opm_scaling;
  int channel;
  int32_t fixed;         // detune + slur

  void write(int32_t& pending, int16_t portamento, int16_t pitch_mod) {
    out += put_bend(running, last_bend, opm_scaling, out, pending, channel,
                    static_cast<int16_t>(fixed + portamento + pitch_mod));
  }
};

}  // namespace

int32_t bend_run(Span& sp, int32_t end, size_t room, int32_t* porta_fraction) {
  // The pending delta, the components and the bend writer live in locals
  // for the run, so that they stay in registers while bytes are written;
  // they go back at its end.
  RenderState& st = sp.st;
  TrackBuffer& tb = sp.tb;
  Oscillator& o = st.pitch;  // read on the few clocks of a turn; a stretch works on copies
  int32_t pending = sp.pending;
  int16_t pitch_mod = sp.bend.pitch_mod;
  int16_t portamento = sp.bend.portamento;
  const bool pitch_running = sp.pitch_wave && st.note_started != 0;
  bool running = pitch_running;
  const int32_t speed = sp.r.pm.pm_speed;
  const int32_t e = sp.pm_e;
  const int32_t pm_start = sp.pm_start;
  const int32_t last = sp.last;
  const int step_interval = sp.step_interval;
  const uint8_t wave = sp.r.pm.pm_wave == 0 || sp.r.pm.pm_wave == 3 ? sp.r.pm.pm_wave : 2;
  const PortamentoParams& p = sp.r.porta;
  const bool porta = porta_fraction != nullptr;
  int32_t fraction = porta ? *porta_fraction : 0;
  uint8_t porta_interval = st.porta_interval;
  RunBendWriter w{write_ptr(tb),
                  tb.bytes.data() + tb.bytes.size(),
                  sp.s.running,
                  st.last_bend,
                  st.opm_scaling,
                  sp.channel,
                  int32_t{sp.bend.detune} + sp.bend.slur};
  const int32_t first = sp.k;
  int32_t k = first;
  int32_t done = first;  // the last clock generated
  // With a value due on every clock (-B1, the default) and no portamento,
  // the clocks up to the next turning point only write the bend and follow
  // the slope: they run in a loop of their own.
  const bool every_clock = step_interval <= 1 && !porta;
  const int32_t per_check = static_cast<int32_t>(std::max<size_t>(1, room / kBendBytes));
  while (k < end) {
    done = k;
    if (running && !porta && o.clock < pm_start) {
      // The modulation waits for its start clock: those clocks only count.
      const int32_t n = static_cast<int32_t>(
          std::min<int64_t>(int64_t{end} - k, int64_t{pm_start} - o.clock));
      pending = wrap_add(pending, n);
      o.clock = wrap_add(o.clock, n);
      k += n;
      done = k - 1;
      continue;
    }
    if (every_clock && running && o.turn != 0 && o.clock > pm_start && o.osc < o.turn) {
      const int32_t n = static_cast<int32_t>(
          std::min<int64_t>(int64_t{end} - k, int64_t{o.turn} - o.osc));
      const Slope slope = o.slope;
      int16_t acc = o.fraction;
      const auto room_check = [&] {
        if (static_cast<size_t>(w.limit - w.out) < room) {
          tb.pos = static_cast<size_t>(w.out - tb.bytes.data());
          ensure_room(tb, room);
          w.out = write_ptr(tb);
          w.limit = tb.bytes.data() + tb.bytes.size();
        }
      };
      if (slope.step == 0 && slope.fraction < 128) {
        // Less than half a unit a clock: the bend written holds until the
        // next carry of the fraction, and the clocks before it, which
        // write nothing, pass at once.
        for (int32_t i = 0; i < n;) {
          room_check();
          w.write(pending, portamento, pitch_mod);
          int64_t clocks = int64_t{n} - i;  // the clocks of this value
          bool carries = false;
          if (slope.fraction != 0 && (255 - acc) / slope.fraction + 1 <= clocks) {
            clocks = (255 - acc) / slope.fraction + 1;
            carries = true;
          }
          acc = static_cast<int16_t>(acc + clocks * slope.fraction - (carries ? 256 : 0));
          if (carries) pitch_mod = static_cast<int16_t>(pitch_mod + slope.direction);
          pending = wrap_add(pending, clocks);
          i += static_cast<int32_t>(clocks);
        }
      } else {
        for (int32_t i = 0; i < n;) {
          // The room holds the bends of this many clocks: it is checked
          // once for all of them.
          room_check();
          const int32_t stop = std::min(n, i + per_check);
          for (; i < stop; ++i) {
            w.write(pending, portamento, pitch_mod);
            int32_t v = pitch_mod + slope.step;
            acc = static_cast<int16_t>(acc + slope.fraction);
            if (acc > 255) {
              acc = static_cast<int16_t>(acc - 256);
              v += slope.direction;
            }
            pitch_mod = static_cast<int16_t>(v);
            pending = wrap_add(pending, 1);
          }
        }
      }
      o.fraction = acc;
      o.interval = 0;
      o.osc = wrap_add(o.osc, n);
      o.clock = wrap_add(o.clock, n);
      k += n;
      done = k - 1;
      continue;
    }
    if (static_cast<size_t>(w.limit - w.out) < room) {
      tb.pos = static_cast<size_t>(w.out - tb.bytes.data());
      ensure_room(tb, room);
      w.out = write_ptr(tb);
      w.limit = tb.bytes.data() + tb.bytes.size();
    }
    if (porta && k >= p.porta_delay) {
      // The portamento's clock comes first: its bend every step interval
      // and on the last clock, then the displacement advances.
      if (k == p.porta_delay) {
        fraction = 0;
        porta_interval = 0;
      }
      ++porta_interval;
      if (porta_interval >= (k == last ? 1 : step_interval)) {
        w.write(pending, portamento, pitch_mod);
        porta_interval = 0;
      }
      int32_t v = portamento + p.porta_a;
      fraction += p.porta_b;
      if (fraction > 255) {
        fraction -= 256;
        v += p.porta_mode;
      }
      portamento = static_cast<int16_t>(v);
    }
    if (running && o.clock >= pm_start) {
      if (o.clock == pm_start) o.interval = 0;
      computed_wave(o, pitch_mod, running, speed, e, wave, [&] {
        if (interval_due(o, step_interval, k, last)) w.write(pending, portamento, pitch_mod);
      });
      if (running) o.osc = wrap_add(o.osc, 1);
    }
    pending = wrap_add(pending, 1);
    o.clock = wrap_add(o.clock, 1);
    ++k;
    if (!running && !porta) break;
  }
  // The other clock counters only count on.
  const int64_t clocks = int64_t{k} - first;
  st.ctrl.clock = wrap_add(st.ctrl.clock, clocks);
  st.clocks_since_note_on = wrap_add(st.clocks_since_note_on, clocks);
  tb.pos = static_cast<size_t>(w.out - tb.bytes.data());
  sp.s.running = w.running;
  st.last_bend = w.last_bend;
  st.porta_interval = porta_interval;
  if (porta) *porta_fraction = fraction;
  sp.pending = pending;
  sp.bend.pitch_mod = pitch_mod;
  sp.bend.portamento = portamento;
  if (pitch_running) sp.pitch_wave = running;
  sp.k = done;
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
    computed_wave(o, sp.bend.pitch_mod, sp.pitch_wave, sp.r.pm.pm_speed, sp.pm_e,
                  wave == 0 || wave == 3 ? wave : 2, [&] { emit(sp, o); });
  }
  if (sp.pitch_wave) o.osc = wrap_add(o.osc, 1);
}

}  // namespace orvo
