// The settings a track hands the note renderer with every note: pitch and
// controller modulation, portamento, the eight-step tables, the fade, and
// the four components every pitch bend is summed from. The track interpreter
// keeps them in its TrackState; the renderer gets copies of the settings and
// pointers to what it changes.
#pragma once

#include <cstdint>

namespace orvo {

// The four components of the pitch bend; the bend sent is their clamped sum.
struct BendComponents {
  int16_t detune = 0;      // 96, 97, D1; the auto-bend set-up writes its start offset here
  int16_t portamento = 0;  // advanced clock by clock while a portamento runs; D1, BD 0 clear it
  int16_t slur = 0;        // slur offset from the slur table; C5 0 clears it
  int16_t pitch_mod = 0;   // written by the pitch modulation; BB clears it
};

struct PitchModParams {
  int32_t pm_start = 0;  // E8: chain clock at which the pitch modulation begins
  int16_t pm_depth = 0;  // E6; E4, EE and BB 0 set it to 0
  int16_t pm_speed = 6;  // D6
  uint8_t pm_keep = 0;   // 9C: keep the oscillator's phase from note to note
  uint8_t pm_wave = 0;   // 98: 0 saw, 1 square, 2 triangle, 3 one-shot, 8..31 user
  uint8_t pm_mode = 2;   // 98 (1 when it was 0), 99: 0 wheel, 1 bend x 1067/100, other bend
};

struct CtrlModParams {
  uint8_t cm_controller = 11;  // 9A, A4: controller number modulated
  int8_t cm_depth = -128;      // AE; E5, EF set -128 (off); BC 0 sets cm_initial
  uint8_t cm_initial = 127;    // 9A; A4 sets 0
  uint8_t cm_base = 127;       // 9A; A4 sets 0
  int32_t cm_start = 0;        // E8: chain clock at which the controller modulation begins
  int16_t cm_speed = 6;        // D6
  uint8_t cm_keep = 0;         // 9C
  uint8_t cm_wave = 2;         // 98
  uint8_t cm_mode = 0;         // 98, 99: 0 plain value, other generated waveform
};

struct PortamentoParams {
  int32_t porta_delay = 0;  // E0, E1: clocks from the note start before the portamento
  int16_t porta_a = 0;      // E0, E1: start offset (mode +-2) or per-clock step (+-1)
  int16_t porta_b = 0;      // E0, E1: total amount (mode +-2) or 1/256 fraction (+-1)
  int8_t porta_mode = 0;    // E0, E1 (2 x m): 0 none, +-2 to set up, +-1 running
};

// The eight-step tables A (pitch depth), B (controller depth) and C (channel
// pressure), each in use while its marker byte is not 0.
struct StepTables {
  uint8_t pitchModStep = 0;  // E4, EE add 1; E6, 99 and BB 0 set 0
  uint8_t ampModStep = 0;    // E5, EF add 1; AE, 99 and BC 0 set 0; A4 sets 1
  uint8_t auxModStep = 0;    // E3 adds 1; BE n != 0 sets 0
  uint8_t spare = 0;
  int16_t pitchModTable[9] = {};  // E4, EE; entry 8 stays 0
  int16_t ampModTable[9] = {};    // E5, EF
  int16_t auxModTable[9] = {};    // E3
};

struct FadeState {
  int16_t counter = 0;  // A6, CC set 0; added to the scale every clock
  uint8_t step = 0;     // A6, CC, [loop]: twice the speed, added to aux every clock (0..254)
  int16_t scale = 128;  // fade level, 128 full (100 in mode 1)
  int16_t aux = 0;      // accumulator of the 1/256 steps
  int32_t delay = 0;    // -D (or the -J fitted delay): clocks before the fade moves
  int8_t state = 0;     // A6, CC, [loop]: 0 none, 1 fading in, -1 fading out
  uint8_t mode = 0;     // A6 0 (volume); CC 1 (Roland 0x16 master volume) or 2
};

// modFlags, the enables byte (C7 sets it whole).
constexpr uint8_t kModPitch = 0x01;     // BB, E4, E6, EE
constexpr uint8_t kModCtrl = 0x02;      // BC, 9A, AE, E5, EF
constexpr uint8_t kModAutoBend = 0x04;  // BD, E1; D1 clears it
constexpr uint8_t kModPressure = 0x08;  // BE, E3

// Key lists end at 0xFF; a first key of 0x80 is a rest.
constexpr uint8_t kNoKey = 0xFF;
constexpr uint8_t kRestKey = 0x80;

}  // namespace orvo
