// The slope split and the exclusive-message writer at their edges.
#include <gtest/gtest.h>

#include <vector>

#include "render/controllers.h"
#include "render/slope.h"
#include "smf/events.h"

namespace orvo {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(RenderSlope, SplitsIntoStepFractionAndDirection) {
  const Slope down = split_slope(10, -7, 4);  // -17 / 4: -4, 1/4 rounded up
  EXPECT_EQ(down.step, -4);
  EXPECT_EQ(down.fraction, 64);
  EXPECT_EQ(down.direction, -1);
  const Slope up = split_slope(0, 1366, 8);
  EXPECT_EQ(up.step, 170);
  EXPECT_EQ(up.fraction, 192);
  EXPECT_EQ(up.direction, 1);
  const Slope none = split_slope(0, 500, 0);  // no clocks: no change
  EXPECT_EQ(none.step, 0);
  EXPECT_EQ(none.fraction, 0);
  const Slope near_whole = split_slope(0, 256, 257);  // rounds up to 256: held just below
  EXPECT_EQ(near_whole.step, 0);
  EXPECT_EQ(near_whole.fraction, 255);
}

TEST(RenderExclusive, EveryByteInsideTheMessageIsADataByte) {
  Session s;
  reset_running_status(s.running, kStatusRunning);
  uint8_t out[32];
  int32_t pending = 3;
  const uint8_t header[4] = {0x41, 0x90, 0x42, 0x12};  // a device byte past 0x7F
  const uint8_t body[3] = {0x40, 0xC0, 0x04};
  size_t n = write_exclusive(s, out, pending, header, body, 3, kExclusiveChecksum, 1);
  EXPECT_EQ(Bytes(out, out + n),
            (Bytes{0x03, 0xF0, 0x09, 0x41, 0x7F, 0x42, 0x12, 0x40, 0x7F, 0x04, 0x3D, 0xF7}));
  EXPECT_EQ(pending, 0);
  EXPECT_EQ(s.running.mode, kStatusRunning);

  n = write_exclusive(s, out, pending, header, body, 3, 0, 0);  // unframed: the body alone
  EXPECT_EQ(Bytes(out, out + n), (Bytes{0x00, 0x40, 0x7F, 0x04}));
  EXPECT_EQ(s.running.mode, kStatusAlways);
}

}  // namespace
}  // namespace orvo
