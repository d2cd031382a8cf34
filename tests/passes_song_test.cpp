// The passes through whole conversions: ZMD tracks that wait and signal,
// change the tempo and carry marks, converted by the executable's code.
#include <gtest/gtest.h>

#include "support/run.h"
#include "support/smf_check.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

using test::Bytes;
using test::sjis;
using test::ZmdBuilder;

constexpr uint8_t kWait = 0x83;
constexpr uint8_t kSignal = 0xAF;
constexpr uint8_t kSetTempo = 0x91;
constexpr uint8_t kMark = 0xC0;
constexpr uint8_t kCutMark = 0x0B;  // [!]
constexpr uint8_t kAtMark = 0x0C;   // [@]
constexpr uint8_t kDo = 0x09;
constexpr uint8_t kLoop = 0x0A;

class Song : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::ScopedCwd cwd{dir.path()};

  // Converts `zmd` with `args`; the file must pass both readers.
  Bytes convert(const Bytes& zmd, std::vector<std::string> args = {}) {
    test::write_file("song.zmd", zmd);
    args.push_back("song.zmd");
    result = test::run_inprocess(args);
    EXPECT_EQ(result.status, 0) << result.err;
    const Bytes mid = test::read_bytes("song.MID");
    test::expect_valid_smf(mid);
    return mid;
  }
  test::RunResult result;
};

TEST_F(Song, WaitingTrackResumesAtTheSignal) {
  // Track 1 signals track 2 at 96; track 2 waits at 48.
  const Bytes mid = convert(ZmdBuilder()
                                .track(test::kMidi1, {60, 96, 96, kSignal, 1, 62, 48, 48})
                                .track(test::kMidi1 + 1, {60, 48, 48, kWait, 64, 48, 48})
                                .build());
  EXPECT_EQ(test::event_lines(mid, 2),
            (std::vector<std::string>{"@0 (+0) PitchBend ch2 8192", "@0 (+0) NoteOn ch2 60 127",
                                      "@48 (+48) NoteOn ch2 60 0", "@96 (+48) NoteOn ch2 64 127",
                                      "@144 (+48) NoteOn ch2 64 0", "@144 (+0) EndOfTrack"}));
  EXPECT_EQ(result.err, test::banner() + "MIDI ch 01 converting...done.\nMIDI ch 02 converting...done.\n"
                                         "\nSetting Synchronous.Completed.\n");
}

TEST_F(Song, TempoOfAWaitingTrackLandsWhereItResumed) {
  const Bytes mid = convert(ZmdBuilder()
                                .tempo(120)
                                .track(test::kMidi1, {0x80, 144, 0, kSignal, 1, 60, 48, 48})
                                .track(test::kMidi1 + 1, {60, 48, 48, kWait, kSetTempo, 0, 60, 64, 48, 48})
                                .build());
  EXPECT_EQ(test::event_lines(mid, 0),
            (std::vector<std::string>{"@0 (+0) Tempo 500000", "@144 (+144) Tempo 1000000",
                                      "@144 (+0) EndOfTrack"}));
}

TEST_F(Song, AtMarksCutTheSpanOutOfEveryTrack) {
  const Bytes mid = convert(ZmdBuilder()
                                .track(test::kMidi1, {60, 96, 96, kMark, kAtMark, 62, 96, 96, kMark,
                                                      kAtMark, 64, 96, 96})
                                .track(test::kMidi1 + 1, {0x80, 48, 0, 65, 192, 192})
                                .build());
  EXPECT_EQ(test::event_lines(mid, 1),
            (std::vector<std::string>{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 127",
                                      "@96 (+96) Meta 01 '[@]'", "@96 (+0) NoteOn ch1 60 0",
                                      "@96 (+0) NoteOn ch1 64 127", "@192 (+96) NoteOn ch1 64 0",
                                      "@192 (+0) EndOfTrack"}));
  // The note-off at 96 is the span's first event; the note was struck before
  // the span, so its note-off stays. The second track's note sounds through.
  EXPECT_EQ(test::event_lines(mid, 2),
            (std::vector<std::string>{"@48 (+48) PitchBend ch2 8192", "@48 (+0) NoteOn ch2 65 127",
                                      "@144 (+96) NoteOn ch2 65 0", "@144 (+0) EndOfTrack"}));
}

TEST_F(Song, SingleAtMarkIsReported) {
  convert(ZmdBuilder().track(test::kMidi1, {60, 96, 96, kMark, kAtMark, 62, 96, 96}).build());
  EXPECT_NE(result.err.find(sjis("[@]が1個足りないか多すぎます。\n")), std::string::npos);
}

TEST_F(Song, CutMarkCutsItsOwnTrack) {
  const Bytes mid = convert(ZmdBuilder()
                                .track(test::kMidi1, {60, 48, 48, kMark, kCutMark, 62, 48, 48,
                                                      kMark, kCutMark, 64, 48, 48})
                                .track(test::kMidi1 + 1, {65, 144, 144})
                                .build());
  EXPECT_EQ(test::event_lines(mid, 1).back(), "@96 (+0) EndOfTrack");
  EXPECT_EQ(test::event_lines(mid, 2).back(), "@144 (+0) EndOfTrack");
}

TEST_F(Song, LoopCountsAreFittedToTheLongestLoopedTrack) {
  // A loops from 96 with 384 clocks a pass, B from 0 with 100: longest =
  // 864; A keeps 2 passes, B gets 8 and a fade delay of 64.
  const Bytes zmd = ZmdBuilder()
                        .track(test::kMidi1, {0x80, 96, 0, kMark, kDo, 60, 192, 192, 0x80, 192, 0,
                                              kMark, kLoop})
                        .track(test::kMidi1 + 1, {kMark, kDo, 62, 100, 100, kMark, kLoop})
                        .build();
  const Bytes mid = convert(zmd, {"-J", "-F0"});
  EXPECT_NE(result.err.find(sjis("[do]～[loop]の展開回数を調整します。\n")), std::string::npos);
  size_t a = 0, b = 0;
  for (const std::string& l : test::event_lines(mid, 1)) a += l.ends_with(" 127");
  for (const std::string& l : test::event_lines(mid, 2)) b += l.ends_with(" 127");
  EXPECT_EQ(a, 2u);
  EXPECT_EQ(b, 8u);
  EXPECT_EQ(test::event_lines(mid, 1).back(), "@864 (+192) EndOfTrack");
  EXPECT_EQ(test::event_lines(mid, 2).back(), "@800 (+0) EndOfTrack");
}

// A [coda] .. [tocoda] loop counts like [do]..[loop]: A's pass of 96 clocks
// is fitted to B's 300 with three passes.
TEST_F(Song, BackwardToCodaLoopsAreFittedToo) {
  const Bytes zmd = ZmdBuilder()
                        .track(test::kMidi1, {kMark, 6, 60, 96, 96, kMark, 7})
                        .track(test::kMidi1 + 1, {kMark, kDo, 62, 250, 250, 64, 50, 50, kMark, kLoop})
                        .build();
  const Bytes mid = convert(zmd, {"-J", "-L1", "-F0"});
  EXPECT_NE(result.err.find(sjis("[do]～[loop]の展開回数を調整します。\n")), std::string::npos);
  EXPECT_EQ(test::event_lines(mid, 1).back(), "@288 (+0) EndOfTrack");
  EXPECT_EQ(test::event_lines(mid, 2).back(), "@300 (+0) EndOfTrack");
}

}  // namespace
}  // namespace orvo
