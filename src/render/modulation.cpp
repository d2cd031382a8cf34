// The generator's clock loop: for each clock of a span, in this order, the
// note-ons, the eight-step tables, the portamento, the pitch and controller
// modulation and the fade, then one clock more of pending delta.
#include "render/modulation.h"

#include <algorithm>

#include "render/controllers.h"
#include "render/oscillators.h"
#include "render/span.h"
#include "smf/events.h"

namespace orvo {

namespace {

// Bytes one clock can write at most: eight note-ons, the three tables, the
// portamento bend, the modulation values and a fade message.
constexpr size_t kClockRoom = 256;

void add_clocks(int32_t& counter, int32_t clocks) { counter = wrap_add(counter, clocks); }

int32_t pitch_depth(const NoteRenderRequest& r, int16_t depth) {
  return r.pm.pm_mode == 1 ? depth * 1067 / 100 : depth;
}

// Applies table entry i of every table in use that has not yet been applied
// in an earlier span of this note.
void apply_tables(Span& sp, int i) {
  const StepTables& t = sp.r.tables;
  RenderState& st = sp.st;
  const uint8_t enables = sp.r.enables;
  if (t.pitchModStep != 0 && st.table_applied[0] >= 0 && (enables & kModPitch) != 0) {
    if (sp.r.pm.pm_mode == 0) {
      sp.tb.pos += write_modulation(sp.s, write_ptr(sp.tb), sp.pending, sp.channel,
                                    t.pitchModTable[i]);
    } else {
      sp.pm_depth = t.pitchModTable[i];
      sp.pm_e = pitch_depth(sp.r, sp.pm_depth);
      sp.pm_start = sp.k;
      if (sp.r.pm.pm_keep == 0) {
        clear_oscillator(st.pitch);
        sp.bend.pitch_mod = 0;
        st.pitch.clock = 0;  // the restarted modulation waits until the clock reaches k again
      }
    }
    st.table_applied[0] = 1;
  }
  if (t.ampModStep != 0 && st.table_applied[1] >= 0 && (enables & kModCtrl) != 0) {
    if (sp.r.cm.cm_mode == 0) {
      span_controller(sp, t.ampModTable[i] & 0xFF);
    } else {
      sp.cm_depth = static_cast<int8_t>(t.ampModTable[i] & 0xFF);
      sp.cm_start = sp.k;
      if (sp.r.cm.cm_keep == 0) {
        clear_oscillator(st.ctrl);
        st.ctrl.clock = 0;
      }
    }
    st.table_applied[1] = 1;
  }
  if (t.auxModStep != 0 && st.table_applied[2] >= 0 && (enables & kModPressure) != 0 &&
      t.auxModTable[i] != st.last_pressure) {
    sp.tb.pos += put_event1(sp.s.running, write_ptr(sp.tb), sp.pending, 0xD0 + sp.channel,
                            t.auxModTable[i] & 0xFF);
    sp.pending = 0;
    st.last_pressure = t.auxModTable[i];
    st.table_applied[2] = 1;
  }
}

// One clock of a running portamento. The bend is written every step
// interval and always on the last clock, then the displacement advances.
void portamento_clock(Span& sp, int32_t& fraction) {
  RenderState& st = sp.st;
  const PortamentoParams& p = sp.r.porta;
  if (sp.k == p.porta_delay) {
    fraction = 0;
    st.porta_interval = 0;
  }
  const int interval = sp.k == sp.last ? 1 : sp.step_interval;
  ++st.porta_interval;
  if (st.porta_interval >= interval) {
    span_bend(sp);
    st.porta_interval = 0;
  }
  int32_t v = sp.bend.portamento + p.porta_a;
  fraction += p.porta_b;
  if (fraction > 255) {
    fraction -= 256;
    v += p.porta_mode;
  }
  sp.bend.portamento = static_cast<int16_t>(v);
}

// What may happen in a span, decided at its start.
struct SpanKinds {
  bool note_on = false;  // keys to strike
  bool pitch = false;    // pitch modulation on, as wheel values or as bend
  bool ctrl = false;     // controller modulation on, plain or as a waveform
  bool tables = false;   // step tables in use
  bool porta = false;    // a portamento runs
  bool fade = false;     // a fade steps
};

// What the clock loop knows of a span beyond the Span record.
struct LoopState {
  Strikes on;                     // keys still to strike
  bool tables;                    // step tables in use, the next step at positions[table_index]
  int table_index;
  const int32_t* positions;
  bool porta;                     // a portamento runs from porta_delay on
  bool porta_in_runs;             // its clocks are bend_run's, not events of their own
  bool fade;                      // a fade steps
};

// The first clock from sp.k on at which something other than the running
// waveforms may happen: a note-on, a table step, a portamento clock, a fade
// carry, the start value of the pitch wheel or of a plain controller; the
// clock after the span when nothing will.
int64_t next_event(const Span& sp, const LoopState& ls) {
  const RenderState& st = sp.st;
  const int64_t k = sp.k;
  int64_t next = int64_t{sp.last} + 1;
  if (ls.fade) next = std::min(next, k + fade_quiet_clocks(*sp.r.fade));
  if (st.note_started != 0) {
    if (sp.pitch_wheel && st.clocks_since_note_on <= sp.pm_start) {
      next = std::min(next, k + (int64_t{sp.pm_start} - st.clocks_since_note_on));
    }
    if (sp.ctrl_plain && sp.cm_start >= k) next = std::min<int64_t>(next, sp.cm_start);
  }
  if (ls.on.due && ls.on.next >= k) next = std::min<int64_t>(next, ls.on.next);
  if (ls.tables && ls.table_index < 8 && ls.positions[ls.table_index] >= k) {
    next = std::min<int64_t>(next, ls.positions[ls.table_index]);
  }
  if (ls.porta && !ls.porta_in_runs) {
    next = std::min(next, std::max<int64_t>(k, sp.r.porta.porta_delay));
  }
  return next;
}

// The clocks from sp.k on at which nothing can be written and no state but
// the clock counters changes: up to the next event or running waveform. 0
// when something may happen at sp.k itself.
int64_t quiet_clocks(const Span& sp, const LoopState& ls, int64_t event) {
  const RenderState& st = sp.st;
  int64_t next = event;
  if (ls.porta_in_runs) {
    if (sp.k >= sp.r.porta.porta_delay) return 0;
    next = std::min<int64_t>(next, sp.r.porta.porta_delay);
  }
  if (st.note_started != 0) {
    if (sp.ctrl_wave) return 0;
    if (sp.pitch_wave) {
      if (st.pitch.clock >= sp.pm_start) return 0;
      next = std::min(next, sp.k + (int64_t{sp.pm_start} - st.pitch.clock));
    }
  }
  return next - sp.k;
}

// One clock on which only the waveforms run.
void wave_clock(Span& sp) {
  RenderState& st = sp.st;
  if (st.note_started != 0) {
    if (sp.pitch_wave) pitch_wave_clock(sp);
    if (sp.ctrl_wave) ctrl_wave_clock(sp);
  }
  add_clocks(sp.pending, 1);
  add_clocks(st.pitch.clock, 1);
  add_clocks(st.ctrl.clock, 1);
  add_clocks(st.clocks_since_note_on, 1);
}

// Passes `clocks` clocks on which the fade, if one steps, writes nothing.
void pass_fade(const Span& sp, const LoopState& ls, int64_t clocks) {
  if (ls.fade) pass_fade_clocks(*sp.r.fade, clocks);
}

// The clocks of a span one event at a time: quiet clocks pass at once, and
// up to the next event only the waveforms run.
void clock_loop(Span& sp, const ModulationSpan& span, LoopState ls) {
  RenderState& st = sp.st;
  TrackBuffer& tb = sp.tb;
  const NoteRenderRequest& r = sp.r;
  int32_t own_fraction = 0;
  int32_t& porta_fraction = span.porta_fraction != nullptr ? *span.porta_fraction : own_fraction;
  const uint8_t* keys = r.keys;

  for (int32_t k = span.first; k <= span.last; ++k) {
    sp.k = k;
    // Quiet clocks pass at once. On a clock where something may happen the
    // span cannot end early, so only quiet ones need the test for it.
    const int64_t event = next_event(sp, ls);
    const int64_t quiet = quiet_clocks(sp, ls, event);
    if (quiet > 0) {
      // Nothing more can be written in this span: the remaining clocks pass.
      const bool tables_due = ls.tables && ls.table_index < 8 &&
                              span.positions[ls.table_index] >= k &&
                              span.positions[ls.table_index] <= span.last;
      const bool modulating =
          (st.note_started != 0 || ls.on.due) &&
          (sp.pitch_wave || sp.ctrl_wave ||
           (sp.pitch_wheel && st.clocks_since_note_on <= sp.pm_start) ||
           (sp.ctrl_plain && k <= sp.cm_start));
      const bool fade_due = ls.fade && k + fade_quiet_clocks(*r.fade) <= span.last;
      if (!ls.on.due && !tables_due && !modulating && !fade_due &&
          !(ls.porta && r.porta.porta_delay <= span.last)) {
        const int32_t rest = span.last - k + 1;
        pass_fade(sp, ls, rest);
        add_clocks(sp.pending, rest);
        add_clocks(st.pitch.clock, rest);
        add_clocks(st.ctrl.clock, rest);
        add_clocks(st.clocks_since_note_on, rest);
        break;
      }
      // The room is checked as on every clock that goes on; nothing is
      // written on the quiet ones, so once stands for all of them.
      if (tb.bytes.size() - tb.pos < kClockRoom) ensure_room(tb, kClockRoom);
      const int32_t n = static_cast<int32_t>(quiet);
      pass_fade(sp, ls, n);
      add_clocks(sp.pending, n);
      add_clocks(st.pitch.clock, n);
      add_clocks(st.ctrl.clock, n);
      add_clocks(st.clocks_since_note_on, n);
      k = wrap_add(k, n - 1);  // the loop steps on to the clock where something happens
      continue;
    }
    if (event > k) {
      // Up to the next event only the waveforms run, clock by clock, while
      // one of them does; then the loop looks again.
      const int32_t from = k;
      if (ls.porta_in_runs || (sp.pitch_wave && !sp.ctrl_wave && is_computed_pitch_wave(sp))) {
        k = bend_run(sp, static_cast<int32_t>(event), kClockRoom,
                     ls.porta_in_runs ? &porta_fraction : nullptr);
      } else {
        for (; k < event && (sp.pitch_wave || sp.ctrl_wave); ++k) {
          sp.k = k;
          if (const int32_t to = dual_stretch(sp, static_cast<int32_t>(event), kClockRoom); to > k) {
            k = to - 1;  // the loop steps on to the first clock not done
            continue;
          }
          if (tb.bytes.size() - tb.pos < kClockRoom) ensure_room(tb, kClockRoom);
          wave_clock(sp);
        }
      }
      pass_fade(sp, ls, int64_t{k} - from);
      --k;  // the loop steps on to the first clock not done
      continue;
    }
    if (tb.bytes.size() - tb.pos < kClockRoom) ensure_room(tb, kClockRoom);

    strike_keys(sp, ls.on, keys, r.velocity, span.chord_spread);
    if (ls.tables && ls.table_index < 8 && k == span.positions[ls.table_index]) {
      apply_tables(sp, ls.table_index);
      ++ls.table_index;
    }
    if (ls.porta && k >= r.porta.porta_delay) portamento_clock(sp, porta_fraction);
    if (st.note_started != 0) {
      if (sp.pitch_wheel && st.clocks_since_note_on == sp.pm_start) {
        tb.pos += write_modulation(sp.s, write_ptr(tb), sp.pending, r.channel, sp.pm_depth);
      }
      if (sp.ctrl_plain && k == sp.cm_start) span_controller(sp, static_cast<uint8_t>(sp.cm_depth));
      if (sp.pitch_wave) pitch_wave_clock(sp);
      if (sp.ctrl_wave) ctrl_wave_clock(sp);
    }
    const bool faded_out = ls.fade && fade_clock(sp);
    if (faded_out) add_clocks(sp.pending, span.last - k);
    add_clocks(sp.pending, 1);
    add_clocks(st.pitch.clock, 1);
    add_clocks(st.ctrl.clock, 1);
    add_clocks(st.clocks_since_note_on, 1);
    if (faded_out) break;
  }
}

}  // namespace

void compute_step_positions(int32_t start, uint16_t step, int32_t positions[8]) {
  const int32_t whole = step / 8;
  const int32_t part = (step % 8) * 64;
  int32_t fraction = part;
  positions[0] = start;
  for (int i = 1; i < 8; ++i) {
    positions[i] = positions[i - 1] + whole;
    fraction += part;
    if (fraction > 255) {
      fraction -= 256;
      positions[i] += 1;
    }
  }
}

namespace {

}  // namespace

void pass_span_clocks(Session& s, int32_t& pending, int32_t clocks) {
  RenderState& st = s.render;
  add_clocks(pending, clocks);
  add_clocks(st.pitch.clock, clocks);
  add_clocks(st.ctrl.clock, clocks);
  add_clocks(st.clocks_since_note_on, clocks);
}

__attribute__((noinline)) void strike_span(Session& s, TrackBuffer& tb, const NoteRenderRequest& r,
                                           const ModulationSpan& span) {
  RenderState& st = s.render;
  int32_t& pending = *r.pending;
  const int64_t end = int64_t{span.last} + 1;
  int64_t k = span.first;
  const auto strike = [&](int key) {
    tb.pos += put_event2(s.running, write_ptr(tb), pending, 0x90 + r.channel, r.keys[key],
                         r.velocity);
    pending = 0;
    st.clocks_since_note_on = 0;
    st.note_started = 1;
  };
  if (span.chord_spread == 0) {
    // Every key on the first clock.
    if (span.note_on && k < end && r.keys[0] != kNoKey) {
      if (tb.bytes.size() - tb.pos < kClockRoom) ensure_room(tb, kClockRoom);
      for (int key = 0; key < 8 && r.keys[key] != kNoKey; ++key) strike(key);
    }
  } else {
    for (int key = 0; span.note_on && key < 8 && r.keys[key] != kNoKey; ++key) {
      const int64_t at = span.first + int64_t{key} * span.chord_spread;
      if (at >= end) break;
      pass_span_clocks(s, pending, static_cast<int32_t>(at - k));
      k = at;
      if (tb.bytes.size() - tb.pos < kClockRoom) ensure_room(tb, kClockRoom);
      strike(key);
    }
  }
  pass_span_clocks(s, pending, static_cast<int32_t>(end - k));
}

namespace {

// The span with everything a clock may do, all of it inlined here: the
// waveforms and writers run for nearly every clock of a modulated note.
__attribute__((flatten)) void modulated_span(Session& s, TrackBuffer& tb,
                                             const NoteRenderRequest& r,
                                             const ModulationSpan& span, const SpanKinds& kinds) {
  Span sp{s,           s.render,     tb, r, *r.pending, *r.bend, r.channel, span.last, span.first,
          r.step_interval, r.pm.pm_depth, r.pm.pm_start, 0, r.cm.cm_depth, r.cm.cm_start};
  sp.pm_e = pitch_depth(r, sp.pm_depth);
  sp.pitch_wheel = kinds.pitch && r.pm.pm_mode == 0;
  sp.pitch_wave = kinds.pitch && r.pm.pm_mode != 0;
  sp.ctrl_plain = kinds.ctrl && r.cm.cm_mode == 0;
  sp.ctrl_wave = kinds.ctrl && r.cm.cm_mode != 0;
  const Strikes on{kinds.note_on, span.first, 0};
  if (!sp.pitch_wheel && !kinds.ctrl && !kinds.tables && !kinds.porta &&
      (!sp.pitch_wave || is_computed_pitch_wave(sp))) {
    plain_span(sp, r.keys, on, span.chord_spread, kinds.fade, kClockRoom);
  } else {
    // The portamento's clocks join the runs of a computed pitch waveform,
    // unless another waveform runs clock by clock beside it.
    const bool porta_in_runs =
        kinds.porta && !sp.ctrl_wave && (!sp.pitch_wave || is_computed_pitch_wave(sp));
    clock_loop(sp, span,
               {on, kinds.tables, 0, span.positions, kinds.porta, porta_in_runs, kinds.fade});
  }
}

}  // namespace

__attribute__((flatten)) void generate_plain_span(Session& s, TrackBuffer& tb,
                                                  const NoteRenderRequest& r,
                                                  const ModulationSpan& span, bool pitch,
                                                  bool fade) {
  Span sp{s,           s.render,     tb, r, *r.pending, *r.bend, r.channel, span.last, span.first,
          r.step_interval, r.pm.pm_depth, r.pm.pm_start, 0, r.cm.cm_depth, r.cm.cm_start};
  sp.pm_e = pitch_depth(r, sp.pm_depth);
  sp.pitch_wave = pitch;
  const Strikes on{r.keys[0] != kRestKey && span.note_on, span.first, 0};
  plain_span(sp, r.keys, on, span.chord_spread, fade, kClockRoom);
  for (int8_t& applied : s.render.table_applied) applied = static_cast<int8_t>(-applied);
}

size_t generate_modulation(Session& s, TrackBuffer& tb, const NoteRenderRequest& r,
                           const ModulationSpan& span) {
  const size_t start = tb.pos;
  // What can happen in this span is decided once, at its start.
  const StepTables& t = r.tables;
  const bool sounding = r.keys[0] != kRestKey;
  SpanKinds kinds;
  kinds.note_on = sounding && span.note_on;
  kinds.pitch = r.pm.pm_depth >= 1 && (r.enables & kModPitch) != 0;
  kinds.ctrl = r.cm.cm_depth != -128 && (r.enables & kModCtrl) != 0;
  kinds.tables = sounding && span.positions != nullptr &&
                 (t.pitchModStep != 0 || t.ampModStep != 0 || t.auxModStep != 0);
  kinds.porta = r.porta.porta_mode != 0 && r.step_interval != 0;
  kinds.fade = r.fade != nullptr && r.fade->state != 0;
  if (!kinds.pitch && !kinds.ctrl && !kinds.tables && !kinds.porta && !kinds.fade) {
    if (kinds.note_on) {
      strike_span(s, tb, r, span);
    } else if (span.last >= span.first) {
      pass_span_clocks(s, *r.pending, span.last - span.first + 1);  // nothing happens at all
    }
  } else {
    modulated_span(s, tb, r, span, kinds);
  }
  for (int8_t& applied : s.render.table_applied) applied = static_cast<int8_t>(-applied);
  return tb.pos - start;
}

}  // namespace orvo
