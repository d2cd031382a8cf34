#include "smf/mthd.h"

#include "smf/bytes.h"

namespace orvo {

uint8_t* write_mthd(uint8_t* area, int tracks, int division) {
  put_be32(area, 0x4D546864);  // "MThd"
  put_be32(area + 4, 6);
  put_be16(area + 8, 1);
  area[10] = 0;
  area[11] = static_cast<uint8_t>(tracks);
  put_be16(area + 12, static_cast<uint32_t>(division));
  return area;
}

}  // namespace orvo
