// The running-status memory of the track being written.
#pragma once

#include <cstdint>

namespace orvo {

struct RunningStatus {
  uint8_t last = 0xFF;  // status of the last channel event put_event1/2 wrote
  uint8_t mode = 0xFF;  // value of the last reset; 0xFF = running status off
};

}  // namespace orvo
