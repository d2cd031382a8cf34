// A quick look at the common-command section without converting it: the MDD
// files a song names, for deciding whether its MIDI file is up to date.
#pragma once

#include <string>
#include <vector>

#include "zmd/image.h"

namespace orvo {

// The names stored by common command 0x62, in the order met, each once.
// The walk steps over every other command with the operand sizes makecommon
// uses and stops quietly, with the names found so far, at data that ends
// early or after a bounded number of commands; the conversion itself reports
// what is wrong with such data.
std::vector<std::string> mdd_names(const ZmdImage& img);

}  // namespace orvo
