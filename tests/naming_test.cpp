// Source loading and destination naming.
#include <gtest/gtest.h>

#include <filesystem>

#include "driver/naming.h"
#include "support/run.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

using test::read_file;
using test::sjis;
using test::write_file;

TEST(Naming, ExtensionReplacedFromTheLastDotAfterTheFirstCharacter) {
  EXPECT_EQ(replace_extension("song.zmd", ".MID"), "song.MID");
  EXPECT_EQ(replace_extension("song", ".MID"), "song.MID");
  EXPECT_EQ(replace_extension(".hidden", ".sig"), ".hidden.sig");
  EXPECT_EQ(replace_extension("a.b.c", ".MDD"), "a.b.MDD");
  EXPECT_EQ(replace_extension("dir.x\\song", ".MID"), "dir.MID");
  EXPECT_EQ(replace_extension("-", ".MID"), "-.MID");
}

TEST(Naming, DirectoryStrippedAtTheLastSingleByteBackslash) {
  EXPECT_EQ(strip_directory("data\\song.MID"), "song.MID");
  EXPECT_EQ(strip_directory("a\\b\\c.MID"), "c.MID");
  EXPECT_EQ(strip_directory("song.MID"), "song.MID");
  // 0x95 0x5C is one two-byte character (表); its second byte is no separator.
  EXPECT_EQ(strip_directory("\x95\x5C\\x.MID"), "x.MID");
  EXPECT_EQ(strip_directory("\x95\x5Cx.MID"), "\x95\x5Cx.MID");
  EXPECT_TRUE(is_sjis_lead(0x81) && is_sjis_lead(0x9F) && is_sjis_lead(0xE0) && is_sjis_lead(0xFC));
  EXPECT_FALSE(is_sjis_lead(0x80) || is_sjis_lead(0xA0) || is_sjis_lead(0xDF) || is_sjis_lead(0xFD));
}

class Conversions : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::ScopedCwd cwd{dir.path()};
  std::vector<uint8_t> zmd = test::ZmdBuilder().tempo(120).build();
};

TEST_F(Conversions, DefaultExtensionIsTriedWhenTheNameDoesNotOpen) {
  write_file("song.ZMD", zmd);
  const test::RunResult r = test::run_inprocess({"song"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(std::filesystem::exists("song.MID"));
}

TEST_F(Conversions, NameWithoutExtensionIsLoadedAsIs) {
  write_file("song", zmd);
  EXPECT_EQ(test::run_inprocess({"song"}).status, 0);
  EXPECT_TRUE(std::filesystem::exists("song.MID"));
}

TEST_F(Conversions, MissingFileShowsTheNameAsTyped) {
  const test::RunResult r = test::run_inprocess({"nothing"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, test::banner() + "nothing\tError: file not found.\n");
}

TEST_F(Conversions, GivenDestinationGetsTheMidiExtensionAndKeepsItsFolder) {
  write_file("song.zmd", zmd);
  std::filesystem::create_directory("out");
  EXPECT_EQ(test::run_inprocess({"song.zmd", "-o", "out/x.mid"}).status, 0);
  EXPECT_TRUE(std::filesystem::exists("out/x.MID"));
  EXPECT_EQ(test::run_inprocess({"song.zmd", "-o", "plain"}).status, 0);
  EXPECT_TRUE(std::filesystem::exists("plain.MID"));
}

TEST_F(Conversions, StandardInputNeedsADestination) {
  const test::RunResult r = test::run_inprocess({"-"}, std::string(zmd.begin(), zmd.end()));
  EXPECT_EQ(r.status, 11);
  EXPECT_EQ(r.err, test::banner() + "Error: destination file is not specified.\n");
}

TEST_F(Conversions, StandardInputAndFileGiveTheSameBytes) {
  write_file("song.zmd", zmd);
  ASSERT_EQ(test::run_inprocess({"song.zmd"}).status, 0);
  const test::RunResult r = test::run_inprocess({"-", "-c"}, std::string(zmd.begin(), zmd.end()));
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.out, read_file("song.MID"));
  EXPECT_FALSE(std::filesystem::exists("-.MID"));
}

TEST_F(Conversions, DirectoryIsNotTakenForTheSource) {
  std::filesystem::create_directory("song");
  write_file("song.ZMD", zmd);
  EXPECT_EQ(test::run_inprocess({"song"}).status, 0);
}

TEST_F(Conversions, EmptyFileIsNotZmd) {
  write_file("empty.zmd", std::string());
  const test::RunResult r = test::run_inprocess({"empty.zmd"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err, test::banner() + sjis("Error: empty.zmdは ZMD形式のフォーマットではありません。\n"));
}

}  // namespace
}  // namespace orvo
