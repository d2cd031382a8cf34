// The track table behind the common section, read directly.
#include <gtest/gtest.h>

#include "run/exit.h"
#include "zmd/header.h"
#include "zmd/track_table.h"

namespace orvo {
namespace {

using Bytes = std::vector<uint8_t>;

ZmdImage image(Bytes b) { return make_image(std::move(b)); }

TEST(TrackTable, OffsetsCountFromTheByteAfterTheirField) {
  // Terminator at 8, count at 10, entries at 12 and 18, both holding 20.
  Bytes b(80, 0xFF);
  const Bytes table{0x00, 0x02, 0, 0, 0, 20, 0x77, 0x09, 0, 0, 0, 20, 0x00, 0x0A};
  std::copy(table.begin(), table.end(), b.begin() + 10);
  const std::vector<TrackEntry> t = read_track_table(image(b), 8);
  ASSERT_EQ(t.size(), 2u);
  EXPECT_EQ(t[0].start, 16 + 20);
  EXPECT_EQ(t[0].channel, 0x09);
  EXPECT_EQ(t[0].end, t[1].start);
  EXPECT_EQ(t[1].start, 22 + 20);
  EXPECT_EQ(t[1].channel, 0x0A);
  EXPECT_EQ(t[1].end, kLastTrackEnd);
}

TEST(TrackTable, TablePositionAfterTheTerminator) {
  EXPECT_EQ(track_table_offset(8), 10);
  EXPECT_EQ(track_table_offset(9), 10);
  EXPECT_EQ(track_table_offset(100), 102);
  EXPECT_EQ(track_table_offset(101), 102);
}

TEST(TrackTable, NegativeRelativeOffsetWrapsBackward) {
  Bytes b(40, 0xFF);
  const Bytes table{0x00, 0x01, 0xFF, 0xFF, 0xFF, 0xFE, 0x00, 0x09};  // -2
  std::copy(table.begin(), table.end(), b.begin() + 10);
  const std::vector<TrackEntry> t = read_track_table(image(b), 8);
  ASSERT_EQ(t.size(), 1u);
  EXPECT_EQ(t[0].start, 16 - 2);
}

TEST(TrackTable, HostileTablesAreRefusedWithoutReadingOutsideTheImage) {
  // Count beyond capacity.
  Bytes many(20, 0xFF);
  many[10] = 0x00;
  many[11] = 80;
  try {
    read_track_table(image(many), 8);
    ADD_FAILURE() << "80 tracks accepted";
  } catch (const ProcessExit& e) {
    EXPECT_EQ(e.status, 1);
  }
  // A table cut off by the end of the file: the padding reads as 0xFF and
  // the start lands before the file.
  Bytes cut{0x10, 'Z', 'm', 'u', 'S', 'i', 'C', 0x20, 0xFF, 0x00, 0x00, 0x01, 0x00};
  EXPECT_THROW(read_track_table(image(cut), 8), ProcessExit);
  // The terminator at the very end: the count is read from past the data.
  Bytes bare{0x10, 'Z', 'm', 'u', 'S', 'i', 'C', 0x20};
  EXPECT_TRUE(read_track_table(image(bare), 8).empty());
}

TEST(Header, MagicAndVersionByte) {
  EXPECT_EQ(checkzmd(image({0x10, 'Z', 'm', 'u', 'S', 'i', 'C', 0x2F})), 0x2F);
  EXPECT_EQ(checkzmd(image({0x1A, 'Z', 'm', 'u', 'S', 'i', 'C', 0xF3})), 0xF3);
  EXPECT_EQ(checkzmd(image({0x11, 'Z', 'm', 'u', 'S', 'i', 'C', 0x20})), -1);
  EXPECT_EQ(checkzmd(image({0x10, 'Z', 'M', 'U', 'S', 'I', 'C', 0x20})), -1);
  // Seven bytes only: the version reads the padding.
  EXPECT_EQ(checkzmd(image({0x10, 'Z', 'm', 'u', 'S', 'i', 'C'})), 0xFF);
  EXPECT_EQ(checkzmd(image({})), -1);
}

}  // namespace
}  // namespace orvo
