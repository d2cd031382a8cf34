// Messages on a UTF-8 terminal: the same texts in UTF-8, names kept as they
// are; pipes, files and -e files keep the CP932 bytes.
#include <gtest/gtest.h>

#include <cstdarg>

#include "driver/console.h"
#include "run/messages.h"
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
  EXPECT_TRUE(wants_utf8(true, "utf8"));

  EXPECT_EQ(locale_codeset(nullptr, nullptr, "ja_JP.UTF-8"), "UTF-8");
  EXPECT_EQ(locale_codeset("", "C.utf8", "ja_JP.eucJP"), "utf8");       // LC_CTYPE before LANG
  EXPECT_EQ(locale_codeset("C", "C.UTF-8", "ja_JP.UTF-8"), "");         // LC_ALL wins, even as C
  EXPECT_EQ(locale_codeset(nullptr, nullptr, "de_DE.UTF-8@euro"), "UTF-8");
  EXPECT_EQ(locale_codeset(nullptr, nullptr, nullptr), "");
}

std::string utf8_message(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = format_message_utf8(format, args);
  va_end(args);
  return text;
}

// "[@%.2X]err" of the marker pass came out as itself on a UTF-8 terminal:
// %X was not among the conversions formatted, and its number was not taken.
TEST(Terminal, EveryNumberConversionOfTheMessagesIsFormattedInUtf8) {
  EXPECT_EQ(utf8_message("[@%.2X]err %.2x %02ld %d%% %s", 0xAB, 7, 5L, -3, "曲"),
            "[@AB]err 07 05 -3% 曲");
}

TEST(Terminal, MessagesAndUsageInUtf8WithNamesAsTheyAreAndTitlesReadAsCp932) {
  test::TempDir dir;
  test::ScopedCwd cwd{dir.path()};
  test::write_file("曲.zmd", test::ZmdBuilder().title(sjis("夜の曲")).track(test::kMidi1, {60, 48, 40}).build());
  test::RunResult r = run_inprocess({"曲.zmd", "-c"}, "", true);
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, banner() + "TITLE:夜の曲\nMIDI ch 01 converting...done.\nCompleted.\n");

  // A title whose CP932 bytes happen to be valid UTF-8 is still read as
  // CP932: "ﾃｽ" is C3 BD, which read as UTF-8 is "ý".
  test::write_file("kana.zmd", test::ZmdBuilder().title("\xC3\xBD").track(test::kMidi1, {60, 48, 40}).build());
  r = run_inprocess({"kana.zmd", "-c"}, "", true);
  EXPECT_EQ(r.err.substr(0, r.err.find("MIDI")), banner() + "TITLE:ﾃｽ\n");

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
