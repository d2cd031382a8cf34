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
  int32_t clock = 0;     // chain clock: render_note (new waveform, struck note without
                         // keep-phase), the oscillator restarts and table restarts set it;
                         // +1 per generated clock
  int32_t osc = 0;       // clocks the oscillator has run; +1 per running clock; restarts clear it
  int32_t turn = 0;      // oscillator clock of the next turning point or table step; 0 = not set up
  int32_t index = 0;     // square toggles or table index (negative while playing backwards)
  Slope slope;           // computed waveforms: set at their first clock and turning points
  int16_t fraction = 0;  // accumulator of the slope's 1/256 fraction; restarts clear it
  int32_t interval = 0;  // clocks since the last value written (-B); 0 when the modulation starts
};

// Writers' last values; kNoValue16 / kNoController mean nothing sent yet.
constexpr int16_t kNoValue16 = INT16_MIN;  // 0x8000
constexpr uint8_t kNoController = 0x80;

struct RenderState {
  int32_t tie_elapsed = 0;     // render_note: + step per tied event, 0 when a note ends
  int32_t slur_base = 0;       // render_note: the key of a tie start or of a re-struck tie
  int8_t last_pitch = 0;       // render_note: pitch last sounding, portamento displacement included
  uint8_t last_pm_wave = 2;    // render_note: waveform numbers of the last event
  uint8_t last_cm_wave = 2;
  int32_t last_pm_depth = 0;   // render_note: pm_depth of the last event
  int8_t last_porta_mode = 0;  // render_note: porta_mode of the last event

  uint8_t table_marker[3] = {};  // render_note: markers of tables A, B, C last seen
  int8_t table_applied[3] = {};  // 0 not yet, 1 in this span, -1 in an earlier span: the
                                 // generator applies and negates, render_note clears

  Oscillator pitch;        // pm_clock, pm_osc, pm_turn, pm_index, ...
  Oscillator ctrl;         // cm_clock, cm_osc, cm_turn, cm_index, ...
  uint8_t cm_value = 0;    // controller modulation output 0..127: the generator; restarts set it

  int16_t last_pressure = 0;         // generator: last channel pressure of table C
  int32_t clocks_since_note_on = 0;  // generator: 0 at each note-on, +1 per clock
  uint8_t note_started = 0;          // generator: a note-on was written; oscillator restarts
                                     // clear it outside a tie
  uint8_t porta_interval = 0;        // generator: clocks since the last portamento bend

  // Controller writers' memories.
  int16_t last_bend = kNoValue16;           // write_pitch_bend
  int16_t last_modulation = kNoValue16;     // write_modulation
  int16_t last_volume = kNoValue16;         // write_volume
  uint8_t last_controller = kNoController;  // write_controller, one memory for every number
  bool opm_scaling = false;                 // set_opm_scaling: bends in OPM detune units

  uint8_t wait_marker = 0x20;  // the interpreter: 0x77 before a wait step (D0); render_note
                               // sets it back to 0x20
};

}  // namespace orvo
