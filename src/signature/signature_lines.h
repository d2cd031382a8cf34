// The item lists of the signature file's 拍: (time signature) and 調: (key
// signature) lines. Used only by loadsignature.
#pragma once

#include <cstdint>
#include <vector>

#include "run/error_stream.h"
#include "signature/signature.h"

namespace orvo {

// Index of the first `c` in the C string `s`, or -1 (the terminator is never
// found).
int findchar(const char* s, char c);

// Skips blanks (spaces and tabs), reads decimal digits into `number` (0 when
// there are none; saturates at 2,147,483,647), skips blanks again. Returns
// the number of characters consumed.
int getnumber(const char* text, int32_t& number);

// Parse the items after "拍:" or "調:" up to the end of the line (a '\n' or
// the terminator), appending what they set to `list`.
void parse_time_signatures(const char* items, std::vector<SignatureEntry>& list, ErrorStream& err);
void parse_key_signatures(const char* items, std::vector<SignatureEntry>& list, ErrorStream& err);

}  // namespace orvo
