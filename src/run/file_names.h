// File names: Shift_JIS lead bytes, extension replacement and directory
// stripping, shared by the source, destination, MDD and signature names.
#pragma once

#include <string>

namespace orvo {

// True for the lead-byte ranges of Shift_JIS: 0x81..0x9F and 0xE0..0xFC.
bool is_sjis_lead(int byte);

// When the name has a '.' at index 1 or more, everything from the last such
// '.' is replaced by `extension`; otherwise `extension` is appended.
std::string replace_extension(const std::string& name, const char* extension);

// Drops everything up to and including the last single-byte '\', stepping
// over two-byte characters.
std::string strip_directory(const std::string& name);

// The name as a message shows it: whole when it has at most `limit` bytes,
// else its first `limit` bytes or fewer (never half a two-byte character)
// and "...".
std::string shown_beginning(const std::string& name, size_t limit);

}  // namespace orvo
