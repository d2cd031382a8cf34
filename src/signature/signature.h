// The optional signature file: instrument names, author text, time and key
// signatures.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "run/console.h"

namespace orvo {

struct ConvertOptions;
class FolderListings;

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

// Reads the signature file named by -g, or after the source file, if it
// exists (under that name, or else one that differs only in the case of its
// letters). Ends the conversion on read errors only. With `listings`,
// folders are listed through it.
void loadsignature(const ConvertOptions& options, SignatureData& data, ErrorStream& err,
                   FolderListings* listings = nullptr);

}  // namespace orvo
