#include "smf/events.h"

#include <algorithm>

#include "smf/vlq.h"

namespace orvo {

namespace {
// Every data byte written is a valid MIDI data byte: values outside 0..127
// (a program of 129 on an FM voice, say) are held at the nearest end.
uint8_t data_byte(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 127)); }
}  // namespace

void reset_running_status(RunningStatus& rs, uint8_t value) {
  rs.last = value;
  rs.mode = value;
}

static size_t put_status(RunningStatus& rs, uint8_t* out, int status) {
  const uint8_t s = static_cast<uint8_t>(status);
  if (s != rs.last || rs.mode == 0xFF) {
    rs.last = s;
    *out = s;
    return 1;
  }
  return 0;
}

size_t put_event2(RunningStatus& rs, uint8_t* out, int32_t delta, int status, int data1, int data2) {
  size_t n = write_vlq(out, delta);
  n += put_status(rs, out + n, status);
  out[n++] = data_byte(data1);
  out[n++] = data_byte(data2);
  return n;
}

size_t put_event1(RunningStatus& rs, uint8_t* out, int32_t delta, int status, int data) {
  size_t n = write_vlq(out, delta);
  n += put_status(rs, out + n, status);
  out[n++] = data_byte(data);
  return n;
}

namespace {
// Control changes 1..18 of the sequence (controller, value); event 19 is the
// pitch bend centre.
constexpr uint8_t kInitControllers[18][2] = {
    {121, 0}, {125, 0}, {127, 0}, {122, 127}, {101, 0}, {100, 1},
    {6, 64},  {38, 0},  {101, 0}, {100, 2},   {6, 64},  {101, 0},
    {100, 0}, {6, 12},  {7, 63},  {10, 64},   {1, 0},   {64, 0},
};
}  // namespace

size_t put_channel_init(RunningStatus& rs, uint8_t* out, int gap, int32_t& pending, int channel) {
  size_t n = 0;
  int32_t delta = gap + pending;
  for (const auto& cc : kInitControllers) {
    n += put_event2(rs, out + n, delta, 0xB0 + channel, cc[0], cc[1]);
    delta = gap;
  }
  n += put_event2(rs, out + n, gap, 0xE0 + channel, 0, 64);
  pending = 0;
  return n;
}

int32_t channel_init_span(int gap) { return 19 * gap; }

}  // namespace orvo
