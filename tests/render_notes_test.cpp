// Notes, ties, chords, rests, waits and held keys through the note renderer:
// which keys are released and struck, and when.
#include <gtest/gtest.h>

#include "support/render_harness.h"

namespace orvo::test {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;
constexpr uint16_t kTie = 0xFFFF;

TEST(RenderNotes, NoteStrikesAtItsStartAndReleasesAtItsGate) {
  RenderHarness h;
  EXPECT_EQ(h.note(60, 48, 24), 11u);
  EXPECT_EQ(h.bytes(), (Bytes{0x00, 0xE0, 0x00, 0x40, 0x00, 0x90, 60, 100, 24, 60, 0}));
  EXPECT_EQ(h.pending, 24);
  EXPECT_EQ(h.lines(), (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 100",
                              "@24 (+24) NoteOn ch1 60 0", "@48 (+24) EndOfTrack"}));
}

TEST(RenderNotes, GateEqualToStepReleasesAtTheEndAndGateAboveStepTies) {
  RenderHarness equal;
  equal.channel = 2;
  equal.note(60, 48, 48);
  EXPECT_EQ(equal.lines(), (Lines{"@0 (+0) PitchBend ch3 8192", "@0 (+0) NoteOn ch3 60 100",
                                  "@48 (+48) NoteOn ch3 60 0", "@48 (+0) EndOfTrack"}));

  RenderHarness longer;
  longer.note(60, 48, 60);  // a gate past the step does not release
  EXPECT_EQ(longer.tie_continues, 1);
  EXPECT_EQ(longer.s.render.tie_elapsed, 48);
  longer.note(60, 48, 24);
  EXPECT_EQ(longer.lines(), (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 100",
                                   "@72 (+72) NoteOn ch1 60 0", "@96 (+24) EndOfTrack"}));
  EXPECT_EQ(longer.tie_continues, 0);
  EXPECT_EQ(longer.s.render.tie_elapsed, 0);
}

TEST(RenderNotes, TieToTheSameKeysKeepsThemSounding) {
  RenderHarness h;
  h.chord({64, 60}, 48, kTie);
  h.chord({60, 64}, 48, kTie);  // same keys in another order
  h.chord({64, 60}, 48, 24);
  EXPECT_EQ(h.lines(), (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 64 100",
                              "@0 (+0) NoteOn ch1 60 100", "@120 (+120) NoteOn ch1 60 0",
                              "@120 (+0) NoteOn ch1 64 0", "@144 (+24) EndOfTrack"}));
}

TEST(RenderNotes, TieToOtherKeysReleasesTheStruckKeysAndStrikesTheNewOnes) {
  RenderHarness h;
  h.note(60, 48, kTie);
  h.chord({67, 64}, 48, 24);
  EXPECT_EQ(h.lines(), (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 100",
                              "@48 (+48) NoteOn ch1 60 0", "@48 (+0) NoteOn ch1 64 100",
                              "@48 (+0) NoteOn ch1 67 100", "@72 (+24) NoteOn ch1 64 0",
                              "@72 (+0) NoteOn ch1 67 0", "@96 (+24) EndOfTrack"}));
}

TEST(RenderNotes, RestInsideATieKeepsTheKeysUntilTheChainEnds) {
  RenderHarness h;
  h.note(60, 48, kTie);
  h.rest(48, kTie);
  h.rest(48, 24);
  EXPECT_EQ(h.lines(), (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 100",
                              "@120 (+120) NoteOn ch1 60 0", "@144 (+24) EndOfTrack"}));
}

TEST(RenderNotes, RestWithoutModulationOnlyAddsItsStep) {
  RenderHarness h;
  EXPECT_EQ(h.rest(48, 24), 0u);
  EXPECT_EQ(h.pending, 48);
  h.note(60, 10, 5);
  EXPECT_EQ(h.lines(), (Lines{"@48 (+48) PitchBend ch1 8192", "@48 (+0) NoteOn ch1 60 100",
                              "@53 (+5) NoteOn ch1 60 0", "@58 (+5) EndOfTrack"}));
}

