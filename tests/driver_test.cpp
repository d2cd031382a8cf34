// The conversion as a whole: header decision, track table walk, mode lines,
// the written file and how failures leave the destination.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run.h"
#include "support/smf_check.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

using test::banner;
using test::Bytes;
using test::read_bytes;
using test::RunResult;
using test::sjis;
using test::write_file;
using test::ZmdBuilder;

class Driver : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::ScopedCwd cwd{dir.path()};

  // Converts `zmd` as song.zmd with extra arguments; returns the run.
  RunResult convert(const Bytes& zmd, std::vector<std::string> args = {}) {
    write_file("song.zmd", zmd);
    args.insert(args.begin(), "song.zmd");
    return test::run_inprocess(args);
  }
  Bytes output() { return read_bytes("song.MID"); }
};

TEST_F(Driver, EmptyTracksEndAtTheStartOffset) {
  const Bytes zmd = ZmdBuilder().track(test::kMidi1, {}).track(test::kMidi1 + 1, {}).build();
  const RunResult r = convert(zmd, {"-x5"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, banner() + "MIDI ch 01 converting...done.\nMIDI ch 02 converting...done.\n" +
                       "Completed.\n");
  const Bytes mid = output();
  test::expect_valid_smf(mid);
  EXPECT_EQ(Bytes(mid.begin(), mid.begin() + 14),
            (Bytes{'M', 'T', 'h', 'd', 0, 0, 0, 6, 0, 1, 0, 3, 0, 48}));
  EXPECT_EQ(test::track_events_bytes(mid, 0), (Bytes{0x00, 0xFF, 0x2F, 0x00}));
  // No exclusive message: the tracks start at clock 0 despite -X.
  EXPECT_EQ(test::track_events_bytes(mid, 1), (Bytes{0x00, 0xFF, 0x2F, 0x00}));
}

TEST_F(Driver, MagicOfEitherFormAndVersionClasses) {
  const Bytes plain = ZmdBuilder().magic(0x10).build();
  ASSERT_EQ(convert(plain).status, 0);
  const Bytes first = output();
  ASSERT_EQ(convert(ZmdBuilder().magic(0x1A).build()).status, 0);
  EXPECT_EQ(output(), first);

  for (int v : {0x00, 0x2F, 0x40, 0xEF}) {
    const RunResult r = convert(ZmdBuilder().version(static_cast<uint8_t>(v)).build());
    EXPECT_EQ(r.status, 0) << v;
    EXPECT_EQ(r.err, banner() + "Completed.\n") << v;
  }
  for (int v : {0x30, 0x3F}) {
    const RunResult r = convert(ZmdBuilder().version(static_cast<uint8_t>(v)).build());
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err, banner() + sjis("Error: Z-MUSIC V3 のデータは変換出来ません。\n"
                                     "PLX.x(みなとさん作)やk7p4.x(拙作)をお使い下さい。\n"
                                     "ちなみに、前者がお勧めです:-)\n"));
  }
  for (int v : {0xF0, 0xFF}) {
    const RunResult r = convert(ZmdBuilder().version(static_cast<uint8_t>(v)).build());
    EXPECT_EQ(r.status, 0);
    EXPECT_EQ(r.err, banner() +
                         sjis("Warning: 改造したZ-MUSICのデータは恐らく変換に失敗するでしょう。\n") +
                         "Completed.\n");
  }
  Bytes bad = plain;
  bad[3] = 'X';
  const RunResult r = convert(bad);
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, banner() + sjis("Error: song.zmdは ZMD形式のフォーマットではありません。\n"));
}

TEST_F(Driver, TrackCountFollowsTheTerminatorAtEvenOrOddOffset) {
  const Bytes head{0x10, 'Z', 'm', 'u', 'S', 'i', 'C', 0x20};
  // Terminator at 8 (even): a padding byte, the count at 10.
  Bytes even = head;
  even.insert(even.end(), {0xFF, 0xEE, 0x00, 0x01, 0, 0, 0, 2, 0x55, 0x09, 0xFF});
  // Terminator at 9 (odd): no padding, the count at 10 again.
  Bytes odd = head;
  odd.insert(odd.end(), {0x15, 0xFF, 0x00, 0x01, 0, 0, 0, 2, 0x55, 0x09, 0xFF});
  for (const Bytes& zmd : {even, odd}) {
    ASSERT_EQ(convert(zmd).status, 0);
    EXPECT_EQ(output()[11], 2) << "conductor and one track";
  }
}

