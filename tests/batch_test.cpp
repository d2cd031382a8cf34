// orvo-batch end to end on small trees of generated songs: the same bytes as
// single orvo runs, the skip rule, --out, damaged songs among good ones,
// the command line, and the same results whatever -j is.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "run/cp932.h"
#include "support/run.h"
#include "support/smf_check.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

namespace fs = std::filesystem;
using test::Bytes;
using test::read_file;
using test::RunResult;
using test::run_batch_inprocess;
using test::ZmdBuilder;

Bytes short_song(uint8_t pitch) {
  return ZmdBuilder().tempo(120).title("short").track(test::kMidi1, {pitch, 48, 40}).build();
}

// Four tracks with a loop each, long enough to be converted while others are.
Bytes long_song(uint8_t pitch) {
  ZmdBuilder b;
  b.tempo(132).title("long");
  for (uint8_t ch = 0; ch < 4; ++ch) {
    Bytes t{0xC0, 9};
    for (int n = 0; n < 300; ++n) t.insert(t.end(), {static_cast<uint8_t>(pitch + (n + ch) % 12), 12, 10});
    t.insert(t.end(), {0xC0, 10});
    b.track(static_cast<uint8_t>(test::kMidi1 + ch), t);
  }
  return b.build();
}

// A valid header over a common section that sets a tempo of 0.
Bytes damaged_song() { return ZmdBuilder().common({0x05, 0, 0}).track(test::kMidi1, {60, 48, 40}).build(); }

class Batch : public ::testing::Test {
 protected:
  test::TempDir dir;
  test::ScopedCwd cwd{dir.path()};

  void put(const std::string& path, const Bytes& bytes) {
    if (path.find('/') != std::string::npos) fs::create_directories(fs::path(path).parent_path());
    test::write_file(path, bytes);
  }

  // music/ holds four songs, one of them damaged, and files that are no songs.
  void music_tree() {
    put("music/a.zmd", short_song(60));
    put("music/-dash.zmd", short_song(62));
    put("music/sub/Long.ZMD", long_song(48));
    put("music/sub/bad.zmd", damaged_song());
    put("music/readme.txt", test::bytes_of("not a song"));
    put("music/a.zmd.bak", short_song(64));
  }

  // The last message line orvo writes for `source`, in UTF-8.
  std::string orvo_last_line(const std::string& source) {
    const RunResult r = test::run_executable(dir.path().string(), {source, "-o", "scratch.MID"});
    std::string err = cp932_to_utf8(r.err);
    err.pop_back();
    return err.substr(err.rfind('\n') + 1);
  }
};

TEST_F(Batch, ConvertsATreeAsOrvoDoesAndReportsTheDamagedSong) {
  music_tree();
  const RunResult r = run_batch_inprocess({"-m", "-L3", "music"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "converted 3, skipped 0, failed 1\n  music/sub/bad.zmd: status 1: " +
                       orvo_last_line("music/sub/bad.zmd") + "\n");
  EXPECT_EQ(r.err, "") << "no progress line off a terminal";

  const std::vector<std::pair<std::string, std::string>> made{
      {"music/a.zmd", "music/a.MID"}, {"music/-dash.zmd", "music/-dash.MID"}, {"music/sub/Long.ZMD", "music/sub/Long.MID"}};
  for (const auto& [source, mid] : made) {
    const RunResult single =
        test::run_executable(dir.path().string(), {"-m", "-L3", "./" + source, "-o", "single.MID"});
    ASSERT_EQ(single.status, 0) << single.err;
    const Bytes bytes = test::read_bytes(mid);
    EXPECT_EQ(bytes, test::read_bytes("single.MID")) << source;
    test::expect_valid_smf(bytes);
  }
  fs::remove("single.MID");
  EXPECT_FALSE(fs::exists("music/sub/bad.MID"));
  EXPECT_FALSE(fs::exists("music/a.zmd.MID"));
  EXPECT_FALSE(fs::exists("music/readme.MID"));
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator("music")) files += e.is_regular_file() ? 1 : 0;
  EXPECT_EQ(files, 9u) << "six inputs and three MIDI files, no temporary file left";
}

