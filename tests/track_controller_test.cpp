// Channel commands written directly: program, controllers, pan, volume with
// its clamp and memory, velocity, detune, and the keys struck by command.
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
using Lines = std::vector<std::string>;

TEST(TrackControllers, ProgramAndControllersAreValidDataBytes) {
  TrackHarness h;
  // Program 129 (0x81) on an FM voice would write the data byte 0x80; a
  // controller number above 127 likewise. Both are held at 127.
  const TrackResult r = h.convert({0xA0, 1, 0xA0, 0x81, 0xA0, 0, 0xB5, 0x91, 0x20, 0xA7, 1, 0xA7,
                                   0, 0xA8, 12, 0xD2, 1, 0xFF, 3, 4, 0xD3, 0xFF, 5, 0xED, 40,
                                   0xFF, 50});
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) Program ch1 0", "@0 (+0) Program ch1 127",
                            "@0 (+0) Program ch1 0", "@0 (+0) Control ch1 127 32",
                            "@0 (+0) Control ch1 64 127", "@0 (+0) Control ch1 64 0",
                            "@0 (+0) Control ch1 100 0", "@0 (+0) Control ch1 101 0",
                            "@0 (+0) Control ch1 6 12", "@0 (+0) Control ch1 99 1",
                            "@0 (+0) Control ch1 6 3", "@0 (+0) Control ch1 38 4",
                            "@0 (+0) Control ch1 32 5", "@0 (+0) Control ch1 91 40",
                            "@0 (+0) Control ch1 94 50", "@0 (+0) EndOfTrack"}));
}

TEST(TrackControllers, EffectsBecomeMt32ExclusiveWithItsHeader) {
  TrackHarness h;
  // Part 2 reverb off, then the track's own part on MIDI channel 10, whose
  // address byte 9 x 16 + 6 is no data byte and is held at 0x7F.
  const TrackResult r =
      h.convert({0xEB, 0x41, 0x10, 0x16, 0xED, 3, 0, 0xFF, 0xED, 0xFF, 1, 0xFF, 0xED, 1, 0xFF, 9},
                midi_track(10));
  EXPECT_EQ(r.events, (Bytes{0x00, 0xF0, 0x0A, 0x41, 0x10, 0x16, 0x12, 0x03, 0x00, 0x26, 0x00,
                             0x57, 0xF7, 0x00, 0xF0, 0x0A, 0x41, 0x10, 0x16, 0x12, 0x03, 0x00,
                             0x7F, 0x01, 0x7D, 0xF7, 0x00, 0xFF, 0x2F, 0x00}));
}

TEST(TrackControllers, PanMovesWithinTheControllerRange) {
  TrackHarness h;
  const TrackResult r =
      h.convert({0xB1, 0xC8, 100, 0xC8, 100, 0xB3, 0xC9, 70, 0xB2, 0xB4, 0x90});
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) Control ch1 10 0", "@0 (+0) Control ch1 10 100",
                            "@0 (+0) Control ch1 10 127", "@0 (+0) Control ch1 10 64",
                            "@0 (+0) Control ch1 10 0", "@0 (+0) Control ch1 10 127",
                            "@0 (+0) Control ch1 10 127", "@0 (+0) EndOfTrack"}));
}

TEST(TrackControllers, VolumeIsClampedReportedAndSentOnceWhenUnchanged) {
  TrackHarness h;
  const TrackResult r = h.convert({0xB6, 7, 0xAA, 10, 0xAA, 0, 0xAB, 200, 0xB0, 0xB6, 27, 0xD0,
                                   24, 0, 0xB6, 27, 0xB0});
  EXPECT_EQ(r.err, "MIDI ch 01 converting...[V>127]done.\n");
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) Control ch1 7 120", "@0 (+0) Control ch1 7 127",
                            "@0 (+0) Control ch1 7 0", "@0 (+0) Control ch1 7 100",
                            "@24 (+24) Control ch1 7 0", "@24 (+0) EndOfTrack"}));
}

TEST(TrackControllers, VolumeDuringAChannelVolumeFadeIsScaled) {
  TrackHarness h;
  // A6 1 starts a channel-volume fade-out at full scale: the volume goes out
  // scaled by 128/128. Once CC 0 has stopped the fade it goes out as it is.
  const TrackResult r = h.convert({0xA6, 1, 0xB6, 27, 0xCC, 0, 0xB6, 37});
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) Control ch1 7 100", "@0 (+0) Control ch1 7 90",
                            "@0 (+0) EndOfTrack"}));
}

