// Byte codecs of the output file: big-endian fields, VLQ, the header chunk.
#include <gtest/gtest.h>

#include <vector>

#include "smf/bytes.h"
#include "smf/mthd.h"
#include "smf/vlq.h"

namespace orvo {
namespace {

using Bytes = std::vector<uint8_t>;

Bytes vlq(int32_t value) {
  uint8_t out[8] = {};
  const size_t n = write_vlq(out, value);
  return Bytes(out, out + n);
}

TEST(Vlq, WritesTheStandardEncodingAtEveryLengthBoundary) {
  EXPECT_EQ(vlq(0), (Bytes{0x00}));
  EXPECT_EQ(vlq(127), (Bytes{0x7F}));
  EXPECT_EQ(vlq(128), (Bytes{0x81, 0x00}));
  EXPECT_EQ(vlq(8192), (Bytes{0xC0, 0x00}));
  EXPECT_EQ(vlq(16383), (Bytes{0xFF, 0x7F}));
  EXPECT_EQ(vlq(16384), (Bytes{0x81, 0x80, 0x00}));
  EXPECT_EQ(vlq(0x1FFFFF), (Bytes{0xFF, 0xFF, 0x7F}));
  EXPECT_EQ(vlq(0x200000), (Bytes{0x81, 0x80, 0x80, 0x00}));
  EXPECT_EQ(vlq(0x0FFFFFFF), (Bytes{0xFF, 0xFF, 0xFF, 0x7F}));
}

TEST(Vlq, NegativeValueIsOneByteOfItsLowBits) {
  EXPECT_EQ(vlq(-1), (Bytes{0x7F}));
  EXPECT_EQ(vlq_length(-1), 1u);
}

TEST(Vlq, LengthMatchesWhatIsWritten) {
  for (int32_t v : {0, 127, 128, 16383, 16384, 2097151, 2097152, 0x0FFFFFFF}) {
    EXPECT_EQ(vlq_length(v), vlq(v).size()) << v;
  }
}

TEST(Vlq, ReadsBackEveryWrittenValue) {
  for (int32_t v : {0, 64, 127, 128, 8192, 16384, 2097151, 2097152, 0x0FFFFFFF}) {
    const Bytes b = vlq(v);
    int32_t got = -1;
    EXPECT_EQ(read_vlq(b.data(), &got), b.size());
    EXPECT_EQ(got, v);
  }
}

TEST(BigEndian, SignedAndUnsignedReadsOfTheSameBytes) {
  const uint8_t b[] = {0xFF, 0xFE};
  EXPECT_EQ(get_be16(b), 65534);
  EXPECT_EQ(static_cast<int16_t>(get_be16(b)), -2);
  const uint8_t c[] = {0x80, 0x00, 0x00, 0x01};
  EXPECT_EQ(get_be32(c), 0x80000001u);
  uint8_t w[4];
  put_be32(w, 0x4D54726B);
  EXPECT_EQ(Bytes(w, w + 4), (Bytes{'M', 'T', 'r', 'k'}));
}

TEST(HeaderChunk, FormatOneWithTrackCountAndDivision) {
  uint8_t h[kMthdBytes];
  write_mthd(h, 4, 480 / 4);
  EXPECT_EQ(Bytes(h, h + kMthdBytes),
            (Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 4, 0x00, 0x78}));
  write_mthd(h, 1, 192 / 4);
  EXPECT_EQ(h[11], 1);
  EXPECT_EQ(h[13], 0x30);
}

}  // namespace
}  // namespace orvo
