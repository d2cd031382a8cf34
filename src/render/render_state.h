// State shared by the note renderer and the modulation generator for one
// run. It carries from one track to the next: a track start resets only the
// controller writers' memories and the OPM-scaling switch.
#pragma once

#include <cstdint>

namespace orvo {

// A per-clock slope: integer step, fraction in 1/256 and direction.
struct Slope {
  int16_t step = 0;      // (to - from) / clocks, truncated toward zero
  uint8_t fraction = 0;  // remainder in 1/256, rounded up
  int8_t direction = 1;  // +1 rising (or flat), -1 falling
};

// One software oscillator: the pitch modulation or the controller modulation.
struct Oscillator {
  int32_t clock = 0;     // chain clock; set when the modulation (re)starts, +1 per clock
  int32_t osc = 0;       // clocks the oscillator has run
  int32_t turn = 0;      // oscillator clock of the next turning point or table step; 0 = not set up
  int32_t index = 0;     // square toggles or table index (negative while playing backwards)
  Slope slope;           // per-clock change of the computed waveforms
  int16_t fraction = 0;  // accumulator of the slope's 1/256 fraction
  int32_t interval = 0;  // clocks since the last value written (-B)
};

// Writers' last values; kNoValue16 / kNoController mean nothing sent yet.
constexpr int16_t kNoValue16 = INT16_MIN;  // 0x8000
constexpr uint8_t kNoController = 0x80;

struct RenderState {
  int32_t tie_elapsed = 0;     // clocks rendered so far in the current tie chain
  int32_t slur_base = 0;       // key the slur offsets are measured from
  int8_t last_pitch = 0;       // pitch last sounding, portamento displacement included
  uint8_t last_pm_wave = 2;    // waveform numbers of the last event
  uint8_t last_cm_wave = 2;
  int32_t last_pm_depth = 0;
  int8_t last_porta_mode = 0;

  uint8_t table_marker[3] = {};  // markers of tables A, B, C last applied
  int8_t table_applied[3] = {};  // 0 not yet, 1 in this span, -1 in an earlier span

  Oscillator pitch;        // pm_clock, pm_osc, pm_turn, pm_index, ...
  Oscillator ctrl;         // cm_clock, cm_osc, cm_turn, cm_index, ...
  uint8_t cm_value = 0;    // controller modulation output, 0..127

  int16_t last_pressure = 0;         // last channel pressure of table C
  int32_t clocks_since_note_on = 0;  // for the wheel kind's pm_start
  uint8_t note_started = 0;          // the first note-on of the note is written
  uint8_t porta_interval = 0;        // clocks since the last portamento bend

  // Controller writers' memories.
  int16_t last_bend = kNoValue16;
  int16_t last_modulation = kNoValue16;
  int16_t last_volume = kNoValue16;
  uint8_t last_controller = kNoController;  // one memory for every controller number
  bool opm_scaling = false;                 // bends in OPM detune units (FM tracks under -m)

  uint8_t wait_marker = 0x20;  // 0x77 while a wait step (D0) is rendered
};

}  // namespace orvo
