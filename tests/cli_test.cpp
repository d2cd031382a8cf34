// The real executable: standard streams, exit statuses, message bytes, and
// the bundled demo song.
#include <gtest/gtest.h>

#include <filesystem>

#include "support/demo_song.h"
#include "support/run.h"
#include "support/smf_check.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

using test::banner;
using test::Bytes;
using test::read_file;
using test::RunResult;
using test::run_executable;
using test::sjis;
using test::write_file;

class Cli : public ::testing::Test {
 protected:
  test::TempDir dir;
  Bytes song = test::ZmdBuilder().tempo(120).title("t").track(test::kMidi1, {60, 48, 40}).build();
  std::string song_text() const { return std::string(song.begin(), song.end()); }
};

TEST_F(Cli, UsageOnStandardOutputWithStatusZero) {
  const RunResult r = run_executable(dir.path().string(), {});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, banner());
  EXPECT_EQ(r.out.substr(0, sjis("使用法：orvo ").size()), sjis("使用法：orvo "));
  EXPECT_EQ(run_executable(dir.path().string(), {"-h"}).status, 0);
}

TEST_F(Cli, StandardInputToStandardOutput) {
  const RunResult r = run_executable(dir.path().string(), {"-", "-c"}, song_text());
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, banner() + "TITLE:t\nMIDI ch 01 converting...done.\nCompleted.\n");
  test::expect_valid_smf(Bytes(r.out.begin(), r.out.end()));
  EXPECT_TRUE(std::filesystem::is_empty(dir.path())) << "nothing but standard output written";
}

TEST_F(Cli, FileToDerivedDestination) {
  write_file(dir.file("Song.zmd"), song);
  const RunResult r = run_executable(dir.path().string(), {"Song.zmd"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.empty());
  test::expect_valid_smf(test::read_bytes(dir.file("Song.MID")));
}

TEST_F(Cli, ExitStatusesAndTheirMessages) {
  RunResult r = run_executable(dir.path().string(), {"-"}, song_text());
  EXPECT_EQ(r.status, 11);
  EXPECT_EQ(r.err, banner() + "Error: destination file is not specified.\n");

  r = run_executable(dir.path().string(), {"absent"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, banner() + "absent\tError: file not found.\n");

  r = run_executable(dir.path().string(), {"-q"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, banner() + "q" + sjis(":無効なスイッチを指定しました。\n"));
  EXPECT_NE(r.out.find(sjis("標準入力を用いる")), std::string::npos);
}

TEST_F(Cli, ErrorFileReceivesEverythingAfterTheSwitch) {
  write_file(dir.file("a.zmd"), song);
  const RunResult r = run_executable(dir.path().string(), {"-e", "log.txt", "a.zmd", "-i"});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, banner());
  EXPECT_EQ(read_file(dir.file("log.txt")),
            sjis("ドライバの送る初期化コードを埋め込みます。\n") + "TITLE:t\nMIDI ch 01 converting...done.\nCompleted.\n");
}

// --version says only that, as version switches do: no banner.
TEST_F(Cli, VersionAloneWritesNothingElse) {
  const RunResult r = run_executable(dir.path().string(), {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "orvo 1.50\n");
  EXPECT_EQ(r.err, "");
}

TEST_F(Cli, MessagesAreShiftJisBytes) {
  write_file(dir.file("v3.zmd"), test::ZmdBuilder().version(0x30).build());
  const RunResult r = run_executable(dir.path().string(), {"v3.zmd"});
  EXPECT_EQ(r.status, 1);
  // "Error: Z-MUSIC V3 のデータ" in CP932: の is 0x82 0xCC.
  EXPECT_NE(r.err.find("Error: Z-MUSIC V3 \x82\xCC"), std::string::npos);
}

TEST(Demo, CommittedSongMatchesItsRecipe) {
  const Bytes committed = test::read_bytes(ORVO_SOURCE_DIR "/examples/demo.zmd");
  EXPECT_EQ(committed, test::demo_song()) << "run 'make demo' to regenerate examples/demo.zmd";
}

TEST(Demo, ConvertsWithItsSignatureFile) {
  test::TempDir dir;
  const RunResult r =
      run_executable(ORVO_SOURCE_DIR, {"-c", "examples/demo.zmd"});
  ASSERT_EQ(r.status, 0) << r.err;
  const Bytes mid(r.out.begin(), r.out.end());
  test::expect_valid_smf(mid);
  EXPECT_EQ(mid[11], 4) << "conductor and three tracks";
  EXPECT_NE(r.err.find("examples/demo.sig"), std::string::npos) << r.err;
  const std::string dump = test::dump_smf(mid);
  EXPECT_NE(dump.find("orvo demo"), std::string::npos) << dump;
}

}  // namespace
}  // namespace orvo
