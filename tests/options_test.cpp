// The command line: switch groups, numbers and their range errors, file
// names, and the messages each mistake draws.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "driver/options.h"
#include "run/exit.h"
#include "support/run.h"

namespace orvo {
namespace {

using test::sjis;

struct Parsed {
  std::optional<ConvertOptions> options;  // empty when parsing ended the run
  int status = 0;
  std::string out;
  std::string err;
  int tempo_rounding = 0;
};

std::string drain(std::FILE* f) {
  std::string s;
  std::rewind(f);
  int c;
  while ((c = std::fgetc(f)) != EOF) s.push_back(static_cast<char>(c));
  return s;
}

Parsed parse(const std::vector<std::string>& args) {
  Session s;
  CommandRun run;
  run.console = Console{nullptr, std::tmpfile(), std::tmpfile()};
  run.session = &s;
  run.err_sink.file = run.console.err;
  attach_sink(s.err, run.err_sink);
  std::vector<const char*> argv{"orvo"};
  for (const auto& a : args) argv.push_back(a.c_str());
  Parsed p;
  try {
    p.options = parse_options(run, static_cast<int>(argv.size()), argv.data());
  } catch (const ProcessExit& e) {
    p.status = e.status;
    p.err = e.message;
  }
  close_sink(s.err, run.err_sink);
  p.out = drain(run.console.out);
  p.err = drain(run.console.err) + p.err;
  p.tempo_rounding = s.tempo_rounding;
  std::fclose(run.console.out);
  std::fclose(run.console.err);
  return p;
}

TEST(Options, DefaultsAndCaseInsensitiveSwitchesWithEitherIntroducer) {
  const Parsed d = parse({"song"});
  ASSERT_TRUE(d.options);
  EXPECT_EQ(d.options->track_buffer_kb, 16);
  EXPECT_EQ(d.options->init_gap, -1);
  EXPECT_EQ(d.options->keyoff_skip, 0);
  EXPECT_EQ(d.options->bend_interval, 1);
  EXPECT_EQ(d.options->loop_count, 2);
  EXPECT_EQ(d.options->fade_speed, 10);
  EXPECT_EQ(d.options->running_status, 1);
  EXPECT_EQ(d.options->source_name, "song");
  for (const char* arg : {"-L3", "-l3", "/l3"}) {
    const Parsed p = parse({arg, "song"});
    ASSERT_TRUE(p.options) << arg;
    EXPECT_EQ(p.options->loop_count, 3) << arg;
  }
}

TEST(Options, GroupsCarrySeveralSwitches) {
  Parsed p = parse({"-aj", "-l3f5", "-msu", "x"});
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->timer_a, 1);
  EXPECT_EQ(p.options->auto_loop, 1);
  EXPECT_EQ(p.options->loop_count, 3);
  EXPECT_EQ(p.options->fade_speed, 5);
  EXPECT_EQ(p.options->convert_fm, 1);
  EXPECT_EQ(p.options->running_status, 0);
  EXPECT_EQ(p.options->round_tempo, 1);
  EXPECT_EQ(p.tempo_rounding, 1);
}

TEST(Options, OptionalNumbersOfIAndR) {
  EXPECT_EQ(parse({"-i", "x"}).options->init_gap, 0);
  EXPECT_EQ(parse({"-i4", "x"}).options->init_gap, 4);
  EXPECT_EQ(parse({"-r", "x"}).options->keyoff_skip, -1);
  EXPECT_EQ(parse({"-r2", "x"}).options->keyoff_skip, 2);
  EXPECT_EQ(parse({"-f127", "-x0", "x"}).options->fade_speed, 127);
  const Parsed p = parse({"-i128", "x"});
  EXPECT_EQ(p.status, 1);
  EXPECT_EQ(p.err.substr(0, p.err.find('\n') + 1), sjis("-i128:数字が大きすぎます。\n"));
}

TEST(Options, InvalidNumberNamesTheTextAroundTheScanPosition) {
  struct Case {
    const char* arg;
    const char* shown;
  } cases[] = {{"-b0", "b0"}, {"-b", "-b"}, {"-bx", "-bx"}, {"-ab", "ab"}, {"-D", "-d"}};
  for (const Case& c : cases) {
    const Parsed p = parse({c.arg, "x"});
    EXPECT_EQ(p.status, 1) << c.arg;
    EXPECT_FALSE(p.out.empty()) << "usage expected for " << c.arg;
    EXPECT_EQ(p.err, std::string(c.shown) + sjis(":無効な数字を指定しました。\n")) << c.arg;
  }
}

TEST(Options, TooLargeNamesTheWholeArgument) {
  for (const char* arg : {"-b128", "-f128", "-F300", "-x200"}) {
    const Parsed p = parse({arg});
    std::string lower(arg);
    for (char& ch : lower) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
    EXPECT_EQ(p.status, 1);
    EXPECT_EQ(p.err, lower + sjis(":数字が大きすぎます。\n"));
  }
}

TEST(Options, NumberBeyond32BitsIsInvalid) {
  const Parsed p = parse({"-t99999999999", "x"});
  EXPECT_EQ(p.status, 1);
  EXPECT_EQ(p.err, sjis("無効な数字を指定しました。\n"));
  EXPECT_EQ(parse({"-t2147483647", "x"}).options->track_buffer_kb, 2147483647);
}

TEST(Options, InvalidSwitchNamesTheRestOfTheGroup) {
  const Parsed p = parse({"-aQz", "x"});
  EXPECT_EQ(p.status, 1);
  EXPECT_EQ(p.err, "qz" + sjis(":無効なスイッチを指定しました。\n"));
}

TEST(Options, UsageTextForNoArgumentsQuestionAndH) {
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{}, std::vector<std::string>{"-?"}, std::vector<std::string>{"/H"}}) {
    const Parsed p = parse(args);
    EXPECT_FALSE(p.options);
    EXPECT_EQ(p.status, 0);
    EXPECT_EQ(std::count(p.out.begin(), p.out.end(), '\n'), 18);
    EXPECT_EQ(p.out.substr(0, 12), sjis("使用法：orvo").substr(0, 12));
    EXPECT_NE(p.out.find(sjis("\t-g filename      signatureファイルを指定する\n\n")), std::string::npos);
    EXPECT_EQ(p.out.substr(p.out.rfind('\n', p.out.size() - 2) + 1),
              sjis("ピッチベンドが正しく変換されない場合、-i スイッチを用いて下さい.\n"));
  }
}

