// Repeat and jump structures: they move the read offset and count passes;
// only the loop markers of -L 0 write MIDI data.
#include "run/alloc.h"
#include "smf/bytes.h"
#include "smf/vlq.h"
#include "track/commands.h"
#include "track/track_ops.h"

namespace orvo {

namespace {

constexpr uint8_t kRepeatMark = 0xCF;      // second byte of C1, where C2 jumps back to
constexpr int32_t kFadingPasses = -1024;   // loopPass while the closing fade-out runs
constexpr uint8_t kLoopStart[7] = {0xFF, 0x7F, 0x04, 0x89, 0x42, 0x10, 0x00};
constexpr uint8_t kLoopEnd[6] = {0xFF, 0x7F, 0x07, 0x89, 0x42, 0x11};

void write_loop_start(Track& t) {
  TrackState& st = t.st;
  uint8_t* out = write_ptr(t.tb);
  size_t n = write_vlq(out, st.pendingDelta);
  for (uint8_t b : kLoopStart) out[n++] = b;
  t.tb.pos += n;
  st.loopMarkerBase = t.tb.pos;
  reset_track_status(t);
  st.pendingDelta = 0;
}

// The end marker carries the byte distance from the end of the start marker
// to its own end.
void write_loop_end(Track& t) {
  TrackState& st = t.st;
  uint8_t* out = write_ptr(t.tb);
  size_t n = write_vlq(out, st.pendingDelta);
  for (uint8_t b : kLoopEnd) out[n++] = b;
  n += 4;
  t.tb.pos += n;
  put_be32(out + n - 4, static_cast<uint32_t>(t.tb.pos - st.loopMarkerBase));
  reset_track_status(t);
  st.pendingDelta = 0;
}

// The steps after the last pass of a loop: the closing fade-out replays the
// body from `restart` until the fade reaches 0. A fade-out is started once
// per track; arriving here again while it runs only replays the body.
void close_loop(Track& t, int64_t restart, bool loop_command) {
  TrackState& st = t.st;
  if (st.fadeOutStarted) {
    st.loopPass = kFadingPasses;
    t.offset = restart;
    return;
  }
  if (loop_command) {
    marker(t, "[loop]");
    if (t.in.loop_count == 0) write_loop_end(t);
  }
  if (t.in.fade_speed != 0) {
    FadeState& f = st.fade;
    f.state = -1;
    f.aux = 0;
    f.counter = 0;
    f.step = static_cast<uint8_t>(t.in.fade_speed * 2);
    f.scale = 128;
    st.fadeOutStarted = 1;
    st.loopPass = kFadingPasses;
    t.offset = restart;
  }
}

void set_coda(Track& t, int64_t pos) {
  t.st.codaPos = pos;
  t.st.codaTime = t.st.absTime;
}

void do_command(Track& t) {
  TrackState& st = t.st;
  marker(t, "[do]");
  st.doPos = t.offset;
  t.doTime = st.absTime;
  if (t.in.loop_count == 0) write_loop_start(t);
}

// One more pass of a loop whose body starts at `restart`: the body plays
// again until loopCount passes are done, then the closing steps follow.
void end_of_pass(Track& t, int64_t restart, bool loop_command) {
  TrackState& st = t.st;
  st.loopPass += 1;
  if (st.loopPass < t.in.loop_count) {
    t.offset = restart;
    return;
  }
  close_loop(t, restart, loop_command);
}

void loop_command(Track& t) {
  TrackState& st = t.st;
  if (st.doPos == 0) {
    marker(t, "[do]がないのに[loop]があります。\n");
    return;
  }
  if (st.loopPass == 0) t.loopTime = st.absTime;
  end_of_pass(t, st.doPos, true);
}

// [tocoda] jumps to the [coda]. One whose [coda] lies behind it closes a loop
// the driver plays for ever: it is unrolled like [do]..[loop], the [coda]
// standing for the [do].
void tocoda_command(Track& t, int64_t command_end) {
  TrackState& st = t.st;
  marker(t, "[tocoda]");
  if (st.codaPos < 0) return;
  if (st.codaPos >= command_end) {
    t.offset = st.codaPos;
    return;
  }
  if (st.loopPass == 0) {
    t.doTime = st.codaTime;
    t.loopTime = st.absTime;
  }
  end_of_pass(t, st.codaPos, false);
}

void push_repeat(RepeatStack& r, int32_t count) {
  const size_t d = static_cast<size_t>(r.depth);
  r.passCount[d] = 0;
  r.repeatCount[d] = count;
  r.depth += 1;
  if (r.depth == r.capacity) {
    r.capacity += 8;
    xrealloc(r.passCount, static_cast<size_t>(r.capacity));
    xrealloc(r.repeatCount, static_cast<size_t>(r.capacity));
  }
}

void structure_error(Track& t) { marker(t, " |:コマンドの構造が異常。\n"); }
void should_not_happen(Track& t) { marker(t, " (これが表示されるはずはないのですが..)\n"); }

}  // namespace

void cmd_structure(Track& t) {
  const uint8_t sub = take8(t);
  const int64_t after = t.offset;
  TrackState& st = t.st;
  switch (sub) {
    case 0:
    case 1:
    case 2:
      marker(t, "[RESERVED]");
      break;
    case 3:  // [d.c.]: once, back to the start
      if (st.dcDone) break;
      marker(t, "[d.c.]");
      st.dcDone = 1;
      if (st.codaPos == -1) set_coda(t, after);
      t.offset = st.trackStart;
      break;
    case 4:
      marker(t, "[$]");
      st.segnoPos = after;
      break;
    case 5:  // [d.s.]: once, back to the [$]
      marker(t, "[d.s.]");
      if (st.dsDone) break;
      st.dsDone = 1;
      if (st.codaPos == -1) set_coda(t, after);
      if (st.segnoPos >= 0) t.offset = st.segnoPos;
      break;
    case 6:
      marker(t, "[coda]");
      set_coda(t, after);
      break;
    case 7:
      tocoda_command(t, after);
      break;
    case 8:  // [fine]: ends the track once a d.c. or d.s. has jumped
      marker(t, "[fine]");
      if (st.dcDone || st.dsDone) t.offset = t.in.end_offset;
      break;
    case 9:
      do_command(t);
      break;
    case 10:
      loop_command(t);
      break;
    case 11:
      marker(t, "[!]");
      append_mark(t, 1);
      break;
    case 12:
      marker(t, "[@]");
      append_mark(t, 2);
      break;
    default:
      marker(t, "[]");
      break;
  }
}

void cmd_repeat_start(Track& t) {
  const uint8_t mark = take8(t);
  const uint8_t count = take8(t);
  if (mark != kRepeatMark) {
    structure_error(t);
    return;
  }
  push_repeat(t.st.repeats, count);
}

void cmd_repeat_end(Track& t) {
  const uint16_t back = take16(t);
  RepeatStack& r = t.st.repeats;
  if (r.depth == 0) {
    marker(t, "':|'の数が多すぎます。\n");
    should_not_happen(t);
    return;
  }
  const size_t top = static_cast<size_t>(r.depth) - 1;
  r.passCount[top] += 1;
  if (r.passCount[top] < r.repeatCount[top]) {
    t.offset -= back;
    if (zbyte(t.img, t.offset) != kRepeatMark) structure_error(t);
    t.offset += 2;
    return;
  }
  r.depth -= 1;
}

void cmd_alternative(Track& t) {
  const uint8_t k = take8(t);
  const uint16_t skip = take16(t);
  RepeatStack& r = t.st.repeats;
  if (r.depth == 0) {
    marker(t, "'|n'の位置がおかしい。\n");
    should_not_happen(t);
    return;
  }
  if (r.passCount[static_cast<size_t>(r.depth) - 1] + 1 != k) t.offset += skip;
}

void cmd_repeat_exit(Track& t) {
  const uint16_t skip = take16(t);
  RepeatStack& r = t.st.repeats;
  if (r.depth == 0) return;
  const size_t top = static_cast<size_t>(r.depth) - 1;
  if (r.passCount[top] + 1 == r.repeatCount[top]) {
    t.offset += skip;
    r.depth -= 1;
  }
}

void cmd_skip_forward(Track& t) {
  const uint16_t n = take16(t);
  t.offset += n;
}

}  // namespace orvo
