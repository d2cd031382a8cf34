// Channel events under running status, and the channel initialisation sequence.
#pragma once

#include <cstddef>
#include <cstdint>

#include "run/running_status.h"
#include "smf/vlq.h"

namespace orvo {

// Running-status reset values: the conductor track and tracks under -s use
// kStatusAlways, performance tracks kStatusRunning.
constexpr uint8_t kStatusAlways = 0xFF;
constexpr uint8_t kStatusRunning = 0xFE;

// Sets both bytes of the memory to `value`. Called when a chunk is opened
// and after every meta or exclusive event.
void reset_running_status(RunningStatus& rs, uint8_t value);

// Every data byte written is a valid MIDI data byte: values outside 0..127
// (a program of 129 on an FM voice, say) are held at the nearest end.
inline uint8_t data_byte(int value) {
  return static_cast<uint8_t>(value < 0 ? 0 : (value > 127 ? 127 : value));
}

// Writes the status byte unless running status allows to omit it; returns
// the bytes written (0 or 1).
inline size_t put_status(RunningStatus& rs, uint8_t* out, int status) {
  const uint8_t s = static_cast<uint8_t>(status);
  if (s != rs.last || rs.mode == 0xFF) {
    rs.last = s;
    *out = s;
    return 1;
  }
  return 0;
}

// Writes delta, status (omitted when running status allows) and two data
// bytes at `out`; returns the bytes written. Data values are held to 0..127.
// These two are written for nearly every clock of a modulated note, hence
// inline.
inline size_t put_event2(RunningStatus& rs, uint8_t* out, int32_t delta, int status, int data1,
                         int data2) {
  size_t n = write_vlq(out, delta);
  n += put_status(rs, out + n, status);
  out[n++] = data_byte(data1);
  out[n++] = data_byte(data2);
  return n;
}

// As put_event2 with one data byte.
inline size_t put_event1(RunningStatus& rs, uint8_t* out, int32_t delta, int status, int data) {
  size_t n = write_vlq(out, delta);
  n += put_status(rs, out + n, status);
  out[n++] = data_byte(data);
  return n;
}

// Writes the 19-event initialisation sequence for `channel`, the first event
// at gap + pending, the others gap apart; sets pending to 0.
size_t put_channel_init(RunningStatus& rs, uint8_t* out, int gap, int32_t& pending, int channel);

// Ticks the sequence occupies: 19 * gap.
int32_t channel_init_span(int gap);

// A byte inside an exclusive message: anything that is no data byte (0x80
// and above, other than the closing F7 the writer adds) is held at 0x7F.
inline uint8_t exclusive_data_byte(uint8_t b) { return b < 0x80 ? b : uint8_t{0x7F}; }

// Bytes put_channel_init can write at most (delta times of up to 4 bytes).
constexpr size_t kChannelInitMaxBytes = 19 * 7;

}  // namespace orvo
