// Everything one conversion shares across its stages. A fresh Session is made
// for every conversion, so nothing of one conversion leaks into the next, and
// conversions on several threads never meet.
#pragma once

#include <array>
#include <cstdint>

#include "run/bounds.h"
#include "run/companions.h"
#include "run/error_stream.h"
#include "run/pass_times.h"
#include "run/render_state.h"
#include "run/running_status.h"
#include "run/waveform.h"

namespace orvo {

constexpr int kChannelInitFlags = 80;

struct Session {
  ErrorStream err;                                     // every message of the conversion
  RunningStatus running;                               // of the chunk being written
  std::array<uint8_t, kChannelInitFlags> channel_init{};  // set once a channel's -I sequence is written
  int tempo_rounding = 0;                              // -U: tempo values rounded, not truncated
  WaveformTable waveforms;                             // common command 0x4A
  RenderState render;                                  // note renderer and modulation generator
  PassTimes* pass_times = nullptr;                     // the benchmark's timing of the passes
  MddResolver mdd;                                     // common command 0x62: the client's MDD files
  Bounds bounds = kBounds;                             // where endless data is cut off
};

// Sets all channel init flags to 0.
void clear_channel_init_flags(Session& s);

}  // namespace orvo
