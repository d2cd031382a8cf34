// The pieces of the conductor track that makecommon assembles.
#pragma once

#include <cstdint>

#include "run/waveform.h"
#include "signature/signature.h"
#include "smf/track_buffer.h"
#include "zmd/common_ops.h"
#include "zmd/image.h"

namespace orvo {

// 0x18: count n, then n bytes of exclusive data. Writes one exclusive event
// per message, each `wait` clocks after the previous event, and adds the
// waits to `total`. Leaves `p` after the last byte consumed.
void exclusive_block(TrackBuffer& tb, const ZmdImage& img, int64_t& p, int32_t wait,
                     int64_t& total, CommandAt at);

// 0x4A: registers a user waveform (numbers 8..31; others end the conversion).
void register_waveform(WaveformTable& table, const ZmdImage& img, int64_t& p, CommandAt at);

// Start offset S: the first clock not before `excl_total` at which the -I
// initialisation sequence (19 * init_gap clocks) ends on a whole note.
int32_t tracks_start_offset(int64_t excl_total, int8_t init_gap, int32_t timebase);

// Author text at the front, time and key signatures at their bars, end of
// track.
void finish_conductor(TrackBuffer& tb, const SignatureData& sig, int32_t timebase);

}  // namespace orvo
