// The fuzz build's bounds: every bound divided by one factor, while this
// build keeps the real ones; a track at a scaled bound ends as it does at
// the real one (cut off, "[打ち切り]", a valid file).
#include <gtest/gtest.h>

#include "run/bounds.h"
#include "support/run.h"
#include "support/track_harness.h"

namespace orvo {
namespace {

using test::Bytes;
using test::sjis;
using test::TrackHarness;
using test::TrackResult;

static_assert(kBounds == kRealBounds, "only the fuzz build scales the bounds");

TEST(FuzzBounds, EveryBoundIsDividedByTheSameFactor) {
  const Bounds b = scaled_bounds(kFuzzBoundScale);
  EXPECT_EQ(b.track_commands, 10'000);
  EXPECT_EQ(b.track_clock, 0x0FF00000 / 1000);
  EXPECT_EQ(b.chunk_bytes, 16u * 1024 * 1024 / 1000);
  EXPECT_EQ(b.records, 1'000u);
  EXPECT_EQ(b.message_lines, 10u);
  EXPECT_EQ(b.message_bytes, 1048u);
}

TrackInputs endless() {
  TrackInputs in = test::midi_track();
  in.loop_count = 1'000'000;
  in.fade_speed = 0;
  return in;
}

TEST(FuzzBounds, TracksStopAtTheScaledBounds) {
  const Bounds b = scaled_bounds(kFuzzBoundScale);
  {
    // Long waits in a loop reach the clock bound.
    TrackHarness h;
    h.session().bounds = b;
    const TrackResult r = h.convert({0xC0, 9, 0xFE, 0xD0, 0xFF, 0xFF, 0, 0, 0xC0, 10}, endless());
    EXPECT_EQ(r.err, sjis("MIDI ch 01 converting...[do][打ち切り]done.\n"));
    EXPECT_EQ(r.lines.back(), "@327675 (+327675) EndOfTrack");  // 5 waits of 65535 pass 267,386
  }
  {
    // An empty loop reaches the command bound.
    TrackHarness h;
    h.session().bounds = b;
    TrackInputs in = endless();
    in.loop_count = 2;
    in.fade_speed = 10;
    const TrackResult r = h.convert({0xC0, 9, 0xC0, 10}, in);
    EXPECT_EQ(r.err, sjis("MIDI ch 01 converting...[do][loop][打ち切り]done.\n"));
  }
  {
    // Exclusive messages in a loop reach the chunk bound.
    TrackHarness h;
    h.session().bounds = b;
    Bytes t{0xC0, 9, 0xEA};
    t.insert(t.end(), 6000, 0x01);
    t.insert(t.end(), {0xFF, 0xC0, 10});
    const TrackResult r = h.convert(t, endless());
    EXPECT_NE(r.err.find(sjis("[打ち切り]")), std::string::npos);
    EXPECT_GT(r.chunk_size, b.chunk_bytes);
    EXPECT_LT(r.chunk_size, b.chunk_bytes + 7000);
  }
  {
    // Marks in a loop fill the record table.
    TrackHarness h;
    h.session().bounds = b;
    const TrackResult r = h.convert({0xC0, 6, 0xC0, 12, 0xC0, 7}, endless());
    EXPECT_EQ(h.tables().mark.items.size(), b.records);
    EXPECT_NE(r.err.find(sjis("[@][打ち切り]done.\n")), std::string::npos);
  }
}

}  // namespace
}  // namespace orvo
