#include "zmd/image.h"

#include <cstring>
#include <utility>

#include "run/alloc.h"

namespace orvo {

ZmdImage make_image(ByteStore data, size_t size) {
  ZmdImage img;
  img.size = size;
  img.bytes = std::move(data);
  xrealloc(img.bytes, size + kImagePadding);
  std::memset(img.bytes.data() + size, 0xFF, kImagePadding);
  return img;
}

ZmdImage make_image(const std::vector<uint8_t>& data) {
  ByteStore bytes;
  xmalloc(bytes, data.size() + kImagePadding);
  if (!data.empty()) std::memcpy(bytes.data(), data.data(), data.size());
  return make_image(std::move(bytes), data.size());
}

}  // namespace orvo
