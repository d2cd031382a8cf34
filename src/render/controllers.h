// Channel-message writers that remember the last value sent and skip a value
// already sent, and the exclusive-message writer. Each writes at `out` with
// the pending delta, sets the pending delta to 0 and returns the bytes
// written; a writer that skips writes nothing and returns 0.
#pragma once

#include <cstddef>
#include <cstdint>

#include <algorithm>

#include "render/params.h"
#include "run/session.h"
#include "smf/events.h"

namespace orvo {

constexpr int kBendMin = -8192;
constexpr int kBendMax = 8191;
constexpr int kOpmBendNumerator = 683;   // one semitone of MIDI bend (range 12)
constexpr int kOpmBendDenominator = 64;  // one semitone of OPM detune

// The bend for the 16-bit sum of the components, held to the bend range
// (and scaled for OPM tracks), unless it is `last_bend`, the last value
// sent. The memories are passed in so that a writer running many clocks can
// hold them in locals.
inline size_t put_bend(RunningStatus& running, int16_t& last_bend, bool opm_scaling, uint8_t* out,
                       int32_t& pending, int channel, int16_t sum) {
  int v = std::clamp<int>(sum, kBendMin, kBendMax);
  if (v == last_bend) return 0;
  last_bend = static_cast<int16_t>(v);
  if (opm_scaling) v = std::clamp(v * kOpmBendNumerator / kOpmBendDenominator, kBendMin, kBendMax);
  const size_t n =
      put_event2(running, out, pending, 0xE0 + channel, (v + 8192) & 0x7F, (v + 8192) >> 7);
  pending = 0;
  return n;
}

// En: the clamped sum of the four components (scaled for OPM tracks).
size_t write_pitch_bend(Session& s, uint8_t* out, int32_t& pending, int channel,
                        const BendComponents& bend);

// Bn 1 value, the value clamped to 0..127.
size_t write_modulation(Session& s, uint8_t* out, int32_t& pending, int channel, int value);

// Bn 7 value.
size_t write_volume(Session& s, uint8_t* out, int32_t& pending, int channel, int value);

// Bn controller value; one memory for every controller number.
size_t write_controller(Session& s, uint8_t* out, int32_t& pending, int channel, int controller,
                        int value);

// True when a volume has been written since the last reset.
bool volume_was_sent(const Session& s);

// Nothing sent yet: called at every track start.
void reset_controller_memory(Session& s);

// Bends in OPM detune units (1/64 semitone) are scaled to MIDI units.
void set_opm_scaling(Session& s, bool on);

// Framing of write_exclusive: F0, length, header, body, checksum, F7.
constexpr int kExclusiveChecksum = 1;

// The pending delta, then (framed) F0, VLQ(count + 6) and the 4 header
// bytes, the body, (framing 1) the checksum, (framed) F7. Data bytes of 0x80
// or more are written as 0x7F. Resets the running status to 0xFE when
// `running_flag` is 1, else to 0xFF.
size_t write_exclusive(Session& s, uint8_t* out, int32_t& pending, const uint8_t* header,
                       const uint8_t* body, int count, int framing, uint8_t running_flag);

}  // namespace orvo