// The files and the log do not depend on how many songs run at a time.
TEST_F(Batch, SameBytesAndLogWhateverTheNumberOfJobs) {
  music_tree();
  for (uint8_t i = 0; i < 12; ++i) {
    put("music/more/s" + std::to_string(i) + ".zmd", i % 3 == 0 ? long_song(40 + i) : short_song(50 + i));
  }
  const RunResult one = run_batch_inprocess({"-j", "1", "--out", "one", "--log", "one.log", "music"});
  const RunResult six = run_batch_inprocess({"-j6", "--out", "six", "--log", "six.log", "music"});
  EXPECT_EQ(one.status, 1);
  EXPECT_EQ(one.out, six.out);
  EXPECT_EQ(read_file("one.log"), read_file("six.log"));
  size_t files = 0;
  for (const auto& e : fs::recursive_directory_iterator("one")) {
    const fs::path rel = fs::relative(e.path(), "one");
    if (!e.is_regular_file()) continue;
    ++files;
    EXPECT_EQ(test::read_bytes(e.path().string()), test::read_bytes((fs::path("six") / rel).string())) << rel;
  }
  EXPECT_EQ(files, 15u);

  // The log: every song headed by its path, in the order of the sources,
  // with its whole message stream in UTF-8.
  const std::string log = read_file("one.log");
  EXPECT_EQ(log.rfind("==> music/-dash.zmd <==\n" + test::banner() + "TITLE:short\n", 0), 0u);
  const size_t a = log.find("==> music/a.zmd <==");
  const size_t more = log.find("==> music/more/s0.zmd <==");
  const size_t bad = log.find("==> music/sub/bad.zmd <==");
  EXPECT_TRUE(a < more && more < bad && bad != std::string::npos);
  EXPECT_NE(log.find(orvo_last_line("music/sub/bad.zmd") + "\nfailed with status 1\n", bad), std::string::npos);
}

TEST_F(Batch, SkipsSongsWhoseMidiFileIsNewerThanEveryInput) {
  put("music/s.zmd", ZmdBuilder().mdd("GS").track(test::kMidi1, {60, 48, 40}).build());
  put("music/GS.MDD", test::bytes_of("F0 41 10 42 12 40 00 7F 00 41 F7\r\n"));
  put("music/S.SIG", test::bytes_of(test::sjis("楽:piano\r\n")));  // found ignoring case
  put("music/plain.zmd", short_song(60));
  // The inputs older than anything written now: file times are coarser than
  // the time between writing a source and its MIDI file.
  const auto now = fs::file_time_type::clock::now();
  for (const char* f : {"music/s.zmd", "music/S.SIG", "music/GS.MDD", "music/plain.zmd"}) {
    fs::last_write_time(f, now - std::chrono::hours(3));
  }
  ASSERT_EQ(run_batch_inprocess({"music"}).out, "converted 2, skipped 0, failed 0\n");
  EXPECT_EQ(run_batch_inprocess({"music"}).out, "converted 0, skipped 2, failed 0\n");

  // Each input in turn made newer than the MIDI file: only that song again.
  for (const char* input : {"music/s.zmd", "music/S.SIG", "music/GS.MDD"}) {
    for (const char* f : {"music/s.zmd", "music/S.SIG", "music/GS.MDD"}) fs::last_write_time(f, now - std::chrono::hours(2));
    fs::last_write_time("music/s.MID", now - std::chrono::hours(1));
    fs::last_write_time(input, now - std::chrono::minutes(1));
    const RunResult r = run_batch_inprocess({"--log", "skip.log", "music"});
    EXPECT_EQ(r.out, "converted 1, skipped 1, failed 0\n") << input;
    EXPECT_NE(read_file("skip.log").find("==> music/plain.zmd <==\nskipped: the MIDI file is up to date\n"),
              std::string::npos);
  }
  EXPECT_EQ(run_batch_inprocess({"--force", "music"}).out, "converted 2, skipped 0, failed 0\n");
  fs::remove("music/plain.MID");
  EXPECT_EQ(run_batch_inprocess({"music"}).out, "converted 1, skipped 1, failed 0\n");
}

