// The bound on a conversion's messages: a file that makes the converter warn
// hundreds of thousands of times gets its first 10,000 lines, a line that
// says how many were left out, and its last line; shorter streams are
// untouched.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/convert_song.h"
#include "support/run.h"
#include "support/smf_check.h"
#include "support/zmd_builder.h"

namespace orvo {
namespace {

using test::Bytes;
using test::sjis;

// A track that meets `errors` broken repeats (a |: whose mark byte is
// wrong), each reported on a line of its own; inside [do]..[loop] when
// `looped`, so that every pass of the loop reports them again.
Bytes broken_repeats(int errors, bool looped) {
  Bytes t;
  if (looped) t.insert(t.end(), {0xC0, 9});
  for (int i = 0; i < errors; ++i) t.insert(t.end(), {0xC1, 0x00, 0x00});
  t.insert(t.end(), {60, 24, 20});
  if (looped) t.insert(t.end(), {0xC0, 10});
  return test::ZmdBuilder().track(test::kMidi1, t).build();
}

size_t line_count(const std::string& text) { return static_cast<size_t>(std::count(text.begin(), text.end(), '\n')); }

// The first `n` lines of `text`.
std::string first_lines(const std::string& text, size_t n) {
  size_t end = 0;
  for (size_t i = 0; i < n; ++i) end = text.find('\n', end) + 1;
  return text.substr(0, end);
}

// The whole stream the engine writes with no bound, in CP932.
std::string unbounded_stream(const Bytes& song, int loop_count) {
  auto s = std::make_unique<Session>();
  s->err.line_bound = UINT64_MAX;
  s->err.byte_bound = UINT64_MAX;
  const ZmdImage image = make_image(song);
  SongInput in;
  in.image = &image;
  in.name = "-";
  MusicOptions options;
  options.loop_count = loop_count;
  run_conversion(*s, [&] {
    report_banner(s->err);
    auto c = std::make_unique<Conversion>();
    convert_song(*s, in, options, *c);
  });
  return s->err.cp932;
}

TEST(MessageBound, AFloodIsCutAtTenThousandLinesAndSaysHowManyWereLeftOut) {
  const Bytes song = broken_repeats(100, true);
  const std::string whole = unbounded_stream(song, 300);
  ASSERT_GT(line_count(whole), 20000u);

  const test::RunResult r = test::run_inprocess({"-L300", "-", "-c"}, std::string(song.begin(), song.end()));
  ASSERT_EQ(r.status, 0);
  test::expect_valid_smf(Bytes(r.out.begin(), r.out.end()));
  const size_t left_out = line_count(whole) - 10000 - 1;  // all but the kept lines and "Completed."
  EXPECT_EQ(r.err, first_lines(whole, 10000) +
                       sjis("メッセージが多すぎるため、以降の " + std::to_string(left_out) +
                            " 行を省略しました。\n") +
                       "Completed.\n");

  // A UTF-8 terminal gets the same lines.
  const test::RunResult terminal =
      test::run_inprocess({"-L300", "-", "-c"}, std::string(song.begin(), song.end()), true);
  EXPECT_EQ(line_count(terminal.err), 10002u);
  EXPECT_EQ(terminal.out, r.out);
}

TEST(MessageBound, TheFatalErrorStaysTheLastLine) {
  const Bytes song = broken_repeats(100, true);
  test::TempDir dir;
  test::write_file(dir.file("flood.zmd"), song);
  const test::RunResult r = test::run_inprocess({"-L300", dir.file("flood.zmd"), "-o", dir.file("none/x.mid")});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(line_count(r.err), 10003u);  // the write error begins with a line break
  const std::string tail = sjis("行を省略しました。\n\nError: ファイルの書き込みに失敗しました。\n");
  EXPECT_EQ(r.err.substr(r.err.size() - tail.size()), tail);
}

// A line that never ends: a marker for each of 300,000 unknown commands
// would make one line of 1.2 MB. The stream stops before the message that
// would pass 1 MiB, ends that line, says what was left out, and ends.
TEST(MessageBound, ALineThatNeverEndsIsCutAtOneMebibyte) {
  const Bytes song = test::ZmdBuilder().track(test::kMidi1, Bytes(300000, 0x81)).build();
  const std::string whole = unbounded_stream(song, 2);
  ASSERT_GT(whole.size(), 1200000u);
  const test::RunResult r = test::run_inprocess({"-", "-c"}, std::string(song.begin(), song.end()));
  ASSERT_EQ(r.status, 0);
  const std::string tail = "\n" + sjis("メッセージが多すぎるため、以降の 1 行を省略しました。\n") + "Completed.\n";
  ASSERT_GT(r.err.size(), tail.size());
  const std::string kept = r.err.substr(0, r.err.size() - tail.size());
  EXPECT_EQ(r.err.substr(kept.size()), tail);
  EXPECT_LE(kept.size(), 1u << 20);
  EXPECT_GT(kept.size(), (1u << 20) - 4);
  EXPECT_EQ(kept, whole.substr(0, kept.size())) << "the kept text is the stream's beginning, whole markers";
}

TEST(MessageBound, StreamsUpToTheBoundAreUnchanged) {
  // Banner, one line per broken repeat (the first shares the channel's
  // line), "done." and "Completed.": 10,000 lines, then 10,001 (the bound
  // and the last line).
  for (const int errors : {9997, 9998}) {
    const Bytes song = broken_repeats(errors, false);
    const std::string whole = unbounded_stream(song, 2);
    ASSERT_EQ(line_count(whole), static_cast<size_t>(errors) + 3);
    const test::RunResult r = test::run_inprocess({"-", "-c"}, std::string(song.begin(), song.end()));
    EXPECT_EQ(r.err, whole);
  }
  // One line more: one line is left out, and the notice takes its place.
  const Bytes song = broken_repeats(9999, false);
  const test::RunResult r = test::run_inprocess({"-", "-c"}, std::string(song.begin(), song.end()));
  EXPECT_EQ(r.err, first_lines(unbounded_stream(song, 2), 10000) +
                       sjis("メッセージが多すぎるため、以降の 1 行を省略しました。\n") + "Completed.\n");
}

}  // namespace
}  // namespace orvo