TEST(Options, LongHelpAndVersion) {
  Parsed p = parse({"--help"});
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.out, parse({"-h"}).out);
  p = parse({"-l3", "--version", "song"});
  EXPECT_FALSE(p.options);
  EXPECT_EQ(p.status, 0);
  EXPECT_EQ(p.out, "orvo 1.50\n");
  EXPECT_EQ(p.err, "");
  p = parse({"--verbose"});  // any other long name is still a group of switches
  EXPECT_EQ(p.status, 1);
  EXPECT_EQ(p.err, sjis("-verbose:無効なスイッチを指定しました。\n"));
}

// An argument starting with "/" is a path when it holds a second "/" or
// names something that exists; "/L3", "/aj", "/?" and "/" stay switches.
TEST(Options, AbsolutePathsAreSourcesAndShortSlashGroupsStaySwitches) {
  Parsed p = parse({"/home/me/music/song.zmd", "/L3", "/aj"});
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->source_name, "/home/me/music/song.zmd");
  EXPECT_EQ(p.options->loop_count, 3);
  EXPECT_EQ(p.options->auto_loop, 1);
  EXPECT_EQ(p.err, "");

  p = parse({"/tmp"});  // an existing folder, with no second "/"
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->source_name, "/tmp");

  p = parse({"/m/l3"});  // was an invalid switch, now a path
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->source_name, "/m/l3");
  EXPECT_EQ(p.options->loop_count, 2);

  p = parse({"/"});
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->source_name, "-");
  EXPECT_EQ(parse({"/?"}).status, 0);
  EXPECT_EQ(parse({"/nothere"}).err, sjis("nothere:無効なスイッチを指定しました。\n"));
}

TEST(Options, FileNamesAttachedAreLowerCasedNextArgumentsKeepCase) {
  Parsed p = parse({"-oOUT.MID", "-g", "Notes.TXT", "x"});
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->dest_name, "out.mid");
  EXPECT_EQ(p.options->signature_name, "Notes.TXT");
  EXPECT_EQ(parse({"-o", "OUT.MID", "x"}).options->dest_name, "OUT.MID");
  EXPECT_EQ(parse({"-c", "-o", "a", "x"}).options->dest_name, "a");
  EXPECT_EQ(parse({"-o", "a", "-c", "x"}).options->dest_name, "-");
  // The name ends the group: letters after it are part of the name.
  EXPECT_EQ(parse({"-oxa", "s"}).options->timer_a, 0);
}

TEST(Options, MissingFileNameShowsUsage) {
  for (const char* letter : {"e", "g", "o"}) {
    const Parsed p = parse({"x", std::string("-") + letter});
    EXPECT_EQ(p.status, 1);
    EXPECT_EQ(p.err, std::string("-") + letter + sjis(":ファイル名が指定されていません。\n"));
    EXPECT_FALSE(p.out.empty());
  }
}

TEST(Options, SourcesPlainAndStandardInput) {
  Parsed p = parse({"first", "second"});
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->source_name, "first");
  EXPECT_EQ(p.err, sjis("入力ファイルが３つ以上存在します。\n"));

  EXPECT_EQ(parse({"-"}).options->source_name, "-");
  const Parsed twice = parse({"-", "/"});
  EXPECT_EQ(twice.status, 1);
  EXPECT_EQ(twice.err, sjis("Error: 入力ファイルが多すぎます。\n"));
  EXPECT_TRUE(twice.out.empty());
}

// A long name is no long switch: only switch groups draw the warning, so a
// file with a long path converts without one.
TEST(Options, LongSwitchGroupIsReportedAndStillUsedButALongNameIsNot) {
  const std::string name(70, 'a');
  Parsed p = parse({name, "-l3" + std::string(70, 'm')});
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.options->source_name, name);
  EXPECT_EQ(p.options->loop_count, 3);
  EXPECT_EQ(p.err, sjis("option:オプション文字列が長すぎます。\n"));

  p = parse({"/" + name + "/" + name + ".zmd"});
  ASSERT_TRUE(p.options);
  EXPECT_EQ(p.err, "");
}

TEST(Options, ErrorFileTakesEffectAtOnceAndAnUnopenableOneIsIgnored) {
  test::TempDir dir;
  const std::string log = dir.file("log.txt");
  const Parsed p = parse({"-e", log, "-q"});
  EXPECT_EQ(p.status, 1);
  EXPECT_EQ(p.err, "");
  EXPECT_EQ(test::read_file(log), "q" + sjis(":無効なスイッチを指定しました。\n"));

  const Parsed q = parse({"-e", dir.file("no/such/dir/log"), "-q"});
  EXPECT_EQ(q.err, "q" + sjis(":無効なスイッチを指定しました。\n"));
}

}  // namespace
}  // namespace orvo
