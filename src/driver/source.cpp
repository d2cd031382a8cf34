#include "driver/source.h"

#include <cstdio>
#include <utility>

#include "run/alloc.h"
#include "run/exit.h"
#include "run/file_lookup.h"

namespace orvo {

namespace {

constexpr size_t kStdinChunk = 16384;

// Standard input has no size to ask for: the buffer doubles whenever it is
// full, and the padding goes behind the bytes read.
ZmdImage read_stream(std::FILE* in) {
  ByteStore data;
  xmalloc(data, kStdinChunk);
  size_t used = 0;
  for (;;) {
    if (used == data.size()) xrealloc(data, data.size() * 2);
    const size_t got = std::fread(data.data() + used, 1, data.size() - used, in);
    used += got;
    if (got == 0) break;
  }
  return make_image(std::move(data), used);
}

}  // namespace

std::optional<ZmdImage> load_source(Session& s, const std::string& name) {
  if (name == "-") {
    set_binary_mode(s.console.in);
    return read_stream(s.console.in);
  }
  if (is_folder(name)) return std::nullopt;  // not a file to open
  std::FILE* file = std::fopen(name.c_str(), "rb");
  if (file == nullptr) return std::nullopt;
  long size = -1;
  if (std::fseek(file, 0, SEEK_END) == 0) size = std::ftell(file);
  // Read straight into the image: one buffer of the file's size and the
  // padding, neither zero-filled nor copied afterwards.
  ByteStore data;
  size_t got = 0;
  if (size >= 0 && std::fseek(file, 0, SEEK_SET) == 0) {
    xmalloc(data, static_cast<size_t>(size) + kImagePadding);
    got = std::fread(data.data(), 1, static_cast<size_t>(size), file);
  }
  std::fclose(file);
  if (size < 0 || got < static_cast<size_t>(size)) {
    fatal_error(4, "%s\tError: read error.\n", name.c_str());
  }
  return make_image(std::move(data), static_cast<size_t>(size));
}

}  // namespace orvo
