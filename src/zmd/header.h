// The 8-byte ZMD header: magic and version.
#pragma once

#include <string>

#include "run/error_stream.h"
#include "zmd/image.h"

namespace orvo {

// The version byte (0..255) when the first 7 bytes are 0x10 or 0x1A followed
// by "ZmuSiC", otherwise -1. Reads nothing beyond offset 7.
int checkzmd(const ZmdImage& img);

// Accepts or refuses the source by its header: refuses non-ZMD data and
// version-3 data (status 1), warns about data of a modified driver.
void check_header(const ZmdImage& img, const std::string& source_name, ErrorStream& err);

}  // namespace orvo
