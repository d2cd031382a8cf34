// File names: extension replacement, Shift_JIS-aware directory stripping,
// and resolve_names, which loads the source and fixes the destination.
#pragma once

#include <string>

#include "driver/options.h"
#include "zmd/image.h"

namespace orvo {

// True for the lead-byte ranges of Shift_JIS: 0x81..0x9F and 0xE0..0xFC.
bool is_sjis_lead(int byte);

// When the name has a '.' at index 1 or more, everything from the last such
// '.' is replaced by `extension`; otherwise `extension` is appended.
std::string replace_extension(const std::string& name, const char* extension);

// Drops everything up to and including the last single-byte '\', stepping
// over two-byte characters.
std::string strip_directory(const std::string& name);

// Loads the source (the name, else the name with `source_ext`), rewrites
// source_name to the name opened and dest_name to the final destination.
ZmdImage resolve_names(Session& s, ConvertOptions& o, const char* source_ext, const char* dest_ext);

}  // namespace orvo
