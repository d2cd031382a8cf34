#include "driver/naming.h"

#include "driver/exit.h"
#include "driver/source.h"

namespace orvo {

bool is_sjis_lead(int byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

std::string replace_extension(const std::string& name, const char* extension) {
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot >= 1) return name.substr(0, dot) + extension;
  return name + extension;
}

std::string strip_directory(const std::string& name) {
  size_t cut = 0;
  for (size_t i = 0; i < name.size();) {
    const unsigned char c = static_cast<unsigned char>(name[i]);
    if (is_sjis_lead(c)) {
      i += 2;
      continue;
    }
    if (c == '\\') cut = i + 1;
    ++i;
  }
  return name.substr(cut);
}

ZmdImage resolve_names(Session& s, ConvertOptions& o, const char* source_ext, const char* dest_ext) {
  if (o.source_name[0] == '-' && o.dest_name.empty()) {
    fatal_error(11, "Error: destination file is not specified.\n");
  }
  std::string opened = o.source_name;
  std::optional<ZmdImage> image = load_source(s, opened);
  if (!image) {
    opened = o.source_name + source_ext;
    image = load_source(s, opened);
    if (!image) fatal_error(1, "%s\tError: file not found.\n", o.source_name.c_str());
  }
  o.source_name = opened;

  const bool derived = o.dest_name.empty();
  std::string dest = replace_extension(derived ? opened : o.dest_name, dest_ext);
  if (derived) dest = strip_directory(dest);
  o.dest_name = dest;
  return std::move(*image);
}

}  // namespace orvo
