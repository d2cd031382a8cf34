#include "run/file_names.h"

namespace orvo {

bool is_sjis_lead(int byte) { return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC); }

std::string replace_extension(const std::string& name, const char* extension) {
  const size_t dot = name.rfind('.');
  if (dot != std::string::npos && dot >= 1) return name.substr(0, dot) + extension;
  return name + extension;
}

std::string shown_beginning(const std::string& name, size_t limit) {
  if (name.size() <= limit) return name;
  size_t kept = 0;
  while (kept < limit) {
    const size_t step = is_sjis_lead(static_cast<unsigned char>(name[kept])) ? 2 : 1;
    if (kept + step > limit) break;
    kept += step;
  }
  return name.substr(0, kept) + "...";
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

}  // namespace orvo
