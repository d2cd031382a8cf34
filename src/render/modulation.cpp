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

// What the clock loop knows of a span beyond the Span record.
struct LoopState {
  bool note_on;                   // keys still to strike, the next at next_on
  int32_t next_on;
  bool tables;                    // step tables in use, the next step at positions[table_index]
  int table_index;
  const int32_t* positions;
  bool porta;                     // a portamento runs from porta_delay on
  bool fade;                      // a fade steps every clock
};

// The clocks from sp.k on at which nothing can be written and no state but
// the clock counters changes: up to the next note-on, table step, portamento
// clock, fade step, modulation start or running waveform, at most to the
// end of the span. 0 when something may happen at sp.k itself.
int64_t quiet_clocks(const Span& sp, const LoopState& ls) {
  const RenderState& st = sp.st;
  const int64_t k = sp.k;
  if (ls.fade) return 0;
  int64_t next = int64_t{sp.last} + 1;
  if (st.note_started != 0) {
    if (sp.ctrl_wave) return 0;
    if (sp.pitch_wave) {
      if (st.pitch.clock >= sp.pm_start) return 0;
      next = std::min(next, k + (int64_t{sp.pm_start} - st.pitch.clock));
    }
    if (sp.pitch_wheel && st.clocks_since_note_on <= sp.pm_start) {
      next = std::min(next, k + (int64_t{sp.pm_start} - st.clocks_since_note_on));
    }
    if (sp.ctrl_plain && sp.cm_start >= k) next = std::min<int64_t>(next, sp.cm_start);
  }
  if (ls.note_on && ls.next_on >= k) next = std::min<int64_t>(next, ls.next_on);
  if (ls.tables && ls.table_index < 8 && ls.positions[ls.table_index] >= k) {
    next = std::min<int64_t>(next, ls.positions[ls.table_index]);
  }
  if (ls.porta) next = std::min(next, std::max<int64_t>(k, sp.r.porta.porta_delay));
  return next - k;
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

// Everything a clock calls is inlined here: the waveforms and writers run
// for nearly every clock of a modulated note.
__attribute__((flatten)) size_t generate_modulation(Session& s, TrackBuffer& tb,
                                                    const NoteRenderRequest& r,
                                                    const ModulationSpan& span) {
  const size_t start = tb.pos;
  RenderState& st = s.render;
  Span sp{s,           st,           tb, r, *r.pending, *r.bend, r.channel, span.last, span.first,
          r.step_interval, r.pm.pm_depth, r.pm.pm_start, 0, r.cm.cm_depth, r.cm.cm_start};
  sp.pm_e = pitch_depth(r, sp.pm_depth);

  // What can happen in this span is decided once, at its start.
  const uint8_t* keys = r.keys;
  const bool sounding = keys[0] != kRestKey;
  const bool pitch_on = r.pm.pm_depth >= 1 && (r.enables & kModPitch) != 0;
  sp.pitch_wheel = pitch_on && r.pm.pm_mode == 0;
  sp.pitch_wave = pitch_on && r.pm.pm_mode != 0;
  const bool ctrl_on = r.cm.cm_depth != -128 && (r.enables & kModCtrl) != 0;
  sp.ctrl_plain = ctrl_on && r.cm.cm_mode == 0;
  sp.ctrl_wave = ctrl_on && r.cm.cm_mode != 0;
  const StepTables& t = r.tables;
  const bool tables = sounding && span.positions != nullptr &&
                      (t.pitchModStep != 0 || t.ampModStep != 0 || t.auxModStep != 0);
  const bool porta = r.porta.porta_mode != 0 && r.step_interval != 0;
  const bool fade = r.fade != nullptr && r.fade->state != 0;

  int32_t own_fraction = 0;
  int32_t& porta_fraction = span.porta_fraction != nullptr ? *span.porta_fraction : own_fraction;
  bool note_on = sounding && span.note_on;
  int32_t next_on = span.first;
  int key = 0;
  int table_index = 0;

  for (int32_t k = span.first; k <= span.last; ++k) {
    sp.k = k;
    // Quiet clocks pass at once. On a clock where something may happen the
    // span cannot end early, so only quiet ones need the test for it.
    const int64_t quiet =
        quiet_clocks(sp, {note_on, next_on, tables, table_index, span.positions, porta, fade});
    if (quiet > 0) {
      // Nothing more can be written in this span: the remaining clocks pass.
      const bool tables_due = tables && table_index < 8 && span.positions[table_index] >= k &&
                              span.positions[table_index] <= span.last;
      const bool modulating =
          (st.note_started != 0 || note_on) &&
          (sp.pitch_wave || sp.ctrl_wave ||
           (sp.pitch_wheel && st.clocks_since_note_on <= sp.pm_start) ||
           (sp.ctrl_plain && k <= sp.cm_start));
      if (!note_on && !tables_due && !modulating && !fade &&
          !(porta && r.porta.porta_delay <= span.last)) {
        const int32_t rest = span.last - k + 1;
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
      add_clocks(sp.pending, n);
      add_clocks(st.pitch.clock, n);
      add_clocks(st.ctrl.clock, n);
      add_clocks(st.clocks_since_note_on, n);
      k = wrap_add(k, n - 1);  // the loop steps on to the clock where something happens
      continue;
    }
    if (tb.bytes.size() - tb.pos < kClockRoom) ensure_room(tb, kClockRoom);

    while (note_on && k == next_on) {
      if (key == 8 || keys[key] == kNoKey) {
        note_on = false;
        break;
      }
      tb.pos += put_event2(s.running, write_ptr(tb), sp.pending, 0x90 + r.channel, keys[key],
                           r.velocity);
      sp.pending = 0;
      st.clocks_since_note_on = 0;
      st.note_started = 1;
      ++key;
      next_on += span.chord_spread;
    }
    if (tables && table_index < 8 && k == span.positions[table_index]) {
      apply_tables(sp, table_index);
      ++table_index;
    }
    if (porta && k >= r.porta.porta_delay) portamento_clock(sp, porta_fraction);
    if (st.note_started != 0) {
      if (sp.pitch_wheel && st.clocks_since_note_on == sp.pm_start) {
        tb.pos += write_modulation(s, write_ptr(tb), sp.pending, r.channel, sp.pm_depth);
      }
      if (sp.ctrl_plain && k == sp.cm_start) span_controller(sp, static_cast<uint8_t>(sp.cm_depth));
      if (sp.pitch_wave) pitch_wave_clock(sp);
      if (sp.ctrl_wave) ctrl_wave_clock(sp);
    }
    const bool faded_out = fade && fade_clock(sp);
    if (faded_out) add_clocks(sp.pending, span.last - k);
    add_clocks(sp.pending, 1);
    add_clocks(st.pitch.clock, 1);
    add_clocks(st.ctrl.clock, 1);
    add_clocks(st.clocks_since_note_on, 1);
    if (faded_out) break;
  }

  for (int8_t& applied : st.table_applied) applied = static_cast<int8_t>(-applied);
  return tb.pos - start;
}

}  // namespace orvo
