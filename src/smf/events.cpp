#include "smf/events.h"

namespace orvo {

void reset_running_status(RunningStatus& rs, uint8_t value) {
  rs.last = value;
  rs.mode = value;
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
