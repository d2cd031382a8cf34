// The eight-step tables at their step positions, and the fade in its three
// modes.
#include <gtest/gtest.h>

#include "render/controllers.h"
#include "render/modulation.h"
#include "smf/events.h"
#include "support/render_harness.h"
#include "support/smf_check.h"

namespace orvo::test {
namespace {

using Lines = std::vector<std::string>;
using Bytes = std::vector<uint8_t>;
constexpr uint16_t kTie = 0xFFFF;

std::vector<int32_t> positions(int32_t start, uint16_t step) {
  std::vector<int32_t> p(8);
  compute_step_positions(start, step, p.data());
  return p;
}

TEST(RenderTables, StepPositionsSpreadTheEighthsWithTheirRemainder) {
  EXPECT_EQ(positions(0, 12), (std::vector<int32_t>{0, 2, 4, 6, 8, 10, 12, 14}));
  EXPECT_EQ(positions(10, 20), (std::vector<int32_t>{10, 13, 16, 19, 22, 25, 28, 31}));
  EXPECT_EQ(positions(0, 3), (std::vector<int32_t>{0, 1, 2, 3, 3, 4, 5, 6}));
  EXPECT_EQ(positions(5, 16), (std::vector<int32_t>{5, 7, 9, 11, 13, 15, 17, 19}));
}

void pressure_table(RenderHarness& h) {
  h.enables |= kModPressure;
  h.tables.auxModStep = 1;
  for (int i = 0; i < 8; ++i) h.tables.auxModTable[i] = static_cast<int16_t>(10 * (i + 1));
}

TEST(RenderTables, EntriesApplyAtTheirPositionsWithinTheSpanOnly) {
  RenderHarness h;
  pressure_table(h);
  h.note(60, 12, 12);  // positions 12 and 14 lie past the span
  EXPECT_EQ(only(h.lines(), "ChannelPressure"),
            (Lines{"@0 (+0) ChannelPressure ch1 10", "@2 (+2) ChannelPressure ch1 20",
                   "@4 (+2) ChannelPressure ch1 30", "@6 (+2) ChannelPressure ch1 40",
                   "@8 (+2) ChannelPressure ch1 50", "@10 (+2) ChannelPressure ch1 60"}));

  RenderHarness shared;  // positions 0, 0, 0, 1, ...: one entry per clock
  pressure_table(shared);
  shared.note(60, 1, 1);
  EXPECT_EQ(only(shared.lines(), "ChannelPressure"), (Lines{"@0 (+0) ChannelPressure ch1 10"}));
}

TEST(RenderTables, ApplyOncePerNoteAcrossATie) {
  RenderHarness h;
  pressure_table(h);
  h.note(60, 4, kTie);   // positions 0..3 and beyond
  h.note(60, 4, 4);      // same marker: not again
  h.note(62, 4, 4);      // a new note starts the table again
  EXPECT_EQ(only(h.lines(), "ChannelPressure"),
            (Lines{"@0 (+0) ChannelPressure ch1 10", "@1 (+1) ChannelPressure ch1 20",
                   "@2 (+1) ChannelPressure ch1 30", "@3 (+1) ChannelPressure ch1 40",
                   "@8 (+0) ChannelPressure ch1 10", "@9 (+1) ChannelPressure ch1 20",
                   "@10 (+1) ChannelPressure ch1 30", "@11 (+1) ChannelPressure ch1 40"}));
}

TEST(RenderTables, WheelAndControllerValuesStepThroughTheTables) {
  RenderHarness h;
  h.enables = kModPitch | kModCtrl;
  h.pm.pm_mode = 0;
  h.cm.cm_mode = 0;
  h.tables.pitchModStep = 1;
  h.tables.ampModStep = 1;
  for (int i = 0; i < 8; ++i) {
    h.tables.pitchModTable[i] = static_cast<int16_t>(10 * i);
    h.tables.ampModTable[i] = static_cast<int16_t>(100 - 10 * i);
  }
  h.tables.ampModTable[7] = 0x1C8;  // a controller value is the entry's low byte, held to 127
  h.note(60, 8, 8);
  const Lines lines = h.lines();
  EXPECT_EQ(only(lines, "Control ch1 1 "),
            (Lines{"@0 (+0) Control ch1 1 0", "@1 (+1) Control ch1 1 10",
                   "@2 (+1) Control ch1 1 20", "@3 (+1) Control ch1 1 30",
                   "@4 (+1) Control ch1 1 40", "@5 (+1) Control ch1 1 50",
                   "@6 (+1) Control ch1 1 60", "@7 (+1) Control ch1 1 70"}));
  EXPECT_EQ(only(lines, "Control ch1 11"),
            (Lines{"@0 (+0) Control ch1 11 100", "@1 (+0) Control ch1 11 90",
                   "@2 (+0) Control ch1 11 80", "@3 (+0) Control ch1 11 70",
                   "@4 (+0) Control ch1 11 60", "@5 (+0) Control ch1 11 50",
                   "@6 (+0) Control ch1 11 40", "@7 (+0) Control ch1 11 127"}));
}

TEST(RenderTables, PitchDepthEntryRestartsTheBendAndWaitsForItsClock) {
  // A depth entry restarts the oscillator and counts its clock from 0
  // again, so the modulation waits until that count reaches the entry's
  // position; entries every 8 clocks keep it waiting after the first.
  RenderHarness h;
  h.enables = kModPitch;
  h.pm.pm_depth = 1;
  h.pm.pm_wave = 1;
  h.pm.pm_speed = 1;
  h.tables.pitchModStep = 1;
  for (int i = 0; i < 8; ++i) h.tables.pitchModTable[i] = static_cast<int16_t>(10 * (i + 1));
  h.note(60, 64, 64);
  EXPECT_EQ(only(h.lines(), "PitchBend"),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@2 (+2) PitchBend ch1 8202",
                   "@4 (+2) PitchBend ch1 8182", "@6 (+2) PitchBend ch1 8202"}));

