// How an event ends: held keys join a rest, a tie carries the chain on, and
// a note writes its note-offs and the clocks after its key-off.
#include "render/keys.h"
#include "render/modulation.h"
#include "render/note_event.h"

namespace orvo {

void finish_event(NoteEvent& ev, int32_t active, const int32_t* positions,
                  int32_t* porta_fraction) {
  NoteRenderRequest& r = ev.r;
  RenderState& st = ev.st;
  uint8_t* keys = ev.keys;
  uint8_t* held = ev.held;
  ensure_room(ev.tb, kEventRoom);

  if (keys[0] == kRestKey && held[0] != kNoKey) {
    // The held keys become the keys of the rest, which ends them.
    keys[0] = held[0];
    add_keys(keys, held + 1);
    add_keys(keys + 9, held);
    clear_keys(held);
  }

  if (ev.gate == kTieGate) {
    st.tie_elapsed += r.step;
    if (r.keyoff_suppressed == 0 && keys[0] == kRestKey && held[0] != kNoKey) {
      release_keys(ev, held);
      clear_keys(held);
    }
    *r.porta_started = ev.porta_set_up ? 1 : 0;
    return;
  }

  if (r.keyoff_suppressed == 0) {
    if (keys[0] != kRestKey) {
      if (held[0] == kNoKey) {
        release_keys(ev, keys + 9);
        keys[9] = kNoKey;
        keys[0] = kNoKey;
      } else {
        if (keys[0] != kNoKey) {
          release_keys(ev, keys);
          keys[0] = kNoKey;
        }
        release_keys(ev, held);
        clear_keys(held);
      }
    } else if (held[0] != kNoKey) {
      release_keys(ev, held);
      clear_keys(held);
    }
  }

  const int32_t release = r.step - active;
  const bool fade = r.fade != nullptr && r.fade->state != 0;
  if ((keys[0] != kRestKey || r.pm.pm_mode != 0 || r.cm.cm_mode != 0 || fade) && release > 0) {
    // After the key-off the modulation runs on, with no note to strike.
    const uint8_t first = keys[0];
    keys[0] = kRestKey;
    ModulationSpan span;
    span.first = st.tie_elapsed + active;
    span.last = st.tie_elapsed + r.step - 1;
    span.positions = positions;
    span.porta_fraction = porta_fraction;
    generate_modulation(ev.s, ev.tb, r, span);
    keys[0] = first;
  } else {
    ev.pending += release;
  }

  for (int i = 0; i < 3; ++i) {
    st.table_marker[i] = 0;
    st.table_applied[i] = 0;
  }
  *r.porta_started = 0;
  st.tie_elapsed = 0;
  *r.tie_continues = 0;
  ev.bend.portamento = 0;
}

}  // namespace orvo
