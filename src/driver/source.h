// Loading the whole source into memory.
#pragma once

#include <optional>
#include <string>

#include "driver/console.h"
#include "zmd/image.h"

namespace orvo {

// Loads the named file, or standard input for "-". Returns nothing when a
// named file cannot be opened; ends with status 4 when it opens but cannot
// be read completely.
std::optional<ZmdImage> load_source(const Console& console, const std::string& name);

}  // namespace orvo
