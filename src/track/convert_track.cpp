// One performance track becomes one MTrk chunk: the channel kind, the
// optional initialisation sequence, the command loop and the end of track.
#include "track/convert_track.h"

#include "render/controllers.h"
#include "run/alloc.h"
#include "run/messages.h"
#include "smf/events.h"
#include "smf/meta.h"
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

namespace {

constexpr size_t kSyncRoom = 2048;  // room for the waits the synchronisation inserts
constexpr uint8_t kTrackNameMeta = 0x03;

enum class ChannelKind { Midi, Opm, Skipped };

ChannelKind channel_kind(Track& t) {
  const int byte = t.in.channel_byte;
  const int c = byte - 9;
  if (c >= 0 && c <= 15) {
    t.st.channel = c;
    set_opm_scaling(t.s, false);
    report(t.s.err, "MIDI ch %.2d converting...", c + 1);
    return ChannelKind::Midi;
  }
  if (byte <= 8 && t.in.convert_fm) {
    t.st.channel = byte;
    set_opm_scaling(t.s, true);
    // Pitch-bend sensitivity of 12 semitones, each event with its status.
    reset_running_status(t.s.running, kStatusAlways);
    const int status = 0xB0 | byte;
    uint8_t* out = write_ptr(t.tb);
    size_t n = put_event2(t.s.running, out, 0, status, 101, 0);
    n += put_event2(t.s.running, out + n, 0, status, 100, 0);
    n += put_event2(t.s.running, out + n, 0, status, 6, 12);
    t.tb.pos += n;
    report(t.s.err, "OPM  ch %.2d converting...", byte + 1);
    return ChannelKind::Opm;
  }
  if (byte <= 7) {
    report(t.s.err, "FM   ch %.2d skipped......", byte + 1);
  } else if (byte == 8) {
    report(t.s.err, "ADPCMch 01 skipped......");
  } else {
    report(t.s.err, "ADPCMch %.2d skipped......", byte - 23);
  }
  return ChannelKind::Skipped;
}

void start_track(Track& t) {
  TrackState& st = t.st;
  if (t.in.name != nullptr && !t.in.name->empty()) {
    ensure_room(t.tb, meta_room(t.in.name->size()));
    t.tb.pos += put_meta(write_ptr(t.tb), st.pendingDelta, kTrackNameMeta, *t.in.name);
    st.pendingDelta = 0;
  }
  reset_track_status(t);
  if (t.in.init_gap >= 0) {
    const int gap = t.in.init_gap;
    uint8_t& done = t.s.channel_init[static_cast<size_t>(st.channel)];
    if (done) {
      st.pendingDelta += channel_init_span(gap);
    } else {
      ensure_room(t.tb, kChannelInitMaxBytes);
      t.tb.pos += put_channel_init(t.s.running, write_ptr(t.tb), gap, st.pendingDelta, st.channel);
      done = 1;
    }
    st.absTime += channel_init_span(gap);
  }
  reset_controller_memory(t.s);
}

// The session's bounds on data that would never end.
bool out_of_bounds(const Track& t) {
  const Bounds& b = t.s.bounds;
  return t.commands >= b.track_commands || t.st.absTime >= b.track_clock ||
         t.tb.pos > b.chunk_bytes || t.records_full;
}

bool fade_out_ended(const FadeState& f) { return f.state == -1 && f.scale <= 0; }

// After each command: a finished fade-out ends the track, a finished fade-in
// leaves the level at full.
bool check_fade(Track& t) {
  FadeState& f = t.st.fade;
  if (f.state == 0) return false;
  if (fade_out_ended(f)) return true;
  const int limit = f.mode == 1 ? 100 : 127;
  if (f.state == 1 && f.scale > limit) {
    f.aux = 0;
    f.state = 0;
    f.scale = f.mode == 1 ? 100 : 128;
  }
  return false;
}

void interpret(Track& t) {
  while (t.offset < t.in.end_offset && zbyte(t.img, t.offset) != 0xFF) {
    if (out_of_bounds(t)) {
      marker(t, "[打ち切り]");
      return;
    }
    make_room(t.tb);
    t.st.cmdCount += 1;
    t.commands += 1;
    const uint8_t cmd = zbyte(t.img, t.offset++);
    if (cmd <= 0x80) {
      cmd_note(t, cmd);  // the most common command, without the dispatch
    } else {
      dispatch_command(t, cmd);
    }
    if (check_fade(t)) return;
  }
}

void end_track(Track& t, size_t& chunk_size) {
  TrackState& st = t.st;
  if (st.tie_continues && st.keyoff_suppressed == 0) release_all_keys(t);
  if (!t.tables.sync.items.empty()) {
    xrealloc(t.tb.bytes, static_cast<size_t>(t.tb.kb) * 1024 + kSyncRoom);
  }
  if (fade_out_ended(st.fade)) st.pendingDelta = 0;
  chunk_size = close_chunk(t.tb, st.pendingDelta);
  report(t.s.err, "done.\n");
}

}  // namespace

void convert_track(Session& s, const ZmdImage& img, TrackBuffer& tb, size_t& chunk_size,
                   int64_t& offset, const TrackInputs& in, TrackTables& tables, int32_t& doTime,
                   int32_t& loopTime) {
  Track t{s, img, tb, in, tables, TrackState{}};
  t.offset = offset;
  t.st.pendingDelta = in.start_offset;
  t.st.absTime = in.start_offset;
  t.st.fade.delay = in.fade_delay;
  t.st.trackStart = offset;
  t.records_full = record_tables_full(t);  // the tables last from one track to the next
  open_chunk(tb);

  if (channel_kind(t) == ChannelKind::Skipped) {
    chunk_size = close_chunk(tb, in.start_offset);
    report(s.err, "done.\n");
    doTime = 0;
    loopTime = 0;
    return;
  }
  start_track(t);
  interpret(t);
  end_track(t, chunk_size);
  offset = t.offset;
  doTime = t.doTime;
  loopTime = t.loopTime;
}

}  // namespace orvo