TEST(RenderNotes, ChordKeysSoundSpreadApartOrAllAtOnce) {
  RenderHarness spread;
  spread.chord({60, 64, 67}, 48, 40, 4);
  EXPECT_EQ(spread.lines(),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 100",
                   "@4 (+4) NoteOn ch1 64 100", "@8 (+4) NoteOn ch1 67 100",
                   "@40 (+32) NoteOn ch1 60 0", "@40 (+0) NoteOn ch1 64 0",
                   "@40 (+0) NoteOn ch1 67 0", "@48 (+8) EndOfTrack"}));

  RenderHarness together;
  together.velocity = 90;
  together.chord({60, 64, 67}, 48, 40, 0);
  EXPECT_EQ(only(together.lines(), "NoteOn"),
            (Lines{"@0 (+0) NoteOn ch1 60 90", "@0 (+0) NoteOn ch1 64 90",
                   "@0 (+0) NoteOn ch1 67 90",
                   "@40 (+40) NoteOn ch1 60 0", "@40 (+0) NoteOn ch1 64 0",
                   "@40 (+0) NoteOn ch1 67 0"}));

  // A spread longer than the gate leaves the later keys unstruck; a chord
  // that a tie changes to is struck at once.
  RenderHarness cut;
  cut.chord({60, 64, 67}, 20, 10, 8);
  EXPECT_EQ(only(cut.lines(), "NoteOn ch1 67"), (Lines{"@10 (+0) NoteOn ch1 67 0"}));
  RenderHarness tied;
  tied.note(60, 20, kTie);
  tied.chord({62, 65}, 20, 10, 8);
  EXPECT_EQ(only(tied.lines(), "NoteOn"),
            (Lines{"@0 (+0) NoteOn ch1 60 100", "@20 (+20) NoteOn ch1 60 0",
                   "@20 (+0) NoteOn ch1 62 100", "@20 (+0) NoteOn ch1 65 100",
                   "@30 (+10) NoteOn ch1 62 0", "@30 (+0) NoteOn ch1 65 0"}));
}

TEST(RenderNotes, KeyoffSuppressedWritesNoNoteOffs) {
  RenderHarness h;
  h.keyoff_suppressed = 1;
  h.note(60, 48, 24);
  h.note(62, 48, kTie);
  h.note(64, 48, 24);  // a tie to other keys
  EXPECT_EQ(only(h.lines(), "NoteOn"),
            (Lines{"@0 (+0) NoteOn ch1 60 100", "@48 (+48) NoteOn ch1 62 100",
                   "@96 (+48) NoteOn ch1 64 100"}));
}

TEST(RenderNotes, HeldKeysAreReleasedWithTheNextEvent) {
  // A key held over sounds already: it is not struck again, and it is
  // released together with the event's own keys.
  RenderHarness note;
  note.held[0] = 55;
  note.chord({60, 55}, 48, 24);
  EXPECT_EQ(only(note.lines(), "NoteOn"),
            (Lines{"@0 (+0) NoteOn ch1 60 100", "@24 (+24) NoteOn ch1 60 0",
                   "@24 (+0) NoteOn ch1 55 0"}));
  EXPECT_EQ(note.held[0], 0xFF);

  RenderHarness rest;
  rest.held[0] = 55;
  rest.held[1] = 57;
  rest.rest(48, 24);
  EXPECT_EQ(rest.lines(), (Lines{"@24 (+24) NoteOn ch1 55 0", "@24 (+0) NoteOn ch1 57 0",
                                 "@48 (+24) EndOfTrack"}));
  EXPECT_EQ(rest.held[0], 0xFF);
}

TEST(RenderNotes, WaitLetsTimePassAndClearsItsMarker) {
  RenderHarness h;
  h.note(60, 24, 12);
  EXPECT_EQ(h.wait(30), 0u);
  EXPECT_EQ(h.s.render.wait_marker, 0x20);
  EXPECT_EQ(h.tie_continues, 0);
  h.note(62, 24, 12);
  EXPECT_EQ(only(h.lines(), "NoteOn"),
            (Lines{"@0 (+0) NoteOn ch1 60 100", "@12 (+12) NoteOn ch1 60 0",
                   "@54 (+42) NoteOn ch1 62 100", "@66 (+12) NoteOn ch1 62 0"}));
}

// Releasing a key list that holds no key writes nothing, and must not spend
// the clocks waiting in the pending delta.
TEST(RenderNotes, NoteOffsOfNothingLoseNoTime) {
  RenderHarness tied_rest;
  tied_rest.rest(48, kTie);
  tied_rest.note(60, 48, 24);  // continues the tie: a change from no key
  EXPECT_EQ(tied_rest.lines(),
            (Lines{"@48 (+48) PitchBend ch1 8192", "@48 (+0) NoteOn ch1 60 100",
                   "@72 (+24) NoteOn ch1 60 0", "@96 (+24) EndOfTrack"}));

  RenderHarness empty_chord;
  empty_chord.chord({}, 48, 24);
  empty_chord.note(60, 48, 24);
  EXPECT_EQ(only(empty_chord.lines(), "NoteOn"),
            (Lines{"@48 (+48) NoteOn ch1 60 100", "@72 (+24) NoteOn ch1 60 0"}));
}

TEST(RenderNotes, LongSpanGrowsTheBufferAsItWrites) {
  RenderHarness h;
  h.enables = kModPitch;
  h.pm.pm_depth = 8191;
  h.pm.pm_speed = 1;
  h.pm.pm_wave = 2;
  h.pm.pm_mode = 2;
  const size_t n = h.note(60, 65535, 65535);  // a bend on every clock
  EXPECT_GT(h.tb.kb, 16);
  EXPECT_EQ(h.tb.pos, 8 + n);
  const Lines lines = h.lines();
  EXPECT_EQ(only(lines, "PitchBend").size(), 65535u);
  EXPECT_EQ(lines.back(), "@65535 (+1) EndOfTrack");
}

}  // namespace
}  // namespace orvo::test
