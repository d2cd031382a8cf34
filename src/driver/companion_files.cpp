#include "driver/companion_files.h"

#include <cstdio>
#include <memory>

#include "driver/file_lookup.h"

namespace orvo {

namespace {

struct FileCloser {
  void operator()(std::FILE* f) const { std::fclose(f); }
};

// Reads an open file to its end; false on a read error.
bool read_whole(std::FILE* file, std::vector<uint8_t>& bytes) {
  uint8_t chunk[16384];
  for (;;) {
    const size_t got = std::fread(chunk, 1, sizeof chunk, file);
    bytes.insert(bytes.end(), chunk, chunk + got);
    if (got < sizeof chunk) return std::ferror(file) == 0;
  }
}

MddFile open_mdd(void* user, const std::string& name) {
  const MddFolders& folders = *static_cast<const MddFolders*>(user);
  MddFile file;
  const std::string found = find_mdd_file(name, folders.source_folder, folders.listings);
  std::FILE* stream = found.empty() ? nullptr : std::fopen(found.c_str(), "rb");
  if (stream == nullptr) return file;  // missing
  file.name = found;
  auto* bytes = new std::vector<uint8_t>();
  const bool read = read_whole(stream, *bytes);
  std::fclose(stream);
  if (!read) {
    delete bytes;
    file.state = CompanionState::unreadable;
    return file;
  }
  file.state = CompanionState::found;
  file.data = bytes->data();
  file.size = bytes->size();
  file.handle = bytes;
  return file;
}

void close_mdd(void*, void* handle) { delete static_cast<std::vector<uint8_t>*>(handle); }

}  // namespace

SignatureStorage find_signature_file(const std::string& name, FolderListings* listings) {
  SignatureStorage sig;
  std::string opened = name;
  std::unique_ptr<std::FILE, FileCloser> file(std::fopen(opened.c_str(), "r"));
  if (!file) {
    opened = find_ignoring_case(name, listings);
    if (opened.empty()) return sig;
    file.reset(std::fopen(opened.c_str(), "r"));
    if (!file) return sig;
  }
  sig.file.name = opened;
  if (!read_whole(file.get(), sig.bytes)) {
    sig.bytes.clear();
    sig.file.state = CompanionState::unreadable;
    return sig;
  }
  sig.file.state = CompanionState::found;
  sig.file.data = sig.bytes.data();
  sig.file.size = sig.bytes.size();
  return sig;
}

std::string find_mdd_file(const std::string& name, const std::string& source_folder,
                          FolderListings* listings) {
  std::string places[2] = {name, std::string()};
  const int count = source_folder.empty() ? 1 : 2;
  if (count == 2) places[1] = path_in(source_folder, name);
  for (int i = 0; i < count; ++i) {
    if (is_file(places[i])) return places[i];
  }
  for (int i = 0; i < count; ++i) {
    std::string found = find_ignoring_case(places[i], listings);
    if (!found.empty()) return found;
  }
  return std::string();
}

MddResolver file_mdd_resolver(const MddFolders& folders) {
  return MddResolver{const_cast<MddFolders*>(&folders), open_mdd, close_mdd};
}

}  // namespace orvo