TEST(TrackControllers, VelocityIsClampedAndReported) {
  TrackHarness h;
  const TrackResult r = h.convert({0xB9, 200, 0xAD, 60, 0xDB, 130, 0xAD, 61, 0x84, 0xAD, 62,
                                   0xCB, 27, 0xD9, 50, 0xAD, 63, 0x84, 0xAD, 64, 0xDA, 10, 0xAD,
                                   65, 0xCA, 40, 0xAD, 66, 0xFD, 67, 90, 0xAD, 68, 0xFC, 69, 80,
                                   0xAD, 70});
  EXPECT_EQ(r.err, "MIDI ch 01 converting...[U>127][U<0][U>127]done.\n");
  EXPECT_EQ(r.lines,
            (Lines{"@0 (+0) NoteOn ch1 60 127", "@0 (+0) NoteOn ch1 61 0",
                   "@0 (+0) NoteOn ch1 62 127", "@0 (+0) NoteOn ch1 63 50",
                   "@0 (+0) NoteOn ch1 64 100", "@0 (+0) NoteOn ch1 65 110",
                   "@0 (+0) NoteOn ch1 66 127", "@0 (+0) NoteOn ch1 67 90",
                   "@0 (+0) NoteOn ch1 68 90", "@0 (+0) NoteOn ch1 69 0",
                   "@0 (+0) NoteOn ch1 70 80", "@0 (+0) EndOfTrack"}));
}

TEST(TrackControllers, DetuneSumsIn16BitsAndIsClamped) {
  TrackHarness h;
  const TrackResult r = h.convert({0x96, 0x00, 100, 0x97, 0x00, 200, 0x97, 0x00, 200, 0xD1, 0, 0,
                                   0x10, 0x00, 0x96, 0x7F, 0xFF, 0x97, 0x7F, 0xFF});
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) PitchBend ch1 8292", "@0 (+0) PitchBend ch1 8092",
                            "@0 (+0) PitchBend ch1 7892", "@0 (+0) PitchBend ch1 12288",
                            "@0 (+0) PitchBend ch1 0", "@0 (+0) PitchBend ch1 12288",
                            "@0 (+0) EndOfTrack"}));
}

TEST(TrackControllers, AtRIsReportedUnlessRSuppressesKeyOffs) {
  TrackHarness h;
  EXPECT_EQ(h.convert({0xAC, 1}).err, "MIDI ch 01 converting...[@R]done.\n");
  TrackInputs in = midi_track();
  in.keyoff_skip = -1;
  EXPECT_EQ(h.convert({0xAC, 1}, in).err, "MIDI ch 01 converting...done.\n");
}

TEST(TrackKeys, TrackedKeysSoundOnceAndAreReleasedTogether) {
  TrackHarness h;
  // The first tracked key sends the bend; a key already held is not struck
  // again; BF releases every held key at the pending delta.
  TrackResult r = h.convert({0xCD, 60, 0xCD, 60, 0xCD, 62, 0xD0, 12, 0, 0xBF, 0xD0, 12, 0, 0xBF});
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 127",
                            "@0 (+0) NoteOn ch1 62 127", "@12 (+12) NoteOn ch1 60 0",
                            "@12 (+0) NoteOn ch1 62 0", "@24 (+12) EndOfTrack"}));

  // A ninth held key is struck but not kept.
  Bytes many;
  for (uint8_t k = 1; k <= 9; ++k) many.insert(many.end(), {0xCD, k});
  many.push_back(0xBF);
  r = h.convert(many);
  EXPECT_EQ(test::lines_from(r, "NoteOn ch1 9 127").size(), 10u);  // 9 on, 8 off, end
}

// Releasing keys when none sound writes nothing; the clocks pending before
// the release must still reach the next event.
TEST(TrackKeys, ReleaseOfNothingKeepsThePendingClocks) {
  TrackHarness h;
  const TrackResult r = h.convert({0xD0, 12, 0, 0xBF, 0xA0, 1});
  EXPECT_EQ(r.lines, (Lines{"@12 (+12) Program ch1 0", "@12 (+0) EndOfTrack"}));
}

}  // namespace
}  // namespace orvo
