#include "zmd/track_table.h"

#include "run/exit.h"

namespace orvo {

int64_t track_table_offset(int64_t terminator) { return (terminator + 2) & ~int64_t{1}; }

std::vector<TrackEntry> read_track_table(const ZmdImage& img, int64_t terminator) {
  int64_t p = track_table_offset(terminator);
  const int count = static_cast<int16_t>(zbe16(img, p));
  p += 2;
  if (count > kMaxPerformanceTracks) {
    fatal_error(1, "Error: トラック数 %d は多すぎます(%d まで)。\n", count, kMaxPerformanceTracks);
  }
  std::vector<TrackEntry> tracks;
  for (int k = 1; k <= count; ++k) {
    const uint32_t relative = zbe32(img, p);
    p += 4;
    // The offset counts from the byte after its own field, in 32-bit arithmetic.
    const int32_t start = static_cast<int32_t>(static_cast<uint32_t>(p) + relative);
    const uint8_t channel = zbyte(img, p + 1);
    p += 2;
    if (start < 0 || static_cast<uint64_t>(start) >= img.size) {
      fatal_error(1, "Error: トラック %d の開始位置 %ld はファイルの外を指しています。\n", k,
                  static_cast<long>(start));
    }
    tracks.push_back(TrackEntry{start, channel, kLastTrackEnd});
  }
  for (size_t k = 0; k + 1 < tracks.size(); ++k) tracks[k].end = tracks[k + 1].start;
  return tracks;
}

}  // namespace orvo