TEST_F(Driver, ZeroOrNegativeTrackCountGivesTheConductorOnly) {
  for (int16_t count : {int16_t{0}, int16_t{-1}, int16_t{-32768}}) {
    const RunResult r = convert(ZmdBuilder().track_count_override(count).build());
    ASSERT_EQ(r.status, 0) << count;
    const Bytes mid = output();
    EXPECT_EQ(mid[11], 1);
    test::expect_valid_smf(mid);
  }
}

TEST_F(Driver, TrackCountAboveCapacityIsRefused) {
  const RunResult r = convert(ZmdBuilder().track_count_override(80).build());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, banner() + sjis("Error: トラック数 80 は多すぎます(79 まで)。\n"));
  EXPECT_FALSE(std::filesystem::exists("song.MID"));

  ZmdBuilder b;
  for (int k = 0; k < 79; ++k) b.track(test::kMidi1, {});
  ASSERT_EQ(convert(b.build()).status, 0);
  EXPECT_EQ(output()[11], 80);
}

TEST_F(Driver, TrackStartOutsideTheFileIsRefused) {
  // One track whose relative offset points far beyond the data.
  Bytes zmd = ZmdBuilder().track(test::kMidi1, {}).build();
  zmd[12] = 0x10;  // relative offset 0x10xxxxxx
  const RunResult r = convert(zmd);
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(sjis("トラック 1 の開始位置")), std::string::npos) << r.err;

  // A table claiming more tracks than the file holds reads 0xFF offsets.
  const RunResult t = convert(ZmdBuilder().track_count_override(3).build());
  EXPECT_EQ(t.status, 1);
}

TEST_F(Driver, ModeLinesInOrder) {
  const RunResult r = convert(ZmdBuilder().build(), {"-amij"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, banner() + sjis("TIMER-Aモードです。\nFMトラックも変換します。\n"
                                   "ドライバの送る初期化コードを埋め込みます。\n"
                                   "[do]～[loop]の展開回数を自動調整します。\n") +
                       "Completed.\n");
}

// A -t of 0 used to allocate buffers too small for the chunk header.
TEST_F(Driver, ZeroKilobyteBuffersStillConvert) {
  const Bytes zmd = ZmdBuilder().tempo(90).track(test::kMidi1, {}).build();
  ASSERT_EQ(convert(zmd).status, 0);
  const Bytes expected = output();
  ASSERT_EQ(convert(zmd, {"-t0"}).status, 0);
  EXPECT_EQ(output(), expected);
}

TEST_F(Driver, NoSourceName) {
  const RunResult r = test::run_inprocess({"-a"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, banner() + sjis("Error: 入力ファイルが指定されていません。\n"));
}

TEST_F(Driver, UnwritableDestinationLeavesNothingBehind) {
  const RunResult r = convert(ZmdBuilder().build(), {"-o", "missing/dir/out.mid"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, banner() + sjis("\nError: ファイルの書き込みに失敗しました。\n"));
}

TEST_F(Driver, ExistingDestinationIsReplacedWholeAndNoTemporaryRemains) {
  write_file("song.MID", std::string(100000, 'x'));
  ASSERT_EQ(convert(ZmdBuilder().build()).status, 0);
  test::expect_valid_smf(output());
  for (const auto& entry : std::filesystem::directory_iterator(".")) {
    EXPECT_EQ(entry.path().string().find(".tmp"), std::string::npos) << entry.path();
  }
}

TEST_F(Driver, FailedConversionLeavesTheOldDestinationUntouched) {
  write_file("song.MID", std::string("old"));
  const RunResult r = convert(ZmdBuilder().common({0x4A, 0, 0, 40, 0, 0, 0}).build());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(test::read_file("song.MID"), "old");
}

TEST_F(Driver, ConsecutiveConversionsDoNotShareState) {
  // -U in one run must not round the tempo of the next.
  const Bytes zmd = ZmdBuilder().tempo(7).build();
  ASSERT_EQ(convert(zmd, {"-u"}).status, 0);
  const Bytes rounded = test::track_events_bytes(output(), 0);
  ASSERT_EQ(convert(zmd).status, 0);
  const Bytes truncated = test::track_events_bytes(output(), 0);
  EXPECT_EQ(rounded, (Bytes{0x00, 0xFF, 0x51, 0x03, 0x82, 0xCA, 0x25, 0x00, 0xFF, 0x2F, 0x00}));
  EXPECT_EQ(truncated, (Bytes{0x00, 0xFF, 0x51, 0x03, 0x82, 0xCA, 0x24, 0x00, 0xFF, 0x2F, 0x00}));
}

}  // namespace
}  // namespace orvo
