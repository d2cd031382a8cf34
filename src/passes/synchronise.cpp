// Replays the wait and signal records of all tracks in time order, pairs
// each signal with the wait of its target track and lengthens the delta time
// after the wait by the clocks the track spent waiting.
#include "passes/synchronise.h"

#include <algorithm>
#include <limits>

#include "passes/schedule.h"
#include "passes/wait_patch.h"
#include "run/exit.h"

namespace orvo {

namespace {

constexpr int64_t kNobody = -1;

// A run of consecutive records owned by one track.
struct Group {
  size_t cursor;  // the group's current record
  size_t end;     // one past its last record
  int64_t shift;  // clocks its track has been delayed so far
};

struct SyncPass {
  std::vector<SyncRecord>& records;
  std::vector<Group> groups;
  std::vector<int64_t> waiting;    // by track: the group waiting for it
  std::vector<int64_t> signalled;  // by track: the group that signalled it while nobody waited
  std::vector<size_t> at_wait;     // by track: groups whose current record is a wait of it
  size_t signals = 0;    // groups whose current record is a signal (or one that cannot be paired)
  size_t resumable = 0;  // groups at a wait whose track has been signalled
  size_t remaining = 0;
  Schedule list;
  SyncPatches patches;
};

bool is_signal(const SyncRecord& r) { return r.position < 0; }

// A signal is owned by the track that sends it, a wait by the track that waits.
int32_t owner(const SyncRecord& r) { return is_signal(r) ? ~r.position : r.track; }

int32_t resume_field(int64_t clock) {
  return static_cast<int32_t>(std::clamp<int64_t>(clock, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

SyncRecord& current(SyncPass& p, size_t g) { return p.records[p.groups[g].cursor]; }

// Counts what group g's current record can still do for the end test.
void enter(SyncPass& p, size_t g, int sign) {
  if (p.groups[g].cursor >= p.groups[g].end) return;
  const SyncRecord& r = current(p, g);
  if (is_signal(r) || r.track < 0) {
    p.signals += static_cast<size_t>(sign);
    return;
  }
  const size_t t = static_cast<size_t>(r.track);
  p.at_wait[t] += static_cast<size_t>(sign);
  if (p.signalled[t] != kNobody) p.resumable += static_cast<size_t>(sign);
}

void set_signalled(SyncPass& p, int32_t track, int64_t group) {
  const size_t t = static_cast<size_t>(track);
  if ((p.signalled[t] == kNobody) != (group == kNobody)) {
    if (group == kNobody) {
      p.resumable -= p.at_wait[t];
    } else {
      p.resumable += p.at_wait[t];
    }
  }
  p.signalled[t] = group;
}

// Moves group g on to its next record and lists it at that record's time.
void advance(SyncPass& p, size_t g) {
  enter(p, g, -1);
  Group& grp = p.groups[g];
  ++grp.cursor;
  enter(p, g, +1);
  if (grp.cursor < grp.end) {
    schedule_set(p.list, g, grp.shift + p.records[grp.cursor].time);
  } else {
    schedule_remove(p.list, g);
  }
}

// A wait whose track may go on at once: only the clocks pending at the wait
// are given back to the next event, and it resumes at its own time.
void resume_at_once(SyncPass& p, std::vector<TrackBuffer>& tracks, size_t g, SyncRecord& r) {
  patch_wait_delay(p.patches, tracks, r.track, r.position, r.delta, 0);
  r.delta = resume_field(p.groups[g].shift + r.time);
}

void take_signal(SyncPass& p, std::vector<TrackBuffer>& tracks, size_t g) {
  const SyncRecord& r = current(p, g);
  const int32_t t = r.track;
  if (t < 0 || p.waiting[static_cast<size_t>(t)] == kNobody) {
    if (t >= 0) set_signalled(p, t, static_cast<int64_t>(g));
    --p.remaining;
    drop_head(p.list);
    advance(p, g);
    return;
  }
  const size_t w = static_cast<size_t>(p.waiting[static_cast<size_t>(t)]);
  SyncRecord& wait = current(p, w);
  const int64_t signal_at = p.groups[g].shift + r.time;
  const int64_t wait_at = p.groups[w].shift + wait.time;
  // A signal the wait never had to wait for costs it nothing.
  const int64_t late = std::max<int64_t>(0, signal_at - wait_at);
  patch_wait_delay(p.patches, tracks, t, wait.position, wait.delta, late);
  p.groups[w].shift += late;
  wait.delta = resume_field(p.groups[w].shift + wait.time);
  --p.remaining;
  p.waiting[static_cast<size_t>(t)] = kNobody;
  set_signalled(p, t, kNobody);
  advance(p, g);
  advance(p, w);
  sort_schedule(p.list);
}

void take_wait(SyncPass& p, std::vector<TrackBuffer>& tracks, size_t g) {
  SyncRecord& r = current(p, g);
  if (r.track < 0) {  // names no track: nothing to wait for
    --p.remaining;
    drop_head(p.list);
    advance(p, g);
    return;
  }
  const size_t t = static_cast<size_t>(r.track);
  if (p.waiting[t] != kNobody) {
    drop_head(p.list);
  } else if (p.signalled[t] == kNobody) {
    p.waiting[t] = static_cast<int64_t>(g);
    --p.remaining;
    drop_head(p.list);
  } else {
    resume_at_once(p, tracks, g, r);
    --p.remaining;
    set_signalled(p, r.track, kNobody);
    advance(p, g);
    sort_schedule(p.list);
  }
}

void make_groups(SyncPass& p) {
  int32_t top = -1;
  for (size_t i = 0; i < p.records.size(); ++i) {
    const SyncRecord& r = p.records[i];
    top = std::max(top, r.track);
    if (i == 0 || owner(r) != owner(p.records[i - 1])) {
      p.groups.push_back({i, i + 1, 0});
    } else {
      p.groups.back().end = i + 1;
    }
  }
  const size_t tables = static_cast<size_t>(top) + 1;
  p.waiting.assign(tables, kNobody);
  p.signalled.assign(tables, kNobody);
  p.at_wait.assign(tables, 0);
  init_schedule(p.list, p.groups.size());
  for (size_t g = 0; g < p.groups.size(); ++g) {
    enter(p, g, +1);
    schedule_set(p.list, g, p.records[p.groups[g].cursor].time);
  }
  sort_schedule(p.list);
}

}  // namespace

void synchronise_tracks(Session& s, std::vector<TrackBuffer>& tracks,
                        RecordTable<SyncRecord>& sync, std::vector<size_t>& chunk_sizes) {
  (void)s;
  SyncPass p{sync.items, {}, {}, {}, {}, 0, 0, sync.items.size(), {}, {}};
  if (p.records.empty()) return;
  make_groups(p);

  size_t stalled = 0;
  while (p.remaining > 0) {
    size_t g = 0;
    if (!schedule_head(p.list, g)) {
      sort_schedule(p.list);  // every entry was dropped: list the groups with records left
      if (!schedule_head(p.list, g)) break;
    }
    const size_t before = p.remaining;
    if (is_signal(current(p, g))) {
      take_signal(p, tracks, g);
    } else {
      take_wait(p, tracks, g);
    }
    // Nothing left that could still pair or release a wait.
    if (p.signals == 0 && p.resumable == 0) break;
    if (p.remaining < before) {
      stalled = 0;
    } else if (++stalled > p.groups.size()) {
      fatal_error(1,
                  "\n同期変換に失敗しました。\nzmusic -C でzmsをコンパイルし直して下さい。\n"
                  "        ^(大文字)");
    }
  }

  // Waits that no signal released go on at once, so that their tracks keep
  // the clocks pending at the wait.
  for (size_t g = 0; g < p.groups.size(); ++g) {
    for (size_t i = p.groups[g].cursor; i < p.groups[g].end; ++i) {
      SyncRecord& r = p.records[i];
      if (!is_signal(r) && r.track >= 0) resume_at_once(p, tracks, g, r);
    }
  }

  std::vector<Growth> growth(p.patches.tracks.size());
  for (size_t t = 0; t < p.patches.tracks.size(); ++t) {
    growth[t] = resize_delta(p.patches.tracks[t], static_cast<int32_t>(t), tracks, chunk_sizes);
  }
  follow_resized_deltas(sync, growth);
}

}  // namespace orvo
