// Cutting a stretch of time out of one MTrk chunk.
#pragma once

#include <cstdint>

#include "run/session.h"
#include "smf/track_buffer.h"

namespace orvo {

// Removes the clocks from `start` to `end` from the chunk in `tb`: notes in
// the span disappear, the last value of each controller, the last program
// change and the last pitch bend in it are kept and sound at `start`, other
// events in it (pressure, meta, exclusive) are kept there too, and everything
// after the span moves earlier by its length. An event exactly at `start`
// gets the text event "[@]" in front of it. A track holding only its end of
// track, or one that ends before `start`, is left alone. Status bytes that an
// edit leaves without their running status are written out.
void collapse_span(Session& s, TrackBuffer& tb, int64_t start, int64_t end);

}  // namespace orvo
