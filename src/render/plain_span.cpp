// A span of a note or rest with no table, no portamento and no modulation
// but a computed pitch waveform: its note-ons and its fade carries are its
// only events, and the waveform runs between them.
#include <algorithm>

#include "render/span.h"

namespace orvo {

namespace {

void pass_clocks(Span& sp, int32_t clocks) {
  RenderState& st = sp.st;
  sp.pending = wrap_add(sp.pending, clocks);
  st.pitch.clock = wrap_add(st.pitch.clock, clocks);
  st.ctrl.clock = wrap_add(st.ctrl.clock, clocks);
  st.clocks_since_note_on = wrap_add(st.clocks_since_note_on, clocks);
}

}  // namespace

void plain_span(Span& sp, const uint8_t* keys, Strikes on, int32_t spread, bool fade,
                size_t room) {
  FadeState* f = fade ? sp.r.fade : nullptr;
  const int64_t end = int64_t{sp.last} + 1;
  int64_t k = sp.k;
  while (k < end) {
    int64_t next = end;
    if (on.due) next = std::min<int64_t>(next, on.next);
    if (f != nullptr) next = std::min(next, k + fade_quiet_clocks(*f));
    if (next > k) {
      int64_t to = next;
      if (sp.pitch_wave && sp.st.note_started != 0) {
        sp.k = static_cast<int32_t>(k);
        to = bend_run(sp, static_cast<int32_t>(next), room, nullptr);
      } else {
        pass_clocks(sp, static_cast<int32_t>(next - k));
      }
      if (f != nullptr) pass_fade_clocks(*f, to - k);
      k = to;
      continue;
    }
    sp.k = static_cast<int32_t>(k);
    if (sp.tb.bytes.size() - sp.tb.pos < room) ensure_room(sp.tb, room);
    strike_keys(sp, on, keys, sp.r.velocity, spread);
    if (sp.pitch_wave && sp.st.note_started != 0) pitch_wave_clock(sp);
    const bool faded_out = f != nullptr && fade_clock(sp);
    if (faded_out) sp.pending = wrap_add(sp.pending, end - 1 - k);  // the rest of the span
    pass_clocks(sp, 1);
    if (faded_out) return;
    ++k;
  }
}

}  // namespace orvo
