#include "track/convert_track.h"

namespace orvo {

void convert_track(Session& s, const ZmdImage& img, TrackBuffer& tb, size_t& chunk_size,
                   int64_t& offset, const TrackInputs& in, TrackTables& tables, int32_t& doTime,
                   int32_t& loopTime) {
  (void)img;
  (void)tables;
  (void)offset;
  open_chunk(tb);
  reset_running_status(s.running, in.running_status ? kStatusRunning : kStatusAlways);
  doTime = 0;
  loopTime = 0;
  chunk_size = close_chunk(tb, in.start_offset);
}

}  // namespace orvo
