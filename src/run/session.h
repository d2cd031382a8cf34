// Everything one conversion shares across its stages. A fresh Session is made
// for every run, so nothing of one conversion leaks into the next.
#pragma once

#include <array>
#include <cstdint>
#include <string>

#include "run/console.h"
#include "run/pass_times.h"
#include "run/render_state.h"
#include "run/running_status.h"
#include "run/waveform.h"

namespace orvo {

class FolderListings;

constexpr int kChannelInitFlags = 80;

struct Session {
  Console console;                                     // the run's standard streams
  ErrorStream err;                                     // where messages go; -e redirects it
  RunningStatus running;                               // of the chunk being written
  std::array<uint8_t, kChannelInitFlags> channel_init{};  // set once a channel's -I sequence is written
  int tempo_rounding = 0;                              // -U: tempo values rounded, not truncated
  WaveformTable waveforms;                             // common command 0x4A
  RenderState render;                                  // note renderer and modulation generator
  PassTimes* pass_times = nullptr;                     // the benchmark's timing of the passes
  std::string source_folder;                           // of the source opened: MDD files are looked for there too
  FolderListings* listings = nullptr;                  // folder listings shared by a batch of conversions
};

// Sets all channel init flags to 0.
void clear_channel_init_flags(Session& s);

}  // namespace orvo
