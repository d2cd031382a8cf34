#include "zmd/image.h"

#include "run/alloc.h"

namespace orvo {

ZmdImage make_image(std::vector<uint8_t> data) {
  ZmdImage img;
  img.size = data.size();
  img.bytes = std::move(data);
  xrealloc(img.bytes, img.size + kImagePadding);
  for (size_t i = img.size; i < img.bytes.size(); ++i) img.bytes[i] = 0xFF;
  return img;
}

}  // namespace orvo
