// The delta times the synchronisation pass lengthens: each patch is noted
// against the position it was recorded at, and every track is rewritten once
// at the end of the pass with all its patches in a single walk.
#pragma once

#include <cstdint>
#include <unordered_map>
#include <utility>
#include <vector>

#include "run/records.h"
#include "smf/track_buffer.h"

namespace orvo {

struct DeltaPatch {
  int32_t position;  // where the delta time starts, as recorded
  uint32_t length;   // bytes of the delta time there now
  int32_t value;     // the delta time to write there
};

// The patches of one track, by recorded position.
struct TrackPatches {
  std::vector<DeltaPatch> patches;
  std::unordered_map<int32_t, size_t> at;
};

struct SyncPatches {
  std::vector<TrackPatches> tracks;  // by track index
};

// Resumes the wait at `position` of `track` `extra` clocks late: its delta
// time becomes `pending` (the clocks recorded at the wait) + `extra` + the
// delta time written there, held to four bytes of quantity. A position
// outside the chunk, or one whose quantity cannot be read, is left alone.
void patch_wait_delay(SyncPatches& patches, const std::vector<TrackBuffer>& tracks,
                      int32_t track, int32_t position, int64_t pending, int64_t extra);

// Where a rewritten track grew: each applied patch's position, ascending,
// with the bytes its delta time gained (negative when it shrank).
using Growth = std::vector<std::pair<int32_t, int32_t>>;

// Rewrites track `track` (buffer track + 1) with its patched delta times in
// one walk, moving the bytes between them, and updates its chunk size and
// length field. Patches that overlap an earlier one are not applied.
Growth resize_delta(const TrackPatches& patches, int32_t track, std::vector<TrackBuffer>& tracks,
                    std::vector<size_t>& chunk_sizes);

// Moves every wait record's position by the growth of the delta times in
// front of it in its track, so that it still names the delta it was
// recorded at.
void follow_resized_deltas(RecordTable<SyncRecord>& sync, const std::vector<Growth>& growth);

}  // namespace orvo
