// The most common event, rendered without the general steps: a note or
// chord struck and released within its own step, outside a tie, with no
// key held by CD, no portamento, no step table and no controller
// modulation (a pitch modulation and a fade may run). Its bytes and its state are those of the general
// steps of render_note for such an event; only the tests that cannot
// succeed are left out.
#include <cstring>

#include "render/controllers.h"
#include "render/keys.h"
#include "render/modulation.h"
#include "render/note_event.h"
#include "render/oscillators.h"

namespace orvo {

bool is_plain_note(const Session& s, const NoteRenderRequest& r) {
  const RenderState& st = s.render;
  const StepTables& t = r.tables;
  return *r.tie_continues == 0 && r.gate <= r.step && r.gate != kTieGate &&
         r.keys[0] != kRestKey && r.held[0] == kNoKey && r.keyoff_suppressed == 0 &&
         r.porta.porta_mode == 0 && t.pitchModStep == 0 && t.ampModStep == 0 &&
         t.auxModStep == 0 && r.pm.pm_wave == st.last_pm_wave &&
         r.cm.cm_wave == st.last_cm_wave && r.pm.pm_keep == 0 && r.cm.cm_keep == 0 &&
         (r.enables & kModCtrl) == 0 && st.wait_marker != kWaitStep;
}

size_t render_plain_note(Session& s, TrackBuffer& tb, const NoteRenderRequest& r) {
  ensure_room(tb, kEventRoom);
  const size_t start = tb.pos;
  RenderState& st = s.render;
  BendComponents& bend = *r.bend;
  int32_t& pending = *r.pending;
  uint8_t* keys = r.keys;
  const int32_t elapsed = st.tie_elapsed;
  const bool fade = r.fade != nullptr && r.fade->state != 0;
  const int16_t pm_depth = (r.enables & kModPitch) != 0 ? r.pm.pm_depth : 0;
  // Spans in which something else than the note-ons and the clocks may
  // happen go through the generator; those of a computed waveform as bend
  // and of the fade straight to the loop that plays them.
  const bool pitch = pm_depth >= 1;
  const bool generated = fade || pitch;
  const uint8_t wave = r.pm.pm_wave;
  const bool computed = wave != 1 && (wave < kFirstUserWaveform || wave > kLastUserWaveform);
  const bool direct = !pitch || (r.pm.pm_mode != 0 && computed);
  const auto generate = [&](const ModulationSpan& sp) {
    if (direct) {
      generate_plain_span(s, tb, r, sp, pitch, fade);
    } else {
      generate_modulation(s, tb, r, sp);
    }
  };

  // The struck note: the oscillators restart, the bend returns to the
  // detune alone.
  clear_oscillator(st.pitch);
  clear_oscillator(st.ctrl);
  st.pitch.clock = elapsed;
  st.ctrl.clock = elapsed;
  st.cm_value = r.cm.cm_initial;
  bend.slur = 0;
  bend.pitch_mod = 0;
  bend.portamento = 0;
  tb.pos += write_pitch_bend(s, write_ptr(tb), pending, r.channel, bend);
  if (r.pm.pm_mode == 0 && pm_depth != 0) {
    tb.pos += write_modulation(s, write_ptr(tb), pending, r.channel, 0);
  }
  std::memcpy(keys + 9, keys, 8);

  // The note-ons at their clocks, then the clocks up to the key-off, with
  // the pitch modulation and the fade.
  ModulationSpan span;
  span.first = elapsed;
  span.last = elapsed + r.gate - 1;
  span.note_on = true;
  span.chord_spread = r.chord_spread;
  if (generated) {
    generate(span);
  } else {
    strike_span(s, tb, r, span);
  }

  // The key-off ends the note; the clocks after it only count.
  ensure_room(tb, kEventRoom);
  const size_t n = write_note_offs(s, write_ptr(tb), keys + 9, pending, r.channel);
  tb.pos += n;
  if (n > 0) pending = 0;
  keys[9] = kNoKey;
  keys[0] = kNoKey;
  const int32_t release = r.step - r.gate;
  if (release > 0 && generated) {
    ModulationSpan after;
    after.first = elapsed + r.gate;
    after.last = elapsed + r.step - 1;
    keys[0] = kRestKey;  // no key to strike
    generate(after);
    keys[0] = kNoKey;
  } else if (release > 0) {
    pass_span_clocks(s, pending, release);
  }
  for (int i = 0; i < 3; ++i) {
    st.table_marker[i] = 0;
    st.table_applied[i] = 0;
  }
  *r.porta_started = 0;
  st.tie_elapsed = 0;
  bend.portamento = 0;
  st.last_pm_depth = pm_depth;
  st.last_porta_mode = 0;
  st.last_pitch = static_cast<int8_t>(kNoKey);
  return tb.pos - start;
}

}  // namespace orvo
