// Data that would never end: every track stops at a bound, says so, and
// still ends with a valid end of track.
#include <gtest/gtest.h>

#include "support/run.h"
#include "support/track_harness.h"

namespace orvo {
namespace {

using test::Bytes;
using test::midi_track;
using test::sjis;
using test::TrackHarness;
using test::TrackResult;

TrackInputs endless(int8_t fade_speed) {
  TrackInputs in = midi_track();
  in.loop_count = 1'000'000;
  in.fade_speed = fade_speed;
  return in;
}

// Long waits in a loop: the clock would pass what a delta time can hold.
TEST(TrackBounds, TimeStopsBeforeDeltasOutgrowFourBytes) {
  TrackHarness h;
  const TrackResult r = h.convert({0xC0, 9, 0xFE, 0xD0, 0xFF, 0xFF, 0, 0, 0xC0, 10}, endless(0));
  EXPECT_EQ(r.err, sjis("MIDI ch 01 converting...[do][打ち切り]done.\n"));
  // 4081 waits of 65535 clocks reach the bound of 0x0FF00000.
  EXPECT_EQ(r.lines.back(), "@267448335 (+267448335) EndOfTrack");
}

// A loop with nothing in it never lets its closing fade-out fall.
TEST(TrackBounds, CommandCountStopsALoopWithoutTime) {
  TrackHarness h;
  TrackInputs in = endless(10);
  in.loop_count = 2;
  const TrackResult r = h.convert({0xC0, 9, 0xC0, 10}, in);
  EXPECT_EQ(r.err, sjis("MIDI ch 01 converting...[do][loop][打ち切り]done.\n"));
  EXPECT_EQ(r.lines.back(), "@0 (+0) EndOfTrack");
}

// A loop of long exclusive messages: the chunk stops growing at 16 MiB.
TEST(TrackBounds, ChunkSizeStopsATrackThatWritesForEver) {
  TrackHarness h;
  Bytes t{0xC0, 9, 0xEA};
  t.insert(t.end(), 60000, 0x01);
  t.insert(t.end(), {0xFF, 0xC0, 10});
  const TrackResult r = h.convert(t, endless(0));
  EXPECT_NE(r.err.find(sjis("[打ち切り]")), std::string::npos);
  EXPECT_GT(r.chunk_size, 16u * 1024 * 1024);
  EXPECT_LT(r.chunk_size, 16u * 1024 * 1024 + 70000);
}

}  // namespace
}  // namespace orvo
