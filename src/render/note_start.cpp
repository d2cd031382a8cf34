// How an event begins: a tie continuation keeps, re-strikes or slurs the
// sounding keys; a new note sends its starting bend and controller values.
#include <cstring>

#include "render/controllers.h"
#include "render/keys.h"
#include "render/note_event.h"
#include "render/oscillators.h"
#include "render/slope.h"

namespace orvo {

namespace {

// Slur offset of `key` against the slur base; beyond an octave the
// table's ends hold.
int16_t slur_offset(uint8_t key, int32_t base) {
  int64_t difference = int64_t{key} - base;
  if (difference < -12) difference = -12;
  if (difference > 12) difference = 12;
  return SlurBendTable[difference + 12];
}

// The first value of the controller modulation, 0x80 when none is sent.
int first_controller_value(const NoteRenderRequest& r) {
  const CtrlModParams& cm = r.cm;
  const bool table_b = r.tables.ampModStep != 0;
  if (cm.cm_mode == 0) {
    if (cm.cm_depth != -128) return cm.cm_initial;
    return table_b ? (r.tables.ampModTable[0] & 0xFF) : kNoController;
  }
  if (cm.cm_depth == -128) return kNoController;
  int v = cm.cm_base;
  if (cm.cm_start == 0) {
    const int d = table_b ? static_cast<int8_t>(r.tables.ampModTable[0] & 0xFF) : cm.cm_depth;
    if (cm.cm_wave == 3 || cm.cm_wave >= 8) {
      v += d;
    } else if (d < 0) {
      v -= d;
    }
  }
  return v < 0 ? 0 : (v > 127 ? 127 : v);
}

}  // namespace

void write_event_bend(NoteEvent& ev) {
  ev.tb.pos += write_pitch_bend(ev.s, write_ptr(ev.tb), ev.pending, ev.r.channel, ev.bend);
}

void release_keys(NoteEvent& ev, const uint8_t* list) {
  const size_t n = write_note_offs(ev.s, write_ptr(ev.tb), list, ev.pending, ev.r.channel);
  ev.tb.pos += n;
  if (n > 0) ev.pending = 0;
}

void continue_tie(NoteEvent& ev) {
  NoteRenderRequest& r = ev.r;
  RenderState& st = ev.st;
  uint8_t* keys = ev.keys;
  uint8_t* struck = keys + 9;
  if (keys[1] != kNoKey) ev.chord_spread = 0;
  if (r.pm.pm_depth != st.last_pm_depth) r.pm.pm_start = st.tie_elapsed;

  bool changed;
  if (r.slur != 0) {
    changed = static_cast<uint8_t>(st.last_pitch) != keys[0];
  } else if (ev.held[0] != kNoKey) {
    changed = keys_differ(keys, ev.held) != 0 && struck[0] != kNoKey &&
              keys_differ(keys, struck) != 0;
  } else {
    changed = keys_differ(keys, struck) != 0;
  }

  if (changed) {
    if (r.keyoff_suppressed == 0 && keys[0] != kRestKey && r.slur == 0) release_keys(ev, struck);
    if (keys[0] != kRestKey) {
      ev.bend.portamento = 0;
      if (r.slur != 0) {
        ev.bend.slur = slur_offset(keys[0], st.slur_base);
        write_event_bend(ev);
        ev.note_on = false;
      } else {
        write_event_bend(ev);
        ev.note_on = true;
        st.slur_base = keys[0];
        std::memcpy(struck, keys, 8);
      }
    }
    return;
  }

  if (keys[0] != kRestKey) {
    const PortamentoParams& p = r.porta;
    const bool resend =
        (p.porta_delay == 0 && p.porta_mode != 0) || (*r.porta_started != 0 && r.slur != 0);
    if (st.last_porta_mode != 0 && !resend) write_event_bend(ev);
    if (r.slur != 0) {
      ev.bend.portamento = 0;
      ev.bend.slur = slur_offset(keys[0], st.slur_base);
    } else if (p.porta_mode != 0) {
      ev.bend.portamento = 0;
    }
    if (resend) write_event_bend(ev);
    ev.note_on = false;
  }
  ev.displacement -= keys[0] - st.last_pitch;
}

void start_note(NoteEvent& ev) {
  NoteRenderRequest& r = ev.r;
  RenderState& st = ev.st;
  uint8_t* keys = ev.keys;
  const bool sounding = keys[0] != kRestKey;
  ev.bend.slur = 0;
  if (r.pm.pm_keep == 0) {
    clear_oscillator(st.pitch);
    ev.bend.pitch_mod = 0;
  }
  if (r.cm.cm_keep == 0 && sounding) {
    clear_oscillator(st.ctrl);
    st.cm_value = r.cm.cm_initial;
  }
  if (ev.gate == kTieGate) {
    if (sounding) {
      st.slur_base = keys[0];
    } else {
      st.slur_base = ev.held[0] != kNoKey ? ev.held[0] : keys[9];
    }
  }
  if (!sounding) return;

  ev.bend.portamento = 0;
  write_event_bend(ev);
  if (r.pm.pm_mode == 0 && r.pm.pm_depth != 0) {
    ev.tb.pos += write_modulation(ev.s, write_ptr(ev.tb), ev.pending, r.channel, 0);
  }
  if ((r.enables & kModCtrl) != 0) {
    const int v = first_controller_value(r);
    if (v != kNoController) {
      ev.tb.pos += write_controller(ev.s, write_ptr(ev.tb), ev.pending, r.channel,
                                    r.cm.cm_controller, v);
    }
  }
  std::memcpy(keys + 9, keys, 8);
  remove_keys(keys, ev.held);  // held keys sound already
  ev.note_on = true;
  ev.chord_spread = r.chord_spread;
}

}  // namespace orvo