TEST_F(Batch, OutMirrorsThePathsBelowEachPath) {
  music_tree();
  put("other/b.zmd", short_song(70));
  put("other/a.zmd", short_song(72));
  // music/a.zmd is reached twice and converted once; other/a.zmd would
  // write the same file and is refused.
  const RunResult r = run_batch_inprocess({"--out", "out/x", "music", "music/a.zmd", "other/b.zmd", "other/a.zmd"});
  EXPECT_EQ(r.out,
            "converted 4, skipped 0, failed 2\n  music/sub/bad.zmd: status 1: " + orvo_last_line("music/sub/bad.zmd") +
                "\n  other/a.zmd: status 1: orvo-batch: out/x/a.MID is already the MIDI file of music/a.zmd\n");
  for (const char* f : {"out/x/a.MID", "out/x/-dash.MID", "out/x/sub/Long.MID", "out/x/b.MID"}) {
    EXPECT_TRUE(fs::exists(f)) << f;
  }
  ASSERT_EQ(test::run_executable(dir.path().string(), {"music/a.zmd", "-o", "ref.MID"}).status, 0);
  EXPECT_EQ(test::read_bytes("out/x/a.MID"), test::read_bytes("ref.MID"));
  EXPECT_FALSE(fs::exists("music/a.MID")) << "nothing beside the sources";

  // From a list on standard input, relative paths are kept below --out.
  const RunResult listed = run_batch_inprocess({"--out", "listed", "-"}, std::string("music/sub/Long.ZMD\0other\0", 25));
  EXPECT_EQ(listed.out, "converted 3, skipped 0, failed 0\n");
  for (const char* f : {"listed/music/sub/Long.MID", "listed/other/a.MID", "listed/other/b.MID"}) {
    EXPECT_TRUE(fs::exists(f)) << f;
  }
}

