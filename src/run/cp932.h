// CP932 (Shift_JIS) conversion: the converter's own message texts are
// written in UTF-8 and leave the program as CP932; a UTF-8 terminal gets
// the CP932 bytes back in UTF-8.
#pragma once

#include <string>
#include <string_view>

namespace orvo {

// Converts UTF-8 text to CP932 bytes. ASCII passes through unchanged; a
// character CP932 cannot hold, or a malformed UTF-8 sequence, becomes '?'.
std::string to_cp932(std::string_view utf8);

// True when every character of the UTF-8 text has a CP932 encoding.
bool cp932_encodable(std::string_view utf8);

// Converts CP932 bytes to UTF-8. A byte that starts no CP932 character (or a
// lead byte whose pair is not one) is copied as it is, so names in other
// encodings pass through unchanged.
std::string cp932_to_utf8(std::string_view cp932);

// True when the bytes are well-formed UTF-8.
bool is_utf8(std::string_view text);

}  // namespace orvo
