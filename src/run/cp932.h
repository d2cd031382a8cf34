// UTF-8 to CP932 (Shift_JIS) conversion of the converter's own message texts.
#pragma once

#include <string>
#include <string_view>

namespace orvo {

// Converts UTF-8 text to CP932 bytes. ASCII passes through unchanged; a
// character CP932 cannot hold, or a malformed UTF-8 sequence, becomes '?'.
std::string to_cp932(std::string_view utf8);

// True when every character of the UTF-8 text has a CP932 encoding.
bool cp932_encodable(std::string_view utf8);

}  // namespace orvo
