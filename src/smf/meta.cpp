#include "smf/meta.h"

#include <cstring>

#include "smf/vlq.h"

namespace orvo {

size_t put_meta(uint8_t* out, int32_t delta, uint8_t type, std::string_view data) {
  size_t n = write_vlq(out, delta);
  out[n++] = 0xFF;
  out[n++] = type;
  n += write_vlq(out + n, static_cast<int32_t>(data.size()));
  if (!data.empty()) std::memcpy(out + n, data.data(), data.size());
  return n + data.size();
}

}  // namespace orvo
