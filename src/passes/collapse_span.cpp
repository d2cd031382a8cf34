// The span is cut in one walk into a new chunk. The events before it are
// copied as they are; in the span, which change of each controller, program
// and pitch bend survives is known only at its end, so the span is walked
// twice: once to find the last of each, once to write.
#include "passes/collapse_span.h"

#include <algorithm>
#include <array>
#include <limits>

#include "passes/event_walk.h"
#include "run/messages.h"

namespace orvo {

namespace {

// Keys of the values a span keeps only the last of: controllers 0..255 (the
// data byte as read), then program change and pitch bend.
constexpr size_t kProgramKey = 256;
constexpr size_t kBendKey = 257;
constexpr size_t kKeys = 258;
constexpr size_t kNoEvent = std::numeric_limits<size_t>::max();

constexpr uint8_t kSpanText[] = {0xFF, 0x01, 0x03, '[', '@', ']'};

bool is_other_system(uint8_t status) { return status > 0xF0 && status < 0xFF; }

bool is_note(const WalkEvent& ev) {
  return !ev.stray && (ev.status & 0xF0) >= 0x80 && (ev.status & 0xF0) <= 0x90;
}

// Keys sounding at the span's start, per channel: before the span a note-on
// sets its key and a note-off (8n, or 9n at velocity 0) clears it; inside it
// only the note-offs of those keys count.
struct SoundingKeys {
  std::array<std::array<bool, 128>, 16> on{};

