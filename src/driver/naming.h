// resolve_names: loads the source and fixes the destination name.
#pragma once

#include <string>

#include "driver/options.h"
#include "run/file_names.h"
#include "zmd/image.h"

namespace orvo {

// Loads the source (the name, else the name with `source_ext`), rewrites
// source_name to the name opened and dest_name to the final destination,
// and notes the source's folder in the run.
ZmdImage resolve_names(CommandRun& run, ConvertOptions& o, const char* source_ext, const char* dest_ext);

}  // namespace orvo
