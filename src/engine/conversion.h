// The working state of one conversion: everything it owns from the loaded
// source to the finished chunks.
#pragma once

#include <cstdint>
#include <vector>

#include "run/music_options.h"
#include "run/session.h"
#include "signature/signature.h"
#include "smf/track_buffer.h"
#include "track/convert_track.h"
#include "zmd/common.h"
#include "zmd/image.h"
#include "zmd/track_table.h"

namespace orvo {

struct Conversion {
  MusicOptions options;                // -J changes loop_count and fade_delay per track
  const ZmdImage* source = nullptr;    // the song, owned by the caller
  SignatureData signature;
  TimingRecord timing;
  int32_t start_offset = 0;            // clock at which performance tracks begin
  std::vector<TrackEntry> table;       // the track table, track k at index k - 1
  std::vector<TrackBuffer> tracks;     // 0: conductor; k: performance track k
  std::vector<size_t> chunk_sizes;     // per track buffer, header included
  std::vector<int32_t> do_times;       // per performance track: clock of the last [do]
  std::vector<int32_t> loop_times;     // per performance track: clock of the first [loop]
  TrackTables tables;
};

// Converts performance track k (1-based) into a fresh buffer.
void convert_one_track(Session& s, Conversion& c, int k);

// -J: re-converts every looped track with a loop count and fade delay that
// make all loops end at the same clock.
void adjust_loops(Session& s, Conversion& c);

}  // namespace orvo
