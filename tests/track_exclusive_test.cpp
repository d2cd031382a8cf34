// Exclusive messages (EA with the EB header) and raw MIDI blocks (EC): what
// goes out is always a valid event stream, whatever bytes the block holds.
#include <gtest/gtest.h>

#include "support/track_harness.h"

namespace orvo {
namespace {

using test::Bytes;
using test::TrackHarness;
using test::TrackResult;

const Bytes kEnd{0x00, 0xFF, 0x2F, 0x00};

Bytes with_end(Bytes b) {
  b.insert(b.end(), kEnd.begin(), kEnd.end());
  return b;
}

TEST(TrackExclusive, HeaderAndDataUpToTheEndByte) {
  TrackHarness h;
  // Running status is cancelled by the message: the program after it
  // carries its status byte, the second one does not.
  TrackResult r = h.convert(
      {0xEB, 0x41, 0x10, 0x42, 0xEA, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xFF, 0xA0, 1, 0xA0, 2});
  EXPECT_EQ(r.events, with_end({0x00, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00,
                                0x41, 0xF7, 0x00, 0xC0, 0x00, 0x00, 0x01}));
  // Before any EB the header is 00 00 00 00; bytes above 0x7F are held.
  r = h.convert({0xEA, 0x01, 0x90, 0xFF});
  EXPECT_EQ(r.events, with_end({0x00, 0xF0, 0x07, 0x00, 0x00, 0x00, 0x00, 0x01, 0x7F, 0xF7}));
}

TEST(TrackRawMidi, MessagesContinueAcrossBlocks) {
  TrackHarness h;
  EXPECT_EQ(h.convert({0xEC, 0, 2, 0xB0, 0x07, 0xEC, 0, 1, 0x64}).events,
            with_end({0x00, 0xB0, 0x07, 0x64}));
  // An exclusive message collected over two blocks, closed inside the second.
  EXPECT_EQ(h.convert({0xEC, 0, 3, 0xF0, 0x41, 0x10, 0xEC, 0, 2, 0x42, 0xF7}).events,
            with_end({0x00, 0xF0, 0x04, 0x41, 0x10, 0x42, 0xF7}));
  // ... or by an F7 that opens the next block.
  EXPECT_EQ(h.convert({0xEC, 0, 2, 0xF0, 0x41, 0xEC, 0, 1, 0xF7}).events,
            with_end({0x00, 0xF0, 0x02, 0x41, 0xF7}));
  // A program-change status as the block's last byte waits for its data.
  EXPECT_EQ(h.convert({0xEC, 0, 1, 0xC3, 0xEC, 0, 1, 0x05}).events,
            with_end({0x00, 0xC3, 0x05}));
  // Another command between the blocks ends the running status.
  EXPECT_EQ(h.convert({0xEC, 0, 2, 0xB0, 0x07, 0xA0, 1, 0xEC, 0, 1, 0x64}).events,
            with_end({0x00, 0xC0, 0x00}));
}

TEST(TrackRawMidi, RunningStatusInsideABlock) {
  TrackHarness h;
  EXPECT_EQ(h.convert({0xEC, 0, 5, 0x90, 0x3C, 0x64, 0x3E, 0x64}).events,
            with_end({0x00, 0x90, 0x3C, 0x64, 0x00, 0x3E, 0x64}));
}

TEST(TrackRawMidi, BytesThatStartNoMessageAreDropped) {
  TrackHarness h;
  // Data before any status, and a system byte with the data behind it.
  EXPECT_EQ(h.convert({0xEC, 0, 7, 0x12, 0xF8, 0x3C, 0x64, 0xB0, 0x07, 0x50}).events,
            with_end({0x00, 0xB0, 0x07, 0x50}));
  // A new status abandons a message that is not complete.
  EXPECT_EQ(h.convert({0xEC, 0, 5, 0xB0, 0x07, 0x90, 0x3C, 0x64}).events,
            with_end({0x00, 0x90, 0x3C, 0x64}));
  // A block running past the end of the file meets only 0xFF padding.
  EXPECT_EQ(h.convert({0xEC, 0, 16, 0x90, 0x3C}).events, kEnd);
}

TEST(TrackRawMidi, ExclusiveLongerThanAKilobyte) {
  TrackHarness h;
  Bytes track{0xEC, 0x04, 0x00, 0xF0};
  track.insert(track.end(), 1023, 0x01);
  track.insert(track.end(), {0xEC, 0x01, 0x01});
  track.insert(track.end(), 256, 0x02);
  track.push_back(0xF7);
  const TrackResult r = h.convert(track);
  ASSERT_EQ(r.events.size(), 1u + 1 + 2 + 1279 + 1 + 4);
  EXPECT_EQ(Bytes(r.events.begin(), r.events.begin() + 5), (Bytes{0x00, 0xF0, 0x8A, 0x00, 0x01}));
  EXPECT_EQ(r.events[4 + 1022], 0x01);
  EXPECT_EQ(r.events[4 + 1023], 0x02);
  EXPECT_EQ(r.events[4 + 1279], 0xF7);
}

}  // namespace
}  // namespace orvo
