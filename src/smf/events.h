// Channel events under running status, and the channel initialisation sequence.
#pragma once

#include <cstddef>
#include <cstdint>

#include "run/running_status.h"

namespace orvo {

// Running-status reset values: the conductor track and tracks under -s use
// kStatusAlways, performance tracks kStatusRunning.
constexpr uint8_t kStatusAlways = 0xFF;
constexpr uint8_t kStatusRunning = 0xFE;

// Sets both bytes of the memory to `value`. Called when a chunk is opened
// and after every meta or exclusive event.
void reset_running_status(RunningStatus& rs, uint8_t value);

// Writes delta, status (omitted when running status allows) and two data
// bytes at `out`; returns the bytes written. Data values are held to 0..127.
size_t put_event2(RunningStatus& rs, uint8_t* out, int32_t delta, int status, int data1, int data2);

// As put_event2 with one data byte.
size_t put_event1(RunningStatus& rs, uint8_t* out, int32_t delta, int status, int data);

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
