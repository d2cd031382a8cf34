#include "passes/wait_patch.h"

#include <algorithm>

#include "passes/event_walk.h"
#include "smf/vlq.h"

namespace orvo {

void patch_wait_delay(SyncPatches& patches, const std::vector<TrackBuffer>& tracks,
                      int32_t track, int32_t position, int64_t pending, int64_t extra) {
  if (track < 0 || static_cast<size_t>(track) + 1 >= tracks.size() || position < 8) return;
  if (patches.tracks.size() <= static_cast<size_t>(track)) {
    patches.tracks.resize(static_cast<size_t>(track) + 1);
  }
  TrackPatches& tp = patches.tracks[static_cast<size_t>(track)];
  const auto found = tp.at.find(position);
  size_t index;
  if (found != tp.at.end()) {
    index = found->second;  // a second wait at the same place reads the patched value
  } else {
    const TrackBuffer& tb = tracks[static_cast<size_t>(track) + 1];
    int32_t written = 0;
    const size_t length =
        read_delta(tb.bytes.data(), static_cast<size_t>(position), chunk_end(tb), written);
    if (length == 0) return;
    index = tp.patches.size();
    tp.patches.push_back({position, static_cast<uint32_t>(length), written});
    tp.at.emplace(position, index);
  }
  DeltaPatch& p = tp.patches[index];
  p.value = clamp_delta(pending + extra + p.value);
}

Growth resize_delta(const TrackPatches& patches, int32_t track, std::vector<TrackBuffer>& tracks,
                    std::vector<size_t>& chunk_sizes) {
  Growth growth;
  if (patches.patches.empty()) return growth;
  TrackBuffer& tb = tracks[static_cast<size_t>(track) + 1];
  std::vector<const DeltaPatch*> order;
  order.reserve(patches.patches.size());
  for (const DeltaPatch& p : patches.patches) order.push_back(&p);
  std::sort(order.begin(), order.end(),
            [](const DeltaPatch* a, const DeltaPatch* b) { return a->position < b->position; });

  const size_t end = chunk_end(tb);
  const uint8_t* bytes = tb.bytes.data();
  ChunkOut out;
  start_chunk(out, tb, end + 4 * order.size());
  size_t copied = 8;
  int32_t total = 0;
  for (const DeltaPatch* p : order) {
    const size_t at = static_cast<size_t>(p->position);
    if (at < copied) continue;
    put_span(out, bytes, copied, at);
    put_delta(out, p->value);
    copied = at + p->length;
    total += static_cast<int32_t>(vlq_length(p->value)) - static_cast<int32_t>(p->length);
    growth.emplace_back(p->position, total);
  }
  put_span(out, bytes, copied, end);
  const size_t size = finish_chunk(out, tb);
  if (chunk_sizes.size() > static_cast<size_t>(track) + 1) {
    chunk_sizes[static_cast<size_t>(track) + 1] = size;
  }
  return growth;
}

void follow_resized_deltas(RecordTable<SyncRecord>& sync, const std::vector<Growth>& growth) {
  for (SyncRecord& r : sync.items) {
    if (r.position < 0 || r.track < 0 || static_cast<size_t>(r.track) >= growth.size()) continue;
    const Growth& g = growth[static_cast<size_t>(r.track)];
    // The last patch standing in front of the record's position.
    const auto behind = std::lower_bound(
        g.begin(), g.end(), r.position,
        [](const std::pair<int32_t, int32_t>& e, int32_t pos) { return e.first < pos; });
    if (behind != g.begin()) r.position += std::prev(behind)->second;
  }
}

}  // namespace orvo
