// The modulation, portamento and table commands as a song uses them: their
// operands reach the renderer and the notes that follow sound with them.
#include <gtest/gtest.h>

#include "support/run.h"
#include "support/track_harness.h"

namespace orvo {
namespace {

using test::Bytes;
using test::lines_from;
using test::midi_track;
using test::sjis;
using test::TrackHarness;
using test::TrackResult;
using Lines = std::vector<std::string>;

// The lines that contain `what`.
Lines only(const TrackResult& r, const std::string& what) {
  Lines out;
  for (const std::string& line : r.lines) {
    if (line.find(what) != std::string::npos) out.push_back(line);
  }
  return out;
}

TEST(TrackTables, EightByteFormRepeatsThePreviousEntry) {
  TrackHarness h;
  // Wheel kind (99 0): table A sends the modulation wheel at the step
  // positions 0, 6, 12, ... of a 48-clock note: 16, 16, 32, 32, ...
  const TrackResult r = h.convert(
      {0x99, 0, 0xFF, 0xE4, 0x10, 0xFF, 0x20, 0xFF, 0xFF, 0xFF, 0xFF, 0xFF, 60, 48, 40});
  EXPECT_EQ(only(r, "Control ch1 1 "),
            (Lines{"@0 (+0) Control ch1 1 16", "@12 (+12) Control ch1 1 32"}));
}

TEST(TrackTables, MaskedFormTakesTheEntriesItsMaskNames) {
  TrackHarness h;
  // Entries 1 and 3 given (8, 24); the others repeat the one before, entry 0
  // the old entry 7 (0). Equal wheel values are sent once.
  Bytes t{0x99, 0, 0xFF, 0xEE, 0x0A};
  for (int v : {1, 8, 2, 24, 3, 4, 5, 6}) t.insert(t.end(), {0, static_cast<uint8_t>(v)});
  t.insert(t.end(), {60, 48, 40});
  const TrackResult r = h.convert(t);
  EXPECT_EQ(only(r, "Control ch1 1 "),
            (Lines{"@0 (+0) Control ch1 1 0", "@6 (+6) Control ch1 1 8",
                   "@18 (+12) Control ch1 1 24"}));
}

TEST(TrackTables, PressureTableSendsChannelPressure) {
  TrackHarness h;
  const TrackResult r = h.convert(
      {0xBE, 0, 0xE3, 10, 20, 0xFF, 30, 40, 50, 60, 70, 60, 16, 16});
  EXPECT_EQ(only(r, "ChannelPressure"),
            (Lines{"@0 (+0) ChannelPressure ch1 10", "@2 (+2) ChannelPressure ch1 20",
                   "@6 (+4) ChannelPressure ch1 30", "@8 (+2) ChannelPressure ch1 40",
                   "@10 (+2) ChannelPressure ch1 50", "@12 (+2) ChannelPressure ch1 60",
                   "@14 (+2) ChannelPressure ch1 70"}));
}

TEST(TrackModulation, UndefinedWaveformsBecomeTriangles) {
  TrackHarness h;
  TrackResult r = h.convert({0x98, 5, 40});
  EXPECT_EQ(r.err, sjis("MIDI ch 01 converting...[未定義の波形番号です(三角波にします)]"
                        "[未定義の波形番号です(三角波にします)]done.\n"));
  r = h.convert({0x98, 8, 0xFF, 0x98, 0xFF, 31});
  EXPECT_EQ(r.err, "MIDI ch 01 converting...done.\n");
}

TEST(TrackModulation, VibratoFromItsStartClockAtTheChosenDepthAndSpeed) {
  TrackHarness h;
  // Triangle, speed 4, depth 400, from clock 8: 100 a clock up to 400, then
  // down to -400 and back; -B 4 writes every fourth clock and the last.
  TrackInputs in = midi_track();
  in.bend_interval = 4;
  const TrackResult r = h.convert({0x98, 2, 0xFF, 0xD6, 0, 4, 0, 0, 0xE8, 0, 8, 0xFF, 0xFF, 0xE6,
                                   0x01, 0x90, 60, 24, 24},
                                  in);
  EXPECT_EQ(only(r, "PitchBend"),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@11 (+11) PitchBend ch1 8492",
                   "@15 (+4) PitchBend ch1 8292", "@19 (+4) PitchBend ch1 7892",
                   "@23 (+4) PitchBend ch1 8092"}));
  // BB 0 switches it off: the component returns to 0 with the next bend.
  const TrackResult off = h.convert({0xBB, 0, 60, 24, 24}, in);
  EXPECT_EQ(only(off, "PitchBend"), (Lines{"@0 (+0) PitchBend ch1 8192"}));
}

