#include "driver/cp932.h"

namespace orvo {

std::string to_cp932(std::string_view utf8) { return std::string(utf8); }

bool cp932_encodable(std::string_view utf8) {
  for (char c : utf8) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

}  // namespace orvo
