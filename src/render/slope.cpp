#include "render/slope.h"

#include <cstdlib>

namespace orvo {

const int16_t SlurBendTable[25] = {
    -8192, -7513, -6830, -6147, -5464, -4781, -4098, -3415, -2732, -2049, -1366, -683, 0,
    683,   1366,  2049,  2732,  3415,  4098,  4781,  5464,  6147,  6830,  7513,  8191,
};

Slope split_slope(int32_t from, int32_t to, int32_t clocks) {
  Slope slope;
  const int64_t change = static_cast<int64_t>(to) - from;
  slope.direction = change >= 0 ? 1 : -1;
  if (clocks == 0) return slope;
  slope.step = static_cast<int16_t>(change / clocks);
  const int64_t scaled = std::llabs(change % clocks) * 256;
  int64_t fraction = scaled / clocks;
  if (scaled % clocks != 0) fraction += 1;
  // A remainder just short of a whole clock rounds up to 256, which one
  // byte cannot hold: keep it just below a whole step instead of at 0.
  slope.fraction = static_cast<uint8_t>(fraction > 255 ? 255 : (fraction < 0 ? 0 : fraction));
  return slope;
}

}  // namespace orvo
