// Channel events under running status, the channel initialisation sequence,
// and the track buffer's chunk layout and growth.
#include <gtest/gtest.h>

#include <vector>

#include "smf/events.h"
#include "smf/track_buffer.h"

namespace orvo {
namespace {

using Bytes = std::vector<uint8_t>;

TEST(RunningStatus, OmitsRepeatedStatusOnlyWhenOn) {
  RunningStatus rs;
  uint8_t out[16];
  reset_running_status(rs, kStatusRunning);
  size_t n = put_event2(rs, out, 0, 0x90, 60, 100);
  n += put_event2(rs, out + n, 10, 0x90, 64, 100);
  EXPECT_EQ(Bytes(out, out + n), (Bytes{0x00, 0x90, 60, 100, 0x0A, 64, 100}));

  reset_running_status(rs, kStatusAlways);
  n = put_event2(rs, out, 0, 0x90, 60, 100);
  n += put_event2(rs, out + n, 10, 0x90, 64, 100);
  EXPECT_EQ(Bytes(out, out + n), (Bytes{0x00, 0x90, 60, 100, 0x0A, 0x90, 64, 100}));
}

TEST(RunningStatus, ChangeOfStatusAndOneByteEvents) {
  RunningStatus rs;
  uint8_t out[16];
  reset_running_status(rs, kStatusRunning);
  size_t n = put_event1(rs, out, 0, 0xC1, 5);
  n += put_event1(rs, out + n, 0, 0xC1, 6);
  n += put_event2(rs, out + n, 0, 0xB1, 7, 100);
  EXPECT_EQ(Bytes(out, out + n), (Bytes{0x00, 0xC1, 5, 0x00, 6, 0x00, 0xB1, 7, 100}));
}

TEST(ChannelInit, SequenceWithRunningStatusAndPendingDelta) {
  RunningStatus rs;
  reset_running_status(rs, kStatusRunning);
  uint8_t out[kChannelInitMaxBytes];
  int32_t pending = 5;
  const size_t n = put_channel_init(rs, out, 0, pending, 2);
  ASSERT_EQ(n, 59u);
  EXPECT_EQ(pending, 0);
  EXPECT_EQ(Bytes(out, out + 7), (Bytes{0x05, 0xB2, 0x79, 0x00, 0x00, 0x7D, 0x00}));
  EXPECT_EQ(Bytes(out + n - 4, out + n), (Bytes{0x00, 0xE2, 0x00, 0x40}));
  // The coarse-tuning RPN (event 10) is followed by its data entry MSB and
  // then straight by the pitch-bend sensitivity RPN: no data entry LSB.
  const Bytes middle(out + 4 + 3 * 8, out + 4 + 3 * 13);
  EXPECT_EQ(middle, (Bytes{0x00, 100, 2, 0x00, 6, 64, 0x00, 101, 0, 0x00, 100, 0, 0x00, 6, 12}));
}

TEST(ChannelInit, GapSpacesEveryEventAndStatusAlwaysWithoutRunningStatus) {
  RunningStatus rs;
  reset_running_status(rs, kStatusAlways);
  uint8_t out[kChannelInitMaxBytes];
  int32_t pending = 0;
  const size_t n = put_channel_init(rs, out, 4, pending, 0);
  ASSERT_EQ(n, 19u * 4);
  for (size_t i = 0; i < 19; ++i) EXPECT_EQ(out[4 * i], 4) << "event " << i;
  EXPECT_EQ(channel_init_span(4), 76);
}

TEST(TrackBuffer, EmptyChunkIsTwelveBytes) {
  TrackBuffer tb;
  allocate_track_buffer(tb, 16);
  open_chunk(tb);
  EXPECT_EQ(close_chunk(tb, 0), 12u);
  EXPECT_EQ(Bytes(tb.bytes.begin(), tb.bytes.begin() + 12),
            (Bytes{'M', 'T', 'r', 'k', 0, 0, 0, 4, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(chunk_length(tb), 4u);
}

TEST(TrackBuffer, GrowsBy16KBWhenFewerThan4096BytesRemain) {
  TrackBuffer tb;
  allocate_track_buffer(tb, 16);
  tb.pos = 12288;
  make_room(tb);
  EXPECT_EQ(tb.kb, 16);
  tb.pos = 12289;
  make_room(tb);
  EXPECT_EQ(tb.kb, 32);
  EXPECT_EQ(tb.bytes.size(), 32u * 1024);
}

// A -t of 0 used to leave no room for the chunk header written before the
// first growth check.
TEST(TrackBuffer, ZeroKilobytesStillHoldsAChunk) {
  TrackBuffer tb;
  allocate_track_buffer(tb, 0);
  open_chunk(tb);
  make_room(tb);
  EXPECT_GE(tb.bytes.size(), tb.pos + kCommandMargin);
  EXPECT_EQ(close_chunk(tb, 300), 13u);
}

TEST(TrackBuffer, EnsureRoomFitsALargeWriteAndKeepsContents) {
  TrackBuffer tb;
  allocate_track_buffer(tb, 1);
  open_chunk(tb);
  ensure_room(tb, 100000);
  EXPECT_GE(tb.bytes.size(), 8u + 100000);
  EXPECT_EQ(tb.kb % 16, 1);
  EXPECT_EQ(tb.bytes[0], 'M');
}

}  // namespace
}  // namespace orvo
