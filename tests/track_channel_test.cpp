// Track set-up: the channel kinds, the track name, the -I sequence, and the
// commands that are only reported or not known at all.
#include <gtest/gtest.h>

#include "support/run.h"
#include "support/smf_check.h"
#include "support/track_harness.h"

namespace orvo {
namespace {

using test::Bytes;
using test::midi_track;
using test::sjis;
using test::TrackHarness;
using test::TrackResult;
using Lines = std::vector<std::string>;

TrackInputs channel_byte(uint8_t byte, bool fm = false) {
  TrackInputs in = midi_track();
  in.channel_byte = byte;
  in.convert_fm = fm ? 1 : 0;
  return in;
}

TEST(TrackChannels, MidiTracksConvertOnTheirChannel) {
  TrackHarness h;
  const TrackResult r = h.convert({0xA0, 5}, midi_track(3));
  EXPECT_EQ(r.err, "MIDI ch 03 converting...done.\n");
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) Program ch3 4", "@0 (+0) EndOfTrack"}));
}

TEST(TrackChannels, FmAndAdpcmTracksAreSkippedAtTheStartOffset) {
  TrackHarness h;
  TrackInputs in = channel_byte(3);
  in.start_offset = 96;
  TrackResult r = h.convert({0xA0, 5}, in);
  EXPECT_EQ(r.err, "FM   ch 04 skipped......done.\n");
  EXPECT_EQ(r.events, (Bytes{0x60, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(r.offset, 0);

  r = h.convert({0xA0, 5}, channel_byte(8));
  EXPECT_EQ(r.err, "ADPCMch 01 skipped......done.\n");
  EXPECT_EQ(r.events, (Bytes{0x00, 0xFF, 0x2F, 0x00}));
  r = h.convert({0xA0, 5}, channel_byte(27, true));
  EXPECT_EQ(r.err, "ADPCMch 04 skipped......done.\n");
}

TEST(TrackChannels, FmTracksUnderMSetTheBendRangeAndScaleBends) {
  TrackHarness h;
  // Detune of one semitone in OPM units (64) becomes 683 MIDI units.
  TrackResult r = h.convert({0x96, 0x00, 0x40}, channel_byte(3, true));
  EXPECT_EQ(r.err, "OPM  ch 04 converting...done.\n");
  EXPECT_EQ(r.events, (Bytes{0x00, 0xB3, 0x65, 0x00, 0x00, 0xB3, 0x64, 0x00, 0x00, 0xB3, 0x06,
                             0x0C, 0x00, 0xE3, (8192 + 683) & 0x7F, (8192 + 683) >> 7, 0x00, 0xFF,
                             0x2F, 0x00}));
  // A bend far beyond the 14-bit range after scaling is held at its end.
  r = h.convert({0x96, 0x10, 0x00}, channel_byte(8, true));
  EXPECT_EQ(r.err, "OPM  ch 09 converting...done.\n");
  EXPECT_EQ(r.lines.at(3), "@0 (+0) PitchBend ch9 16383");
  // The next MIDI track is not scaled.
  r = h.convert({0x96, 0x00, 0x40}, midi_track(1));
  EXPECT_EQ(r.lines.at(0), "@0 (+0) PitchBend ch1 8256");
}

TEST(TrackChannels, InstrumentNameComesFirstAtTheStartOffset) {
  TrackHarness h;
  const std::string name(200, 'n');
  TrackInputs in = midi_track();
  in.name = &name;
  in.start_offset = 10;
  const TrackResult r = h.convert({0xA0, 1}, in);
  Bytes expected{0x0A, 0xFF, 0x03, 0x81, 0x48};
  expected.insert(expected.end(), name.begin(), name.end());
  expected.insert(expected.end(), {0x00, 0xC0, 0x00, 0x00, 0xFF, 0x2F, 0x00});
  EXPECT_EQ(r.events, expected);
}

TEST(TrackChannels, InitSequenceOncePerChannelThenAPause) {
  TrackHarness h;
  TrackInputs in = midi_track(2);
  in.init_gap = 2;
  in.start_offset = 5;
  TrackResult r = h.convert({0xA0, 1}, in);
  ASSERT_EQ(r.lines.size(), 21u);
  EXPECT_EQ(r.lines[0], "@7 (+7) Control ch2 121 0");
  EXPECT_EQ(r.lines[18], "@43 (+2) PitchBend ch2 8192");
  EXPECT_EQ(r.lines[19], "@43 (+0) Program ch2 0");

  // The channel is set up already: the same clocks pass silently.
  r = h.convert({0xA0, 1}, in);
  EXPECT_EQ(r.lines, (Lines{"@43 (+43) Program ch2 0", "@43 (+0) EndOfTrack"}));
  h.session().channel_init.fill(0);
  r = h.convert({0xA0, 1}, in);
  EXPECT_EQ(r.lines.size(), 21u);
}

TEST(TrackChannels, ChannelCommandTakesMidiChannelBytesOnly) {
  TrackHarness h;
  const TrackResult r = h.convert({0xA3, 10, 0xA0, 1, 0xA3, 30, 0xA0, 2, 0xA3, 8, 0xA0, 3});
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) Program ch2 0", "@0 (+0) Program ch2 1",
                            "@0 (+0) Program ch2 2", "@0 (+0) EndOfTrack"}));
}

TEST(TrackCommands, ReportedAndUnlistedCommandsConsumeTheirOperands) {
  TrackHarness h;
  const TrackResult r = h.convert({0x9D, 0x82, 0x9B, 1, 2, 0xA1, 3, 0xA2, 4, 0xA5, 5, 0xBA, 1, 2,
                                   3, 4, 5, 6, 7, 8, 0xCE, 6, 0xCF, 0xD5, 7, 8, 0xE9, 9, 0xF0,
                                   0xF1, 0x00, 0x02, 0xA0, 9, 0xFB, 0xA0, 1});
  EXPECT_EQ(r.err, sjis("MIDI ch 01 converting...[9d][@O][y2.n][MXDRV風音色切替][ADPCM][y15,n]"
                        "現在スイッチ関係(旧版)は未サポート。\n[J]"
                        "リピートコマンドの2バイト目($CF)がなぜ？\n[?m,n][旧@S][fb]done.\n"));
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) Program ch1 0", "@0 (+0) EndOfTrack"}));
}

TEST(TrackCommands, TrackEndsAtItsEndBoundOrItsEndByte) {
  TrackHarness h;
  TrackInputs in = midi_track();
  in.end_offset = 2;
  const TrackResult r = h.convert({0xA0, 1, 0xA0, 2}, in);
  EXPECT_EQ(r.lines, (Lines{"@0 (+0) Program ch1 0", "@0 (+0) EndOfTrack"}));
  EXPECT_EQ(r.offset, 2);
  EXPECT_EQ(h.convert({0xA0, 1}).offset, 2);
}

}  // namespace
}  // namespace orvo
