// Finding a song's files as a Linux user names them: absolute paths, MDD
// files beside the source, and names whose case differs from what the song
// says.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver/file_lookup.h"
#include "support/run.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

namespace fs = std::filesystem;
using test::banner;
using test::read_file;
using test::run_inprocess;
using test::sjis;
using test::write_file;
using test::ZmdBuilder;

const std::string kMdd = "F0 41 10 42 12 40 00 7F 00 41 F7\r\n";

class Lookup : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::ScopedCwd cwd{dir.path()};
  test::Bytes song = ZmdBuilder().tempo(120).track(test::kMidi1, {60, 48, 40}).build();
  void SetUp() override { fs::create_directory("music"); }
};

TEST_F(Lookup, SourceWithTheExtensionInAnotherCaseAndTheFirstOfSeveralInSortedOrder) {
  write_file("music/song.zmd", song);
  test::RunResult r = run_inprocess({"music/song"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(fs::exists("music/song.MID"));

  write_file("music/Song.zmd", song);  // 'S' sorts before 's'
  r = run_inprocess({"music/SONG", "-c"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, read_file("music/song.MID"));

  write_file("music/song.ZMD", test::Bytes{0});  // the exact name wins
  r = run_inprocess({"music/song"});
  EXPECT_EQ(r.err, banner() + sjis("Error: music/song.ZMDは ZMD形式のフォーマットではありません。\n"));

  // Only the extension is looked up in another case; the name as typed is not.
  EXPECT_EQ(run_inprocess({"music/SONG.ZMD"}).status, 1);
}

TEST_F(Lookup, MddFileInTheCurrentFolderThenBesideTheSourceExactNamesFirst) {
  write_file("music/song.zmd", ZmdBuilder().mdd("M1_ZM_STD").track(test::kMidi1, {}).build());
  write_file("music/m1_zm_std.mdd", kMdd);
  test::RunResult r = run_inprocess({"music/song.zmd"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, banner() + sjis(" MDDファイル[music/m1_zm_std.mdd]を読み込みます。\n") +
                       "MIDI ch 01 converting...done.\nCompleted.\n");

  write_file("music/M1_ZM_STD.MDD", kMdd);
  r = run_inprocess({"music/song.zmd"});
  EXPECT_NE(r.err.find("[music/M1_ZM_STD.MDD]"), std::string::npos) << r.err;

  write_file("m1_zm_std.MDD", kMdd);  // in the current folder, but not the exact name
  r = run_inprocess({"music/song.zmd"});
  EXPECT_NE(r.err.find("[music/M1_ZM_STD.MDD]"), std::string::npos) << r.err;

  write_file("M1_ZM_STD.MDD", kMdd);
  r = run_inprocess({"music/song.zmd"});
  EXPECT_NE(r.err.find("[M1_ZM_STD.MDD]"), std::string::npos) << r.err;
}

TEST_F(Lookup, SignatureFileInAnotherCaseBesideAnAbsoluteSource) {
  write_file("music/song.zmd", song);
  write_file("music/SONG.SIG", sjis("調:D\n"));
  const std::string source = (dir.path() / "music/song.zmd").string();
  const test::RunResult r = run_inprocess({source});
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string signature = (dir.path() / "music/SONG.SIG").string();
  EXPECT_EQ(r.err.substr(0, banner().size() + signature.size() + 1), banner() + signature + ":");
  EXPECT_TRUE(fs::exists("music/song.MID")) << "written beside its source";
}

// A single lookup scans the folder once instead of sorting its listing: it
// must still pass over folders, and links to folders, that sort before the
// file, and pick the first of several files in sorted order.
TEST_F(Lookup, SingleLookupPassesOverFoldersAndKeepsTheSortedFirstFile) {
  fs::create_directory("music/A.MDD");
  fs::create_directory_symlink("A.MDD", "music/B.mdd");
  write_file("music/a.mdd", kMdd);
  write_file("music/b.MDD", kMdd);
  write_file("music/c.mdd", kMdd);
  write_file("music/C.mdd", kMdd);
  EXPECT_EQ(find_ignoring_case("music/a.MDD"), "music/a.mdd");
  EXPECT_EQ(find_ignoring_case("music/B.MDD"), "music/b.MDD");
  EXPECT_EQ(find_ignoring_case("music/c.MDD"), "music/C.mdd");  // 'C' sorts before 'c'
  EXPECT_EQ(find_ignoring_case("music/d.mdd"), "");
  FolderListings listings;  // the batch converter's cached listing agrees
  EXPECT_EQ(find_ignoring_case("music/B.MDD", &listings), "music/b.MDD");
  EXPECT_EQ(find_ignoring_case("music/c.MDD", &listings), "music/C.mdd");
}

TEST(NameFolding, AsciiCaseOnlyAndNeverTheSecondByteOfATwoByteCharacter) {
  EXPECT_TRUE(same_name_ignoring_case("M1_ZM_STD.MDD", "m1_zm_std.mdd"));
  EXPECT_FALSE(same_name_ignoring_case("song.zmd", "song.zmd~"));
  // ア is 83 41 and ヂ is 83 61: the same letters 'A' and 'a' as second bytes.
  EXPECT_FALSE(same_name_ignoring_case("\x83\x41.sig", "\x83\x61.sig"));
  EXPECT_TRUE(same_name_ignoring_case("\x83\x41X.sig", "\x83\x41x.SIG"));
  EXPECT_EQ(folder_of("/song.zmd"), "/");
  EXPECT_EQ(folder_of("a/b/song.zmd"), "a/b");
  EXPECT_EQ(folder_of("song.zmd"), "");
}

}  // namespace
}  // namespace orvo
