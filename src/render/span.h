// The generator's working record for one span, shared by its per-clock
// parts (the clock loop, the pitch and controller waveforms and the fade).
#pragma once

#include <cstdint>

#include "render/controllers.h"
#include "render/params.h"
#include "render/render_note.h"
#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

struct Span {
  Session& s;
  RenderState& st;
  TrackBuffer& tb;
  const NoteRenderRequest& r;
  int32_t& pending;
  BendComponents& bend;
  int channel;
  int32_t last;            // last clock of the span
  int32_t k = 0;           // the clock being generated
  uint8_t step_interval;   // -B

  // The event's settings as the step tables change them within the span.
  int16_t pm_depth;
  int32_t pm_start;
  int32_t pm_e = 0;        // pitch depth in bend units (x 1067/100 in mode 1)
  int8_t cm_depth;
  int32_t cm_start;

  // Kinds decided at the start of the span; a stopped waveform stays off for
  // the rest of it.
  bool pitch_wheel = false;   // pitch modulation as modulation-wheel values
  bool pitch_wave = false;    // pitch modulation as pitch bend, still running
  bool ctrl_plain = false;    // controller modulation as one plain value
  bool ctrl_wave = false;     // controller modulation as a waveform, still running
};

inline void span_bend(Span& sp) {
  sp.tb.pos += write_pitch_bend(sp.s, write_ptr(sp.tb), sp.pending, sp.channel, sp.bend);
}

inline void span_controller(Span& sp, int value) {
  sp.tb.pos += write_controller(sp.s, write_ptr(sp.tb), sp.pending, sp.channel,
                                sp.r.cm.cm_controller, value);
}

// The strike keys of a span still to be struck: key `key` at clock `next`,
// the keys after it `spread` clocks apart.
struct Strikes {
  bool due;        // keys are still to be struck
  int32_t next;    // clock of the next note-on (never before the clock generated)
  int key;         // index of the next key in the strike list
};

// The note-ons due at clock sp.k; the first key past the list ends them.
inline void strike_keys(Span& sp, Strikes& on, const uint8_t* keys, int velocity, int32_t spread) {
  while (on.due && sp.k == on.next) {
    if (on.key == 8 || keys[on.key] == kNoKey) {
      on.due = false;
      return;
    }
    sp.tb.pos += put_event2(sp.s.running, write_ptr(sp.tb), sp.pending, 0x90 + sp.channel,
                            keys[on.key], velocity);
    sp.pending = 0;
    sp.st.clocks_since_note_on = 0;
    sp.st.note_started = 1;
    ++on.key;
    on.next += spread;
  }
}

// Counts one clock towards the step interval; true when the value is due,
// which it always is on the last clock of the span.
inline bool interval_due(Oscillator& o, int step_interval, int32_t k, int32_t last) {
  ++o.interval;
  if (o.interval >= step_interval || k == last) {
    o.interval = 0;
    return true;
  }
  return false;
}

inline bool interval_due(Span& sp, Oscillator& o) {
  return interval_due(o, sp.step_interval, sp.k, sp.last);
}

// Adds in 32 bits with wrap-around: oscillator clocks and indices driven by
// bad speeds or loop indices must not overflow.
inline int32_t wrap_add(int32_t a, int64_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}

inline uint8_t clamp_controller(int v) {
  return static_cast<uint8_t>(v < 0 ? 0 : (v > 127 ? 127 : v));
}

// Sample `index` of user waveform `wave`; 0 outside its samples.
int16_t waveform_sample(const Session& s, uint8_t wave, int64_t index);

// A user waveform's index has passed its last sample: loop mode 1 returns
// to the loop index, 2 plays backwards down to sample 1, other modes count
// on past the samples. Returns true when the loop mode (0) stops the
// modulation.
bool waveform_ended(Oscillator& o, const Waveform& w);

// One clock of the pitch modulation as pitch bend.
void pitch_wave_clock(Span& sp);

// The clocks from sp.k up to `end` (not included) of a span in which
// nothing runs but a computed pitch waveform (sawtooth, triangle, one-shot
// ramp) once a note has sounded, and the portamento when `porta_fraction`
// (its 1/256 carry) is given: each clock as the clock loop does it, the
// room check included. Returns the first clock not done: `end`, or, without
// a portamento, the clock after the one on which the waveform stopped.
int32_t bend_run(Span& sp, int32_t end, size_t room, int32_t* porta_fraction);

// True when the span's pitch waveform is one bend_run plays.
inline bool is_computed_pitch_wave(const Span& sp) {
  const uint8_t wave = sp.r.pm.pm_wave;
  return wave != 1 && (wave < kFirstUserWaveform || wave > kLastUserWaveform);
}

// One clock of the controller modulation as a waveform.
void ctrl_wave_clock(Span& sp);

// From sp.k, once a note has sounded, with a pitch and a controller
// waveform (sawtooth or triangle, or a one-shot ramp before it arrives) both
// running and written on every clock: the clocks up to `end`, done as the
// clock loop does them, the room checked for every `room` bytes they may
// write. Returns the first clock not done: sp.k itself when sp.k is no such
// clock (a start, a ramp's arrival, a waveform of another kind).
int32_t dual_stretch(Span& sp, int32_t end, size_t room);

// A span in which nothing runs but the note-ons, the fade (`fade` when one
// steps) and a computed pitch waveform: only the clocks of a note-on or of
// a fade carry are generated one by one; between them the waveform runs
// (bend_run) or the clocks pass at once.
void plain_span(Span& sp, const uint8_t* keys, Strikes on, int32_t spread, bool fade,
                size_t room);

// One clock of the fade; true when a fade-out has just reached 0.
bool fade_clock(Span& sp);

// A count of clocks beyond any span.
constexpr int64_t kNeverClocks = int64_t{1} << 40;

// The clocks from now on on which the fade only counts its delay down or
// adds its 1/256 step short of a carry: it writes nothing and does not end
// there (kNeverClocks when that lasts for ever). Known ahead, so that the
// clocks between carries pass at once.
int64_t fade_quiet_clocks(const FadeState& f);

// Passes `clocks` of those quiet clocks (at most fade_quiet_clocks).
void pass_fade_clocks(FadeState& f, int64_t clocks);

}  // namespace orvo
