// One input of the library's fuzz target is one call of orvo_convert with
// everything it can be given: switches, a signature file, an MDD file and
// the song.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

namespace orvo::fuzz {

// The layout of an input:
//   bytes 0..3  the switches, as for the whole-run target (fuzz_input.h)
//   bytes 4..5  the signature file's length S (big-endian), 0xFFFF: none
//   bytes 6..7  the MDD file's length M (big-endian); 0xFFFF: every MDD
//               file is missing, 0xFFFE: every MDD file is unreadable
//   then S bytes of signature file, M bytes of MDD file, and the song.
// Lengths beyond what the input holds take what it holds.
constexpr size_t kApiHeaderBytes = 8;

// What a call of orvo_convert broke, "" when every promise of the API held:
// status 0 exactly when MIDI bytes are given, those bytes a valid MIDI file,
// the messages within their bound and ending with the error line, every
// MDD file handed out given back.
std::string convert_api_input(const uint8_t* data, size_t size);

}  // namespace orvo::fuzz
