// The signature and MDD files of a song, found and read from the file
// system the way orvo has always looked for them.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "run/companions.h"

namespace orvo {

class FolderListings;

// The bytes behind a SignatureFile: the file is read whole before the
// conversion starts. Moved, never copied: `file` points into `bytes`.
struct SignatureStorage {
  SignatureStorage() = default;
  SignatureStorage(const SignatureStorage&) = delete;
  SignatureStorage& operator=(const SignatureStorage&) = delete;
  SignatureStorage(SignatureStorage&&) = default;
  SignatureStorage& operator=(SignatureStorage&&) = default;

  SignatureFile file;
  std::vector<uint8_t> bytes;
};

// The signature file named `name` (the -g name or the source name with
// ".sig"): under that name, else under one that differs only in the case
// of its letters. A file that opens but cannot be read is kept as
// unreadable, for the conversion to report.
SignatureStorage find_signature_file(const std::string& name, FolderListings* listings);

// The MDD file `name` (the stored name with its extension): in the current
// folder, else in `source_folder`, under its exact name first, then under a
// name that differs only in the case of its letters. "" when there is none.
std::string find_mdd_file(const std::string& name, const std::string& source_folder,
                          FolderListings* listings);

// Where a conversion's MDD files are looked for.
struct MddFolders {
  std::string source_folder;           // the song's folder ("" when it came from standard input)
  FolderListings* listings = nullptr;
};

// A resolver that finds each MDD file with find_mdd_file and reads it whole.
MddResolver file_mdd_resolver(const MddFolders& folders);

}  // namespace orvo
