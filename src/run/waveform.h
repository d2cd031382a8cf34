// User waveforms for software modulation, registered by common command 0x4A.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace orvo {

struct Waveform {
  int32_t length = 0;            // samples; 0 = undefined (0x4A: count c)
  uint8_t loop_mode = 0;         // 0x4A: what happens at the end of the samples
  int32_t loop_index = 0;        // 0x4A: sample index the loop returns to
  std::vector<int16_t> samples;  // 0x4A: the waveform
};

// Registration numbers 8..31; 0..7 are the driver's built-in waveforms.
constexpr int kFirstUserWaveform = 8;
constexpr int kLastUserWaveform = 31;

struct WaveformTable {
  std::array<Waveform, kLastUserWaveform + 1> slots;  // indexed by registration number
};

}  // namespace orvo
