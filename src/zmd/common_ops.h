// Helpers shared by the common-command handlers: bounded operand access.
#pragma once

#include <cstdint>
#include <string>

#include "zmd/image.h"

namespace orvo {

// Where a common command stands, for messages about it.
struct CommandAt {
  int64_t offset;  // offset of the opcode byte
  uint8_t opcode;
};

// Ends the conversion (status 1) unless `count` operand bytes from `p` lie
// inside the file.
void require_operands(const ZmdImage& img, int64_t p, int64_t count, CommandAt at);

// Reads a 0-terminated string at `p` (returned without its 0) and moves `p`
// past the 0. A string with no 0 before the end of the file ends the
// conversion (status 1).
std::string read_string(const ZmdImage& img, int64_t& p, CommandAt at);

}  // namespace orvo
