// convert_track: one performance track becomes one MTrk chunk.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "run/records.h"
#include "run/session.h"
#include "smf/track_buffer.h"
#include "zmd/image.h"

namespace orvo {

// What the driver hands the interpreter for one track.
struct TrackInputs {
  int32_t track_index = 0;      // 0-based index in the track table
  uint8_t channel_byte = 0;     // from the track table
  int32_t end_offset = 0;       // start of the next track, or the last-track bound
  int8_t init_gap = -1;         // -I
  int32_t loop_count = 2;       // -L, or the -J fitted count
  int8_t keyoff_skip = 0;       // -R
  int32_t start_offset = 0;     // clock at which the track's music begins
  int8_t fade_speed = 10;       // -F
  int32_t fade_delay = 0;       // -D, or the -J fitted delay
  int8_t bend_interval = 1;     // -B
  uint8_t running_status = 1;   // 0 under -s
  const std::string* name = nullptr;  // instrument name from the signature file
  uint8_t convert_fm = 0;       // -m
};

// The tables every track appends to, owned by the driver.
struct TrackTables {
  RecordTable<SyncRecord> sync;
  RecordTable<TempoRecord> tempo;
  RecordTable<MarkRecord> mark;
};

// Converts the track at `offset` into `tb` (freshly allocated). Reports the
// chunk size, the offset where interpretation stopped, and the clocks of
// the last [do] and of the first [loop] (0 without a loop).
void convert_track(Session& s, const ZmdImage& img, TrackBuffer& tb, size_t& chunk_size,
                   int64_t& offset, const TrackInputs& in, TrackTables& tables, int32_t& doTime,
                   int32_t& loopTime);

}  // namespace orvo