TEST_F(Batch, PathsThatAreNoSongs) {
  music_tree();
  put("top/real.zmd", short_song(60));
  fs::create_directory_symlink(fs::absolute("music"), "top/link");
  // A link to a folder is not followed; a missing path is reported, but a
  // source named as orvo names it (without extension, in another case) is found.
  RunResult r = run_batch_inprocess({"top", "nosuch", "music/A"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "converted 2, skipped 0, failed 0\n");
  EXPECT_EQ(r.err, "orvo-batch: cannot find nosuch\n");
  EXPECT_TRUE(fs::exists("music/a.MID"));

  if (geteuid() != 0) {  // root reads every folder
    fs::create_directory("music/locked");
    fs::permissions("music/locked", fs::perms::none);
    r = run_batch_inprocess({"--force", "music"});
    fs::permissions("music/locked", fs::perms::owner_all);
    EXPECT_EQ(r.status, 1);
    EXPECT_EQ(r.err.rfind("orvo-batch: cannot read folder music/locked: ", 0), 0u) << r.err;
    EXPECT_EQ(r.out.rfind("converted 3, skipped 0, failed 1\n", 0), 0u);
  }
}

// Names typed on this system are UTF-8: the summary and the log keep them.
TEST_F(Batch, Utf8NamesStayReadable) {
  put("曲/壊.zmd", test::bytes_of("not ZMD data"));
  const RunResult r = run_batch_inprocess({"--log", "u.log", "曲"});
  EXPECT_EQ(r.out, "converted 0, skipped 0, failed 1\n  曲/壊.zmd: status 1: Error: 曲/壊.zmdは ZMD形式のフォーマットではありません。\n");
  EXPECT_NE(read_file("u.log").find("==> 曲/壊.zmd <==\n"), std::string::npos);
}

// The summary shows a failure's error, not the last line of its messages: a
// version-3 song's error has two more lines after it.
TEST_F(Batch, SummaryShowsTheFirstLineOfTheError) {
  put("v3.zmd", test::ZmdBuilder().version(0x30).build());
  const RunResult r = run_batch_inprocess({"v3.zmd"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "converted 0, skipped 0, failed 1\n  v3.zmd: status 1: Error: Z-MUSIC V3 のデータは変換出来ません。\n");
}

TEST_F(Batch, CommandLine) {
  music_tree();
  for (const auto& [group, letter] : std::vector<std::pair<std::string, std::string>>{
           {"-o", "-o"}, {"-mc", "-c"}, {"-G", "-g"}, {"-e", "-e"}, {"-L3O", "-o"}}) {
    const RunResult r = run_batch_inprocess({group, "x", "music"});
    EXPECT_EQ(r.status, 2) << group;
    EXPECT_EQ(r.err.rfind("orvo-batch: " + letter + " is for single files: use orvo\n", 0), 0u) << r.err;
    EXPECT_NE(r.err.find("usage: orvo-batch"), std::string::npos);
  }
  RunResult r = run_batch_inprocess({"-m", "-b0", "music"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("orvo-batch: b0:無効な数字を指定しました。\n", 0), 0u) << r.err;
  EXPECT_FALSE(fs::exists("music/a.MID")) << "nothing converted after a usage error";
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"-j", "0", "music"}, {"-j"}, {"-j1025", "music"}, {"--jobs", "x", "music"}, {"--out"}, {"--jolly", "music"}, {"-m"}}) {
    EXPECT_EQ(run_batch_inprocess(args).status, 2) << args[0];
  }
  r = run_batch_inprocess({"-h"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("usage: orvo-batch", 0), 0u);
  EXPECT_EQ(run_batch_inprocess({"--version"}).out, "orvo-batch 1.50\n");

  // -j counts jobs in every spelling; -J and a j among other letters are orvo's loop fitting.
  for (const std::vector<std::string>& jobs : std::vector<std::vector<std::string>>{
           {"-j2"}, {"-j", "2"}, {"--jobs", "2"}, {"--jobs=2"}}) {
    std::vector<std::string> args = jobs;
    args.insert(args.end(), {"--force", "--log", "jobs.log", "music/a.zmd"});
    EXPECT_EQ(run_batch_inprocess(args).out, "converted 1, skipped 0, failed 0\n") << jobs[0];
    EXPECT_EQ(read_file("jobs.log").find("自動調整"), std::string::npos);
  }
  for (const char* fitting : {"-J", "-aj"}) {
    EXPECT_EQ(run_batch_inprocess({fitting, "--force", "--log", "fit.log", "music/a.zmd"}).status, 0);
    EXPECT_NE(read_file("fit.log").find("[do]～[loop]の展開回数を自動調整します。\n"), std::string::npos) << fitting;
  }
}

// Through the real program: paths on standard input, one per line, and a
// song that meets a bound counts as converted and says so.
TEST_F(Batch, Executable) {
  music_tree();
  put("bound.zmd", ZmdBuilder().track(test::kMidi1, {0xC0, 9, 0xFE, 0xD0, 0xFF, 0xFF, 0, 0, 0xC0, 10}).build());
  RunResult r = test::run_batch_executable(dir.path().string(), {"-m", "-"}, "music/a.zmd\nmusic/sub\n");
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.out, "converted 2, skipped 0, failed 1\n  music/sub/bad.zmd: status 1: " +
                       orvo_last_line("music/sub/bad.zmd") + "\n");
  EXPECT_TRUE(fs::exists("music/sub/Long.MID"));
  EXPECT_FALSE(fs::exists("music/-dash.MID"));

  r = test::run_batch_executable(dir.path().string(), {"-L1000000", "-F0", "--log", "bound.log", "bound.zmd"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "converted 1, skipped 0, failed 0\n");
  EXPECT_NE(read_file("bound.log").find("[打ち切り]"), std::string::npos);
  test::expect_valid_smf(test::read_bytes("bound.MID"));
}

}  // namespace
}  // namespace orvo