  RenderHarness off;  // without a depth at the span's start the entries cannot start it
  off.enables = kModPitch;
  off.pm.pm_wave = 1;
  off.pm.pm_speed = 1;
  off.tables = h.tables;
  off.note(60, 64, 64);
  EXPECT_EQ(only(off.lines(), "PitchBend").size(), 1u);
}

// A volume sent earlier on the channel, as the volume commands do.
void send_volume(RenderHarness& h, int value) {
  h.tb.pos += write_volume(h.s, write_ptr(h.tb), h.pending, h.channel, value);
}

void fade_out(RenderHarness& h, uint8_t step) {
  h.fade.state = -1;
  h.fade.scale = 128;
  h.fade.step = step;
}

TEST(RenderFade, ChannelVolumeFollowsTheScaleOnceAVolumeWasSent) {
  RenderHarness h;
  send_volume(h, 100);
  fade_out(h, 128);  // a carry every second clock
  h.fade.delay = 2;
  h.rest(10, 10);
  EXPECT_EQ(h.lines(), (Lines{"@0 (+0) Control ch1 7 100", "@3 (+3) Control ch1 7 99",
                              "@5 (+2) Control ch1 7 98", "@7 (+2) Control ch1 7 97",
                              "@9 (+2) Control ch1 7 96", "@10 (+1) EndOfTrack"}));
  EXPECT_EQ(h.fade.delay, 0);

  RenderHarness unsent;
  fade_out(unsent, 128);
  unsent.rest(10, 10);
  EXPECT_EQ(unsent.lines(), (Lines{"@10 (+10) EndOfTrack"}));
  EXPECT_EQ(unsent.fade.scale, 123);

  RenderHarness still;  // a step of 0 never moves
  send_volume(still, 100);
  fade_out(still, 0);
  still.rest(10, 10);
  EXPECT_EQ(still.lines(), (Lines{"@0 (+0) Control ch1 7 100", "@10 (+10) EndOfTrack"}));
}

