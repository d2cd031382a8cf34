// Pitch bends of slurs and portamento, and the OPM scaling of bends.
#include <gtest/gtest.h>

#include "render/controllers.h"
#include "support/render_harness.h"

namespace orvo::test {
namespace {

using Lines = std::vector<std::string>;
constexpr uint16_t kTie = 0xFFFF;

TEST(RenderSlur, TieToAnotherKeyBendsBy683PerSemitoneUpToTheTableEnds) {
  RenderHarness h;
  h.slur = 1;
  h.note(60, 10, kTie);
  h.note(61, 10, kTie);
  h.note(72, 10, kTie);  // +12
  h.note(48, 10, kTie);  // -12
  h.note(80, 10, kTie);  // +20: the table's end
  h.note(30, 10, 5);     // -30
  EXPECT_EQ(h.lines(),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 100",
                   "@10 (+10) PitchBend ch1 8875", "@20 (+10) PitchBend ch1 16383",
                   "@30 (+10) PitchBend ch1 0", "@40 (+10) PitchBend ch1 16383",
                   "@50 (+10) PitchBend ch1 0", "@55 (+5) NoteOn ch1 60 0",
                   "@60 (+5) EndOfTrack"}));
}

TEST(RenderSlur, ChordsAreStruckAgainInsteadOfSlurred) {
  RenderHarness h;
  h.slur = 1;
  h.note(60, 10, kTie);
  h.chord({62, 65}, 10, 5);
  EXPECT_EQ(only(h.lines(), "NoteOn"),
            (Lines{"@0 (+0) NoteOn ch1 60 100", "@10 (+10) NoteOn ch1 60 0",
                   "@10 (+0) NoteOn ch1 62 100", "@10 (+0) NoteOn ch1 65 100",
                   "@15 (+5) NoteOn ch1 62 0", "@15 (+0) NoteOn ch1 65 0"}));
}

// Two semitones up over 8 clocks: 170 and 192/256 per clock.
void glide(RenderHarness& h, int32_t delay, int16_t from) {
  h.porta.porta_delay = delay;
  h.porta.porta_a = from;
  h.porta.porta_b = 1366;
  h.porta.porta_mode = 2;
}

TEST(RenderPortamento, StepsEveryClockWithItsFraction) {
  RenderHarness h;
  glide(h, 0, 0);
  h.note(60, 8, 8);
  EXPECT_EQ(h.lines(),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 100",
                   "@1 (+1) PitchBend ch1 8362", "@2 (+1) PitchBend ch1 8533",
                   "@3 (+1) PitchBend ch1 8704", "@4 (+1) PitchBend ch1 8875",
                   "@5 (+1) PitchBend ch1 9045", "@6 (+1) PitchBend ch1 9216",
                   "@7 (+1) PitchBend ch1 9387", "@8 (+1) NoteOn ch1 60 0",
                   "@8 (+0) EndOfTrack"}));
  EXPECT_EQ(h.bend.portamento, 0);  // the note's end clears the displacement
}

TEST(RenderPortamento, StepIntervalSpacesTheBendsAndTheLastClockAlwaysWrites) {
  RenderHarness h;
  h.step_interval = 4;
  glide(h, 0, 0);
  h.note(60, 8, 8);
  EXPECT_EQ(only(h.lines(), "PitchBend"),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@3 (+3) PitchBend ch1 8704",
                   "@7 (+4) PitchBend ch1 9387"}));

  RenderHarness none;
  none.step_interval = 0;  // no portamento at all
  glide(none, 0, 0);
  none.note(60, 8, 8);
  EXPECT_EQ(only(none.lines(), "PitchBend"), (Lines{"@0 (+0) PitchBend ch1 8192"}));
  EXPECT_EQ(none.bend.detune, 0);
}

TEST(RenderPortamento, DelayedGlideSendsItsStartOffsetWithTheNote) {
  RenderHarness h;
  glide(h, 4, -1366);  // from two semitones below, after 4 clocks, over 4
  h.note(60, 8, 8);
  EXPECT_EQ(h.lines(),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) PitchBend ch1 6826",
                   "@0 (+0) NoteOn ch1 60 100", "@5 (+5) PitchBend ch1 7167",
                   "@6 (+1) PitchBend ch1 7509", "@7 (+1) PitchBend ch1 7850",
                   "@8 (+1) NoteOn ch1 60 0", "@8 (+0) EndOfTrack"}));
  EXPECT_EQ(h.bend.detune, -1366);
}

TEST(RenderPortamento, GlideIsSetUpOncePerTieChain) {
  RenderHarness h;
  glide(h, 0, 0);
  h.note(60, 8, kTie);
  EXPECT_EQ(h.porta_started, 1);
  h.note(60, 8, 8);  // the lasting portamento does not glide again
  EXPECT_EQ(only(h.lines(), "PitchBend"),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@1 (+1) PitchBend ch1 8362",
                   "@2 (+1) PitchBend ch1 8533", "@3 (+1) PitchBend ch1 8704",
                   "@4 (+1) PitchBend ch1 8875", "@5 (+1) PitchBend ch1 9045",
                   "@6 (+1) PitchBend ch1 9216", "@7 (+1) PitchBend ch1 9387",
                   "@8 (+1) PitchBend ch1 9558"}));
  EXPECT_EQ(h.porta_started, 0);
}

TEST(RenderPortamento, DirectStepRunsFromTheFirstClock) {
  RenderHarness h;
  h.porta.porta_a = 100;  // per clock, and 128/256
  h.porta.porta_b = 128;
  h.porta.porta_mode = -1;
  h.note(60, 4, 4);
  EXPECT_EQ(only(h.lines(), "PitchBend"),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@1 (+1) PitchBend ch1 8292",
                   "@2 (+1) PitchBend ch1 8391", "@3 (+1) PitchBend ch1 8491"}));
}

TEST(RenderBend, OpmScalingTurnsDetuneUnitsIntoBendUnitsWithinRange) {
  RenderHarness h;
  set_opm_scaling(h.s, true);
  h.bend.detune = 64;  // one semitone of OPM detune
  h.note(60, 4, 4);
  h.bend.detune = 1000;  // far past the range
  h.note(60, 4, 4);
  h.bend.detune = -1000;
  h.note(60, 4, 4);
  EXPECT_EQ(only(h.lines(), "PitchBend"),
            (Lines{"@0 (+0) PitchBend ch1 8875", "@4 (+0) PitchBend ch1 16383",
                   "@8 (+0) PitchBend ch1 0"}));
}

}  // namespace
}  // namespace orvo::test
