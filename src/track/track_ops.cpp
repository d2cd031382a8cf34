#include "track/track_ops.h"

#include "render/keys.h"
#include "render/render_note.h"
#include "run/messages.h"
#include "smf/events.h"

namespace orvo {

uint8_t take8(Track& t) { return zbyte(t.img, t.offset++); }

uint16_t take16(Track& t) {
  const uint16_t v = zbe16(t.img, t.offset);
  t.offset += 2;
  return v;
}

void emit1(Track& t, int status_high, int data) {
  t.tb.pos += put_event1(t.s.running, write_ptr(t.tb), t.st.pendingDelta,
                         status_high + t.st.channel, data);
  t.st.pendingDelta = 0;
}

void emit2(Track& t, int status_high, int data1, int data2) {
  t.tb.pos += put_event2(t.s.running, write_ptr(t.tb), t.st.pendingDelta,
                         status_high + t.st.channel, data1, data2);
  t.st.pendingDelta = 0;
}

void reset_track_status(Track& t) {
  reset_running_status(t.s.running, t.in.running_status ? kStatusRunning : kStatusAlways);
}

void marker(Track& t, const char* text) { report_text(t.s.err, text); }

void advance_time(Track& t, uint16_t step) {
  t.st.absTime += step;
  if (step != 0) t.st.cmdCount = 0;
}

uint16_t limit_gate(const Track& t, uint16_t gate) {
  const int r = t.in.keyoff_skip;
  if (r > 0 && t.st.atR != 0 && gate > r) return static_cast<uint16_t>(r);
  return gate;
}

void drop_porta_offset(Track& t) {
  if (t.st.porta.porta_mode != 2 && t.st.porta.porta_mode != -2) t.st.porta.porta_a = 0;
}

void set_single_key(Track& t, uint8_t key) {
  t.st.pendingKeys[0] = key;
  t.st.pendingKeys[1] = kNoKey;
}

void render_event(Track& t, uint16_t step, uint16_t gate, int32_t chord_spread) {
  TrackState& st = t.st;
  st.stepTime = step;
  st.gateTime = gate;
  // Built in place, field by field in their order, with no default values
  // written first.
  NoteRenderRequest r{.tie_continues = &st.tie_continues,
                      .keys = st.pendingKeys,
                      .step = step,
                      .gate = gate,
                      .pending = &st.pendingDelta,
                      .velocity = st.velocity,
                      .channel = st.channel,
                      .chord_spread = chord_spread,
                      .held = st.soundingKeys,
                      .keyoff_suppressed = st.keyoff_suppressed,
                      .pm = st.pm,
                      .porta = st.porta,
                      .bend = &st.bend,
                      .cm = st.cm,
                      .tables = st.tables,
                      .porta_started = &st.porta_started,
                      .enables = st.modFlags,
                      .slur = st.slur,
                      .track_volume = st.volume,
                      .fade = &st.fade,
                      .step_interval = static_cast<uint8_t>(t.in.bend_interval),
                      .exclusive_header = st.exclusiveHeader,
                      .exclusive_flag = t.in.running_status};
  render_note(t.s, t.tb, r);
}

void release_all_keys(Track& t) {
  TrackState& st = t.st;
  uint8_t* strike = st.pendingKeys;
  uint8_t* struck = st.pendingKeys + 9;
  uint8_t* held = st.soundingKeys;
  // The pending clocks go to the first note-off; when nothing is written
  // they stay pending, so the events after the release keep their time.
  auto offs = [&](const uint8_t* keys) {
    const size_t n =
        write_note_offs(t.s, write_ptr(t.tb), keys, st.pendingDelta, st.channel);
    t.tb.pos += n;
    if (n > 0) st.pendingDelta = 0;
  };
  if (strike[0] == kRestKey) {
    if (held[0] != kNoKey) {
      offs(held);
      held[0] = kNoKey;
    }
    return;
  }
  if (held[0] == kNoKey) {
    offs(struck);
    struck[0] = kNoKey;
    strike[0] = kNoKey;
  } else {
    if (strike[0] != kNoKey) offs(strike);
    offs(held);
    strike[0] = kNoKey;
    held[0] = kNoKey;
  }
}

bool record_tables_full(const Track& t) {
  const size_t bound = t.s.bounds.records;
  return t.tables.sync.items.size() >= bound || t.tables.tempo.items.size() >= bound ||
         t.tables.mark.items.size() >= bound;
}

}  // namespace orvo