TEST(TrackPortamento, NoteWithItsOwnPortamento) {
  TrackHarness h;
  // E0 key step gate delay a b mode: 100 + 128/256 bend units a clock from
  // clock 2 on; the next note starts without it.
  const TrackResult r =
      h.convert({0xE0, 60, 0, 6, 0, 6, 0, 2, 0, 100, 128, 1, 62, 6, 6});
  EXPECT_EQ(only(r, "PitchBend"),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@3 (+3) PitchBend ch1 8292",
                   "@4 (+1) PitchBend ch1 8393", "@5 (+1) PitchBend ch1 8493",
                   "@6 (+0) PitchBend ch1 8192"}));
}

TEST(TrackPortamento, AutoBendOnEveryNoteUntilSwitchedOff) {
  TrackHarness h;
  // E1: from 400 below the note up by 400 over each note, delay 0. The
  // note's own bend goes out before the glide takes the detune component.
  const TrackResult r = h.convert({0xE1, 0, 0, 0, 0, 0xFE, 0x70, 0x01, 0x90, 0, 0, 1, 60, 4, 4,
                                   62, 4, 4, 0xBD, 0, 64, 4, 4});
  EXPECT_EQ(only(r, "PitchBend"),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) PitchBend ch1 7792",
                   "@1 (+1) PitchBend ch1 7892", "@2 (+1) PitchBend ch1 7992",
                   "@3 (+1) PitchBend ch1 8092", "@4 (+0) PitchBend ch1 7792",
                   "@5 (+1) PitchBend ch1 7892", "@6 (+1) PitchBend ch1 7992",
                   "@7 (+1) PitchBend ch1 8092", "@8 (+0) PitchBend ch1 8192"}));
}

TEST(TrackFades, MasterVolumeFadeOnAnMt32) {
  TrackHarness h;
  // CC with the MT-32 header fades by master volume, from its full level 100.
  const TrackResult r = h.convert({0xEB, 0x41, 0x10, 0x16, 0xCC, 64, 0xD0, 4, 0});
  ASSERT_GE(r.lines.size(), 2u);
  EXPECT_EQ(r.lines[0], "@1 (+1) SysEx F0 41 10 16 12 10 00 16 63 77 F7");
}

TEST(TrackFades, FadeInRisesToFullAndStops) {
  TrackHarness h;
  // A6 -64: a fade-in from silence by channel volume, a level every two
  // clocks; once past full level the fade ends and the level stays full.
  const TrackResult r =
      h.convert({0xB6, 27, 0xA6, 0xC0, 0xD0, 200, 0, 0xD0, 200, 0, 0xA0, 1});
  const Lines volumes = only(r, "Control ch1 7 ");
  ASSERT_EQ(volumes.size(), 102u);  // the volume, then each level 0..100
  EXPECT_EQ(volumes[1], "@1 (+1) Control ch1 7 0");
  EXPECT_NE(volumes.back().find("Control ch1 7 100"), std::string::npos);
  EXPECT_EQ(r.lines[r.lines.size() - 2], "@400 (+143) Program ch1 0");
}

