// The note renderer: one event's keys are released, struck, kept or slurred,
// its portamento set up and its clocks handed to the modulation generator.
#include "render/render_note.h"

#include <cstring>

#include "render/keys.h"
#include "render/modulation.h"
#include "render/note_event.h"
#include "render/oscillators.h"
#include "render/slope.h"

namespace orvo {

namespace {

// A new waveform number restarts its oscillator from the current chain clock.
void follow_waveforms(NoteEvent& ev) {
  RenderState& st = ev.st;
  const NoteRenderRequest& r = ev.r;
  if (r.pm.pm_wave != st.last_pm_wave) {
    clear_oscillator(st.pitch);
    ev.bend.pitch_mod = 0;
    st.pitch.clock = st.tie_elapsed;
    st.last_pm_wave = r.pm.pm_wave;
  }
  if (r.cm.cm_wave != st.last_cm_wave) {
    clear_oscillator(st.ctrl);
    st.cm_value = r.cm.cm_initial;
    st.ctrl.clock = st.tie_elapsed;
    st.last_cm_wave = r.cm.cm_wave;
  }
}

// Step positions of the tables in use; a table whose marker changed applies
// afresh.
void follow_tables(NoteEvent& ev, int32_t positions[8]) {
  const StepTables& t = ev.r.tables;
  const uint8_t markers[3] = {t.pitchModStep, t.ampModStep, t.auxModStep};
  if (markers[0] == 0 && markers[1] == 0 && markers[2] == 0) return;
  compute_step_positions(ev.st.tie_elapsed, ev.r.step, positions);
  for (int i = 0; i < 3; ++i) {
    if (markers[i] != ev.st.table_marker[i]) {
      ev.st.table_marker[i] = markers[i];
      ev.st.table_applied[i] = 0;
    }
  }
}

// A per-clock portamento given directly: its displacement in semitones over
// the event, or a slur when a tie continues with no portamento at all.
void follow_direct_portamento(NoteEvent& ev) {
  NoteRenderRequest& r = ev.r;
  PortamentoParams& p = r.porta;
  if (p.porta_mode != 1 && p.porta_mode != -1) return;
  if (p.porta_a == 0 && p.porta_b == 0 && *r.tie_continues != 0) {
    r.slur = 1;
    p.porta_mode = 0;
  }
  const int64_t clocks = int64_t{r.step} + ev.st.tie_elapsed - p.porta_delay;
  const int64_t amount = clocks * p.porta_a + (clocks * p.porta_b / 256) * p.porta_mode;
  ev.displacement = static_cast<int32_t>(amount / 683);
}

// A portamento of a total amount over the rest of the event becomes a
// per-clock slope; the detune component holds its start offset.
void set_up_portamento(NoteEvent& ev) {
  NoteRenderRequest& r = ev.r;
  PortamentoParams& p = r.porta;
  if (p.porta_mode != 2 && p.porta_mode != -2) return;
  ev.porta_set_up = true;
  if (ev.keys[0] == kRestKey || *r.porta_started != 0) {
    p.porta_mode = 0;
    return;
  }
  const int64_t clocks = int64_t{r.step} + ev.st.tie_elapsed - p.porta_delay;
  ev.bend.detune = p.porta_a;
  ev.bend.portamento = 0;
  if (clocks > 0) {
    const Slope slope = split_slope(p.porta_a, p.porta_a + p.porta_b, static_cast<int32_t>(clocks));
    p.porta_a = slope.step;
    p.porta_b = slope.fraction;
    p.porta_mode = slope.direction;
  } else {
    p.porta_mode = 0;
  }
  if ((*r.tie_continues == 0 || r.slur != 0) && p.porta_delay != 0) write_event_bend(ev);
}

}  // namespace

size_t render_note(Session& s, TrackBuffer& tb, NoteRenderRequest& r) {
  if (is_plain_note(s, r)) return render_plain_note(s, tb, r);
  ensure_room(tb, kEventRoom);
  const size_t start = tb.pos;
  RenderState& st = s.render;
  NoteEvent ev{s, st, tb, r, r.keys, r.held, *r.pending, *r.bend};
  uint8_t* keys = r.keys;
  const int32_t elapsed = st.tie_elapsed;

  r.porta.porta_delay += elapsed;  // the delay counts from the start of the tie chain
  ev.gate = r.gate > r.step ? kTieGate : r.gate;
  if (keys[0] == kRestKey && *r.tie_continues != 0 && keys[9] != kNoKey) {
    std::memcpy(keys, keys + 9, 8);  // a rest inside a tie lets the struck keys sound on
  }
  if (*r.tie_continues != 0 && (key_count(keys) >= 2 || key_count(keys + 9) >= 2)) r.slur = 0;
  if ((r.enables & kModPitch) == 0) r.pm.pm_depth = 0;
  follow_waveforms(ev);
  int32_t positions[8] = {};
  follow_tables(ev, positions);
  follow_direct_portamento(ev);

  int32_t active;
  if (ev.gate == kTieGate) {
    active = r.step;
    ev.chord_spread = 0;
  } else {
    active = ev.gate;
    ev.chord_spread = r.chord_spread;
  }
  if (keys[0] != kRestKey) {
    if (r.pm.pm_keep == 0) st.pitch.clock = elapsed;
    if (r.cm.cm_keep == 0) st.ctrl.clock = elapsed;
  }

  const bool wait = st.wait_marker == kWaitStep;
  if (wait) {
    ev.note_on = true;
  } else if (*r.tie_continues != 0) {
    continue_tie(ev);
  } else {
    start_note(ev);
  }
  set_up_portamento(ev);
  if (ev.gate == kTieGate) *r.tie_continues = 1;
  if (*r.porta_started != 0) r.porta.porta_mode = 0;

  int32_t porta_fraction = 0;  // the portamento's 1/256 carry, for this event only
  const bool fade = r.fade != nullptr && r.fade->state != 0;
  if (keys[0] != kRestKey || r.pm.pm_depth != 0 || r.cm.cm_mode != 0 || fade) {
    ModulationSpan span;
    span.first = elapsed;
    span.last = elapsed + active - 1;
    span.note_on = ev.note_on;
    span.chord_spread = ev.chord_spread;
    span.positions = positions;
    span.porta_fraction = &porta_fraction;
    generate_modulation(s, tb, r, span);
  } else {
    ev.pending += active;
  }

  if (wait) {
    st.wait_marker = kNoWaitStep;
    return tb.pos - start;
  }
  finish_event(ev, active, positions, &porta_fraction);

  st.last_pm_depth = r.pm.pm_depth;
  st.last_porta_mode = r.porta.porta_mode;
  const int pitch = r.slur != 0 && r.porta.porta_mode == 0 ? keys[0] : keys[0] + ev.displacement;
  st.last_pitch = static_cast<int8_t>(static_cast<uint8_t>(pitch));
  return tb.pos - start;
}

}  // namespace orvo
