// One fuzz input is one whole conversion: four bytes of switches, then the
// ZMD file, read from standard input and written to nowhere.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace orvo::fuzz {

// Bytes of switches in front of the ZMD file.
constexpr size_t kSwitchBytes = 4;

// The command line the first bytes select:
//   byte 0: bit 0 -m, 1 -s, 2 -J, 3 -A, 4 -U, 5 -I, 6 -R, 7 -R with a number
//   byte 1: -I gap (bits 0..2), -R number (bits 3..5), -X wait (bits 6..7, x 8)
//   byte 2: -L count (bits 0..1), -F speed (bits 2..7)
//   byte 3: -B interval (bits 0..2, + 1), -D delay (bits 3..7, x 4)
std::vector<std::string> switches_from(const uint8_t* data, size_t size);

// Converts `data` as described; returns the exit status.
int convert_input(const uint8_t* data, size_t size);

}  // namespace orvo::fuzz
