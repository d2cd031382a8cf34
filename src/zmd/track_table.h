// The track table behind the common-command section.
#pragma once

#include <cstdint>
#include <vector>

#include "zmd/image.h"

namespace orvo {

// Performance tracks the driver holds besides the conductor track.
constexpr int kMaxPerformanceTracks = 79;

// End bound of the last track.
constexpr int32_t kLastTrackEnd = 0x2000000;

struct TrackEntry {
  int32_t start;    // offset of the track's first command
  uint8_t channel;  // channel byte: 0..7 FM, 8 ADPCM, 9..24 MIDI, 25.. ADPCM
  int32_t end;      // start of the next track, kLastTrackEnd for the last one
};

// Offset of the track count: the first even offset after the section's
// terminator at `terminator`.
int64_t track_table_offset(int64_t terminator);

// Reads the table. A negative count means no tracks. Refuses (status 1) a
// count above kMaxPerformanceTracks and a start offset outside the file.
std::vector<TrackEntry> read_track_table(const ZmdImage& img, int64_t terminator);

}  // namespace orvo
