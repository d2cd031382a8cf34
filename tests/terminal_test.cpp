// Messages on a UTF-8 terminal: the same texts in UTF-8, names kept as they
// are; pipes, files and -e files keep the CP932 bytes.
#include <gtest/gtest.h>

#include "run/console.h"
#include "support/run.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

using test::banner;
using test::run_inprocess;
using test::sjis;

TEST(Terminal, Utf8OnlyForATerminalWhoseCharacterSetIsUtf8) {
  EXPECT_TRUE(wants_utf8(true, "UTF-8"));
  EXPECT_FALSE(wants_utf8(false, "UTF-8"));
  EXPECT_FALSE(wants_utf8(true, "ANSI_X3.4-1968"));
  EXPECT_FALSE(wants_utf8(true, "EUC-JP"));
  EXPECT_FALSE(wants_utf8(true, nullptr));
}

TEST(Terminal, MessagesAndUsageInUtf8WithNamesAsTheyAreAndTitlesReadAsCp932) {
  test::TempDir dir;
  test::ScopedCwd cwd{dir.path()};
  test::write_file("曲.zmd", test::ZmdBuilder().title(sjis("夜の曲")).track(test::kMidi1, {60, 48, 40}).build());
  test::RunResult r = run_inprocess({"曲.zmd", "-c"}, "", true);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, banner() + "TITLE:夜の曲\nMIDI ch 01 converting...done.\nCompleted.\n");

  r = run_inprocess({"無い.zmd"}, "", true);
  EXPECT_EQ(r.err, banner() + "無い.zmd\tError: file not found.\n");
  test::write_file("x.zmd", std::string("no song"));
  r = run_inprocess({"x.zmd"}, "", true);
  EXPECT_EQ(r.err, banner() + "Error: x.zmdは ZMD形式のフォーマットではありません。\n");

  r = run_inprocess({"-h"}, "", true);
  EXPECT_EQ(r.out.substr(0, r.out.find('\n')),
            "使用法：orvo [-switches] [source[.ZMD] [-o destination[.MID]]] [-e errfile]");

  // The -e file gets the CP932 bytes, whatever the terminal.
  r = run_inprocess({"-e", "log.txt", "x.zmd"}, "", true);
  EXPECT_EQ(test::read_file("log.txt"), sjis("Error: x.zmdは ZMD形式のフォーマットではありません。\n"));
}

}  // namespace
}  // namespace orvo