// Clocks on which nothing is written pass in one step; these pin where the
// modulation resumes after them: a vibrato whose start lies in the second
// event of a tie and runs on into the release, and the wheel and plain
// controller kinds, which write once at their start clock.
TEST(TrackQuietClocks, VibratoStartsInsideATieAndRunsIntoTheRelease) {
  TrackHarness h;
  // Triangle, speed 4, depth 100, from clock 20 of each note: a tie of 16 +
  // 16 clocks, a rest, a note too short to reach it, a long note.
  const TrackResult r = h.convert({0x98, 2, 0xFF, 0xD6, 0, 4, 0, 0, 0xE8, 0, 20, 0xFF, 0xFF,
                                   0xE6, 0, 100, 60, 16, 0xFF, 60, 16, 12, 0x80, 8, 0, 62, 8, 6,
                                   64, 40, 30});
  ASSERT_GE(r.lines.size(), 27u);
  EXPECT_EQ(Lines(r.lines.begin(), r.lines.begin() + 27),
            (Lines{"@0 (+0) PitchBend ch1 8192",  "@0 (+0) NoteOn ch1 60 127",
                   "@21 (+21) PitchBend ch1 8217", "@22 (+1) PitchBend ch1 8242",
                   "@23 (+1) PitchBend ch1 8267",  "@24 (+1) PitchBend ch1 8292",
                   "@25 (+1) PitchBend ch1 8267",  "@26 (+1) PitchBend ch1 8242",
                   "@27 (+1) PitchBend ch1 8217",  "@28 (+1) NoteOn ch1 60 0",
                   "@28 (+0) PitchBend ch1 8192",  "@29 (+1) PitchBend ch1 8167",
                   "@30 (+1) PitchBend ch1 8142",  "@31 (+1) PitchBend ch1 8117",
                   "@32 (+1) PitchBend ch1 8192",  "@33 (+1) PitchBend ch1 8217",
                   "@34 (+1) PitchBend ch1 8242",  "@35 (+1) PitchBend ch1 8267",
                   "@36 (+1) PitchBend ch1 8292",  "@37 (+1) PitchBend ch1 8267",
                   "@38 (+1) PitchBend ch1 8242",  "@39 (+1) PitchBend ch1 8217",
                   "@40 (+1) PitchBend ch1 8192",  "@40 (+0) NoteOn ch1 62 127",
                   "@46 (+6) NoteOn ch1 62 0",     "@48 (+2) NoteOn ch1 64 127",
                   "@69 (+21) PitchBend ch1 8217"}));
}

TEST(TrackQuietClocks, WheelAndPlainControllerWriteAtTheirStartClock) {
  TrackHarness h;
  // Wheel kind from clock 20, across a tie of 16 + 16 clocks.
  const TrackResult wheel = h.convert({0x98, 2, 0xFF, 0x99, 0, 0xFF, 0xD6, 0, 4, 0, 0, 0xE8, 0,
                                       20, 0xFF, 0xFF, 0xE6, 0, 64, 60, 16, 0xFF, 60, 16, 12, 62,
                                       30, 28});
  EXPECT_EQ(wheel.lines,
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) Control ch1 1 0",
                   "@0 (+0) NoteOn ch1 60 127", "@20 (+20) Control ch1 1 64",
                   "@28 (+8) NoteOn ch1 60 0", "@32 (+4) Control ch1 1 0",
                   "@32 (+0) NoteOn ch1 62 127", "@52 (+20) Control ch1 1 64",
                   "@60 (+8) NoteOn ch1 62 0", "@62 (+2) EndOfTrack"}));
  // Controller 11, plain kind, depth 100 from clock 10 of each note.
  const TrackResult plain = h.convert({0x9A, 11, 0, 64, 0x99, 0xFF, 0, 0xE8, 0xFF, 0xFF, 0, 10,
                                       0xAE, 100, 0xBC, 1, 60, 8, 0xFF, 60, 8, 6, 62, 20, 18});
  EXPECT_EQ(plain.lines,
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) Control ch1 11 0",
                   "@0 (+0) NoteOn ch1 60 127", "@10 (+10) Control ch1 11 100",
                   "@14 (+4) NoteOn ch1 60 0", "@16 (+2) Control ch1 11 0",
                   "@16 (+0) NoteOn ch1 62 127", "@26 (+10) Control ch1 11 100",
                   "@34 (+8) NoteOn ch1 62 0", "@36 (+2) EndOfTrack"}));
}

}  // namespace
}  // namespace orvo