TEST(RenderFade, StepsAbove127AreFastNotBackwards) {
  RenderHarness h;
  send_volume(h, 100);
  fade_out(h, 200);
  h.rest(6, 6);
  EXPECT_EQ(only(h.lines(), "Control ch1 7"),
            (Lines{"@0 (+0) Control ch1 7 100", "@1 (+1) Control ch1 7 99",
                   "@2 (+1) Control ch1 7 98", "@3 (+1) Control ch1 7 97",
                   "@5 (+2) Control ch1 7 96"}));
}

TEST(RenderFade, FadeOutReachingZeroEndsTheSpan) {
  RenderHarness h;
  send_volume(h, 100);
  fade_out(h, 254);
  h.fade.scale = 1;
  h.enables = kModPitch;
  h.pm.pm_depth = 100;
  h.pm.pm_speed = 4;
  h.pm.pm_wave = 2;
  h.note(60, 10, 10);
  EXPECT_EQ(h.lines(),
            (Lines{"@0 (+0) Control ch1 7 100", "@0 (+0) PitchBend ch1 8192",
                   "@0 (+0) NoteOn ch1 60 100", "@1 (+1) PitchBend ch1 8217",
                   "@1 (+0) Control ch1 7 0", "@10 (+9) NoteOn ch1 60 0",
                   "@10 (+0) EndOfTrack"}));
}

void master_fade_in(RenderHarness& h, uint8_t model, uint8_t mode, int16_t scale) {
  h.header[2] = model;
  h.fade.mode = mode;
  h.fade.state = 1;
  h.fade.scale = scale;
  h.fade.step = 254;
}

TEST(RenderFade, MasterVolumeMessagesCarryTheScaleAndTheirChecksum) {
  RenderHarness roland16;
  master_fade_in(roland16, 0x16, 1, -1);
  roland16.rest(3, 3);
  EXPECT_EQ(roland16.lines(),
            (Lines{"@1 (+1) SysEx F0 41 10 16 12 10 00 16 00 5A F7",
                   "@2 (+1) SysEx F0 41 10 16 12 10 00 16 01 59 F7", "@3 (+1) EndOfTrack"}));

  RenderHarness full;  // the full level 128 is written as 0x7F
  master_fade_in(full, 0x42, 2, 127);
  full.rest(3, 3);
  EXPECT_EQ(full.lines(), (Lines{"@1 (+1) SysEx F0 41 10 42 12 40 00 04 7F 3D F7",
                                 "@3 (+2) EndOfTrack"}));

  RenderHarness other;  // another maker or model: nothing
  master_fade_in(other, 0x45, 2, 50);
  other.header[0] = 0x43;
  other.rest(3, 3);
  EXPECT_EQ(other.lines(), (Lines{"@3 (+3) EndOfTrack"}));
}

// Whether each channel event of the chunk omitted its status byte.
std::vector<std::string> statuses(const RenderHarness& h) {
  Smf smf;
  EXPECT_EQ(parse_smf(h.file(), smf), "");
  std::vector<std::string> out;
  for (const SmfEvent& e : smf.tracks.at(1).events) {
    if (e.status >= 0x80 && e.status < 0xF0) out.push_back(e.running ? "running" : "status");
    if (e.status == 0xF0) out.push_back("exclusive");
  }
  return out;
}

TEST(RenderFade, ChannelEventsAfterAMessageCarryTheirStatusAgain) {
  RenderHarness h;
  master_fade_in(h, 0x45, 2, 100);
  h.fade.step = 128;  // a message at clock 1 of every 2
  h.chord({60, 64}, 3, 2);
  EXPECT_EQ(statuses(h), (Lines{"status", "status", "running", "exclusive", "status", "running"}));
  h.lines();

  RenderHarness off;  // running status off (-s): every event carries it
  off.exclusive_flag = 0;
  reset_running_status(off.s.running, kStatusAlways);
  master_fade_in(off, 0x45, 2, 100);
  off.fade.step = 128;
  off.chord({60, 64}, 3, 2);
  EXPECT_EQ(statuses(off), (Lines{"status", "status", "status", "exclusive", "status", "status"}));
  EXPECT_EQ(off.s.running.mode, kStatusAlways);
  off.lines();
}

}  // namespace
}  // namespace orvo::test