  bool* key_of(const uint8_t* bytes, const WalkEvent& ev, bool& off) {
    const size_t data = ev.running ? ev.status_pos : ev.status_pos + 1;
    off = (ev.status & 0xF0) == 0x80 || bytes[data + 1] == 0;
    return &on[ev.status & 0x0F][bytes[data] & 0x7F];
  }
  void follow(const uint8_t* bytes, const WalkEvent& ev) {
    bool off;
    bool* key = key_of(bytes, ev, off);
    *key = !off;
  }
  // True when `ev` is the note-off of a key sounding since before the span.
  bool release(const uint8_t* bytes, const WalkEvent& ev) {
    bool off;
    bool* key = key_of(bytes, ev, off);
    if (!off || !*key) return false;
    *key = false;
    return true;
  }
};

// The key of a change the span keeps only the last of, or kNoEvent.
size_t kept_key(const uint8_t* bytes, const WalkEvent& ev) {
  if (ev.stray || ev.status >= 0xF0) return kNoEvent;
  switch (ev.status & 0xF0) {
    case 0xB0:
      return bytes[ev.running ? ev.status_pos : ev.status_pos + 1];
    case 0xC0:
      return kProgramKey;
    case 0xE0:
      return kBendKey;
    default:
      return kNoEvent;
  }
}

struct SpanWalk {
  size_t pos;        // the next event
  int64_t time;      // clock of the last event read
  uint8_t running;   // the walk's running status
  bool stopped = false;
};

enum class SpanStep { kInside, kAfter, kDone };

// The next event of the span, or the first one after it (its clock beyond
// `end`), after which the walk stops; the walk also stops after the end of
// track and once an event has reached `end`.
SpanStep next_span_event(const uint8_t* bytes, size_t limit, int64_t end, SpanWalk& w,
                         WalkEvent& ev) {
  if (w.stopped || w.time >= end) return SpanStep::kDone;
  if (!read_track_event(bytes, w.pos, limit, w.running, ev)) {
    w.stopped = true;
    return SpanStep::kDone;
  }
  w.time += ev.delta;
  w.pos = ev.end;
  if (w.time > end) {
    w.stopped = true;
    return SpanStep::kAfter;
  }
  if (is_end_of_track(bytes, ev)) w.stopped = true;
  return SpanStep::kInside;
}

// Writes an event at `delta`, its status byte written out when the event
// relied on running status that an edit took from it.
void put_event_at(ChunkOut& out, const uint8_t* bytes, const WalkEvent& ev, int64_t delta,
                  bool explicit_status) {
  put_delta(out, delta);
  if (ev.running && explicit_status) put_byte(out, ev.status);
  put_span(out, bytes, ev.status_pos, ev.end);
}

struct SpanWriter {
  Session& s;
  ChunkOut& out;
  const uint8_t* bytes;
  const std::array<size_t, kKeys>& last;  // start of the surviving change per key
  SoundingKeys& sounding;                 // keys struck before the span and not yet released
  bool dropped = false;                   // the event just before was deleted
};

// An event inside the span: deleted, or kept at the span's start.
void write_inside(SpanWriter& w, const WalkEvent& ev, bool after_text) {
  if (ev.stray) {
    report(w.s.err, "err_[%.2X]\n", ev.status);
    put_span(w.out, w.bytes, ev.start, ev.end);
    w.dropped = false;
    return;
  }
  if (is_other_system(ev.status)) report(w.s.err, "F?(%.2x): error!\n", ev.status);
  const size_t key = kept_key(w.bytes, ev);
  // Notes inside the span disappear, but a note struck before it keeps its
  // note-off (at the span's start), or it would sound on for ever.
  const bool drop_note = is_note(ev) && !w.sounding.release(w.bytes, ev);
  if (drop_note || (key != kNoEvent && w.last[key] != ev.start)) {
    w.dropped = true;
    return;
  }
  put_event_at(w.out, w.bytes, ev, 0, w.dropped || after_text);
  w.dropped = false;
}

// Copies the rest of the chunk from `pos`; the first event gets its status
// written out when the event in front of it was deleted.
void put_rest(SpanWriter& w, size_t pos, size_t limit, uint8_t running) {
  WalkEvent ev;
  if (w.dropped && read_track_event(w.bytes, pos, limit, running, ev) && ev.running) {
    put_span(w.out, w.bytes, ev.start, ev.status_pos);
    put_byte(w.out, ev.status);
    pos = ev.status_pos;
  }
  put_span(w.out, w.bytes, pos, limit);
}

}  // namespace

void collapse_span(Session& s, TrackBuffer& tb, int64_t start, int64_t end) {
  const uint8_t* bytes = tb.bytes.data();
  const size_t limit = chunk_end(tb);
  if (limit >= 12 && bytes[8] == 0x00 && bytes[9] == 0xFF && bytes[10] == 0x2F &&
      bytes[11] == 0x00) {
    return;
  }

  // Walk to the first event at or after the span's start: X.
  SpanWalk walk{8, 0, 0};
  WalkEvent x;
  SoundingKeys sounding;
  for (;;) {
    if (!read_track_event(bytes, walk.pos, limit, walk.running, x)) return;
    walk.time += x.delta;
    walk.pos = x.end;
    if (x.stray) {
      report(s.err, "[@%.2X]err\n", x.status);
      continue;
    }
    if (is_other_system(x.status)) report(s.err, "F?(%.2x): error!\n", x.status);
    if (is_end_of_track(bytes, x)) return;
    if (walk.time >= start) break;
    if (is_note(x)) sounding.follow(bytes, x);
  }
  const bool at_start = walk.time == start;

  // First walk over the span: the last change of each key survives.
  std::array<size_t, kKeys> last;
  last.fill(kNoEvent);
  {
    SpanWalk scan = walk;
    WalkEvent ev;
    if (at_start) {
      if (const size_t key = kept_key(bytes, x); key != kNoEvent) last[key] = x.start;
    }
    while (next_span_event(bytes, limit, end, scan, ev) == SpanStep::kInside) {
      if (const size_t key = kept_key(bytes, ev); key != kNoEvent) last[key] = ev.start;
    }
  }

  ChunkOut out;
  start_chunk(out, tb, limit + sizeof kSpanText + 8);
  put_span(out, bytes, 8, x.start);
  SpanWriter w{s, out, bytes, last, sounding};
  if (at_start) {
    // The text takes X's delta time; X follows it at 0 as the span's first event.
    put_span(out, bytes, x.start, x.status_pos);
    for (uint8_t b : kSpanText) put_byte(out, b);
    write_inside(w, x, true);
  } else {
    // X is the first event after the start: it moves to the start, or by the
    // span's length when it lies beyond the span.
    const int64_t cut = std::max<int64_t>(0, std::min(walk.time, end) - start);
    put_event_at(out, bytes, x, x.delta - cut, false);
    if (is_note(x)) sounding.follow(bytes, x);  // a kept note-on keeps its note-off too
  }

  WalkEvent ev;
  for (SpanStep step; (step = next_span_event(bytes, limit, end, walk, ev)) != SpanStep::kDone;) {
    if (step == SpanStep::kInside) {
      write_inside(w, ev, false);
      continue;
    }
    put_event_at(out, bytes, ev, walk.time - end, w.dropped);  // the first event after the span
    w.dropped = false;
  }
  put_rest(w, walk.pos, limit, walk.running);
  finish_chunk(out, tb);
}

}  // namespace orvo
