// The optional signature file: instrument names, author text, time and key
// signatures.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "run/companions.h"
#include "run/error_stream.h"

namespace orvo {

// One time or key signature at a bar. Key signature: code = (sf + 7) * 2 + mi.
// Time signature: code = 0x2000 + numerator * 32 + d, denominator 2^d.
struct SignatureEntry {
  int16_t bar;
  int16_t code;
};

constexpr int kInstrumentNames = 80;
constexpr size_t kInstrumentNameMax = 255;
constexpr size_t kAuthorMax = 100;
constexpr size_t kSignatureEntriesMax = 50;

struct SignatureData {
  std::array<std::string, kInstrumentNames> instrument_names;  // 楽: name k names track k + 1
  std::string author;                                         // 著:
  std::vector<SignatureEntry> list;                           // 拍: and 調:, in the order read
};

// Reads the signature file the client found, if any: its instrument names,
// author text and signatures. A file that was found but could not be read
// ends the conversion (status 1).
void loadsignature(const SignatureFile& file, SignatureData& data, ErrorStream& err);

}  // namespace orvo
