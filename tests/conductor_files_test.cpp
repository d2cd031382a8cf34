// The conductor track's file inputs through the real executable: MDD files
// named by the song, and the signature file beside it.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/run.h"
#include "support/smf_check.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

using test::banner;
using test::Bytes;
using test::RunResult;
using test::sjis;
using test::write_file;
using test::ZmdBuilder;

class ConductorFiles : public ::testing::Test {
 protected:
  test::TempDir dir;

  RunResult convert(const Bytes& zmd, std::vector<std::string> args = {}) {
    write_file(dir.file("song.zmd"), zmd);
    args.push_back("song.zmd");
    return test::run_executable(dir.path().string(), args);
  }
  Bytes output() { return test::read_bytes(dir.file("song.MID")); }
  bool has_output() { return std::filesystem::exists(dir.file("song.MID")); }
};

TEST_F(ConductorFiles, MddMessagesAreSpacedByTheirWaitAndDelayTheTracks) {
  write_file(dir.file("SYSEX.MDD"), std::string("; GS reset and one more\r\nF0 41 10 42 12 40 00 7F 00 41 F7\r\nF0 7E 7F 09 01 F7\r\n"));
  const RunResult r = convert(ZmdBuilder().mdd("sysexes.dat").track(test::kMidi1, {}).build());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, banner() + sjis("sysexes.MDD:ファイルが存在しません。\n"));
  EXPECT_FALSE(has_output());

  const RunResult ok = convert(ZmdBuilder().mdd("SYSEX.dat").track(test::kMidi1, {}).build());
  ASSERT_EQ(ok.status, 0) << ok.err;
  EXPECT_EQ(ok.err, banner() + sjis(" MDDファイル[SYSEX.MDD]を読み込みます。\n") +
                        "MIDI ch 01 converting...done.\nCompleted.\n");
  const Bytes mid = output();
  test::expect_valid_smf(mid);
  EXPECT_EQ(test::track_events_bytes(mid, 0),
            (Bytes{0x0A, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7,
                   0x0A, 0xF0, 0x05, 0x7E, 0x7F, 0x09, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0x00}));
  // 20 clocks of MDD messages round up to the first whole note.
  EXPECT_EQ(test::track_events_bytes(mid, 1), (Bytes{0x81, 0x40, 0xFF, 0x2F, 0x00}));
}

TEST_F(ConductorFiles, MddWaitCountsTowardTheStartOnlyWhenItExceedsTheExclusiveWait) {
  write_file(dir.file("ONE.MDD"), std::string("F0 01 F7\r"));
  // -X 5: the MDD wait starts at 5; one message writes 5 clocks, not more than W.
  ASSERT_EQ(convert(ZmdBuilder().mdd("ONE").track(test::kMidi1, {}).build(), {"-x5"}).status, 0);
  Bytes mid = output();
  EXPECT_EQ(test::track_events_bytes(mid, 0), (Bytes{0x05, 0xF0, 0x02, 0x01, 0xF7, 0x00, 0xFF, 0x2F, 0x00}));
  // X stays 0: the track starts at clock 0.
  EXPECT_EQ(test::track_events_bytes(mid, 1), (Bytes{0x00, 0xFF, 0x2F, 0x00}));

  write_file(dir.file("TWO.MDD"), std::string("F0 01 F7 F0 02 F7\r"));
  ASSERT_EQ(convert(ZmdBuilder().mdd("TWO").track(test::kMidi1, {}).build(), {"-x5"}).status, 0);
  // 10 clocks of MDD waits exceed W = 5: S = 10 rounded up to 192.
  EXPECT_EQ(test::track_events_bytes(output(), 1), (Bytes{0x81, 0x40, 0xFF, 0x2F, 0x00}));
}

TEST_F(ConductorFiles, MddErrorsEndTheConversionWithoutAnOutput) {
  write_file(dir.file("BAD.MDD"), std::string("90 40 7F F7\r"));
  RunResult r = convert(ZmdBuilder().mdd("BAD").build());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, banner() + sjis(" MDDファイル[BAD.MDD]を読み込みます。\n") +
                       "MDD file: not exclusive mes.\n");
  EXPECT_FALSE(has_output());

  r = convert(ZmdBuilder().mdd(std::string(80, 'N')).build());
  EXPECT_EQ(r.status, 1);
  EXPECT_NE(r.err.find(sjis("MDDファイル名が長すぎます。")), std::string::npos) << r.err;
}

TEST_F(ConductorFiles, SignatureFileBesideTheSourceFillsTheConductor) {
  write_file(dir.file("song.sig"),
             sjis("* demo\n著:Someone\n楽:Lead\n拍:3/4, 3=6/8\n調:Bb, 3=Em\n拍:4/4 x\n"));
  const RunResult r = convert(ZmdBuilder().tempo(100).build());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, banner() + sjis("song.sig:signatureファイルを読み込みます。\n拍：format error.\n"
                                   "拍：format error.\n") +
                       "Completed.\n");
  const Bytes mid = output();
  test::expect_valid_smf(mid);
  const std::vector<std::string> events = test::event_lines(mid, 0);
  const std::vector<std::string> expected = {
      "@0 (+0) Meta 02 'Someone'",          "@0 (+0) Tempo 600000",
      "@0 (+0) TimeSig 3/4 cc=48 bb=8",     "@0 (+0) KeySig sf=-2 mi=0",
      "@288 (+288) TimeSig 6/8 cc=24 bb=8", "@288 (+0) KeySig sf=1 mi=1",
      "@288 (+0) EndOfTrack"};
  EXPECT_EQ(events, expected) << test::dump_smf(mid);
}

TEST_F(ConductorFiles, NamedSignatureFileAndUnreadableOne) {
  write_file(dir.file("notes.sig"), sjis("調:D\n"));
  RunResult r = convert(ZmdBuilder().build(), {"-g", "notes.txt"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(test::event_lines(output(), 0).front(), "@0 (+0) KeySig sf=2 mi=0");

  std::filesystem::create_directory(dir.file("song.sig"));
  r = convert(ZmdBuilder().build());
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, banner() + sjis("song.sig:signatureファイルを読み込みます。\n"
                                   "song.sig:読み込みに失敗しました。\n"));
}

TEST_F(ConductorFiles, UnsupportedKeyIsRefusedAndTheRestConverted) {
  write_file(dir.file("song.sig"), sjis("調:Fb, 2=C##, 3=G\n"));
  const RunResult r = convert(ZmdBuilder().build());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, banner() + sjis("song.sig:signatureファイルを読み込みます。\n"
                                   "調:MIDでは未サポートのコードです。\n"
                                   "調:MIDでは未サポートのコードです。\n") +
                       "Completed.\n");
  const Bytes mid = output();
  test::expect_valid_smf(mid);
  EXPECT_EQ(test::event_lines(mid, 0).front(), "@384 (+384) KeySig sf=1 mi=0");
}

}  // namespace
}  // namespace orvo
