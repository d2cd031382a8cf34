// Buffers that grow far past their first size: the track buffers under the
// converters' growth rule, the chunks the passes build, the byte store
// beneath both, and the loaded source. Every byte written must survive every
// growth, and the track buffer's capacity must follow the 16 KB rule however
// its memory grows.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "driver/source.h"
#include "passes/event_walk.h"
#include "run/byte_store.h"
#include "smf/track_buffer.h"
#include "support/run.h"

namespace orvo {
namespace {

using Bytes = std::vector<uint8_t>;

uint8_t pattern(size_t i) { return static_cast<uint8_t>((i * 131 + (i >> 9)) & 0xFF); }

TEST(TrackBufferGrowth, FourMegabytesThroughTheGrowthRuleKeepEveryByte) {
  TrackBuffer tb;
  allocate_track_buffer(tb, 16);
  open_chunk(tb);
  int64_t kb = 16;  // the rule, counted here on its own
  size_t command = 0;
  while (tb.pos < 4u << 20) {
    make_room(tb);
    if (tb.pos + kCommandMargin > static_cast<size_t>(kb) * 1024) kb += 16;
    ASSERT_EQ(tb.kb, kb) << "at " << tb.pos;
    ASSERT_EQ(tb.bytes.size(), static_cast<size_t>(kb) * 1024);
    // Commands of 1 to 3000 bytes, written through the write position.
    const size_t n = 1 + (command++ * 977) % 3000;
    uint8_t* out = write_ptr(tb);
    for (size_t i = 0; i < n; ++i) out[i] = pattern(tb.pos + i);
    tb.pos += n;
  }
  const size_t size = close_chunk(tb, 0);
  EXPECT_EQ(chunk_length(tb), size - 8);
  for (size_t i = 8; i + 4 < size; ++i) ASSERT_EQ(tb.bytes[i], pattern(i)) << "byte " << i;
}

TEST(TrackBufferGrowth, LargeWriteAfterManyStepsKeepsWhatCameBefore) {
  TrackBuffer tb;
  allocate_track_buffer(tb, 16);
  open_chunk(tb);
  for (size_t i = 8; i < 100000; ++i) {
    if (tb.pos + 1 > tb.bytes.size()) ensure_room(tb, 1);
    tb.bytes[tb.pos++] = pattern(i);
  }
  ensure_room(tb, 3u << 20);
  EXPECT_GE(tb.bytes.size(), tb.pos + (3u << 20));
  EXPECT_EQ(tb.bytes.size(), static_cast<size_t>(tb.kb) * 1024);
  for (size_t i = 8; i < 100000; ++i) ASSERT_EQ(tb.bytes[i], pattern(i)) << "byte " << i;
}

TEST(ChunkOutGrowth, ChunkBuiltFarPastItsReserveKeepsEveryByte) {
  TrackBuffer source;
  allocate_track_buffer(source, 16);
  open_chunk(source);
  const Bytes span = [] {
    Bytes b(70000);
    for (size_t i = 0; i < b.size(); ++i) b[i] = pattern(i);
    return b;
  }();
  ChunkOut out;
  start_chunk(out, source, 8);
  for (int round = 0; round < 40; ++round) {
    put_span(out, span.data(), 0, span.size());
    put_byte(out, static_cast<uint8_t>(round));
  }
  const size_t size = finish_chunk(out, source);
  ASSERT_EQ(size, 8 + 40 * (span.size() + 1));
  EXPECT_EQ(chunk_length(source), size - 8);
  EXPECT_EQ(source.pos, size);
  EXPECT_EQ(Bytes(source.bytes.begin(), source.bytes.begin() + 4), (Bytes{'M', 'T', 'r', 'k'}));
  for (int round = 0; round < 40; ++round) {
    const size_t at = 8 + static_cast<size_t>(round) * (span.size() + 1);
    ASSERT_EQ(Bytes(source.bytes.begin() + at, source.bytes.begin() + at + span.size()), span) << round;
    ASSERT_EQ(source.bytes[at + span.size()], round);
  }
}

TEST(ByteStore, CopiesAreDeepAndMovesLeaveTheSourceEmpty) {
  ByteStore a;
  for (size_t i = 0; i < 50000; ++i) a.push_back(pattern(i));
  ByteStore copy(a);
  copy[0] = static_cast<uint8_t>(~a[0]);
  EXPECT_NE(copy[0], a[0]);
  ASSERT_EQ(copy.size(), a.size());
  EXPECT_TRUE(std::equal(a.begin() + 1, a.end(), copy.begin() + 1));

  ByteStore moved(std::move(a));
  EXPECT_EQ(a.size(), 0u);  // NOLINT: the moved-from store is empty by contract
  EXPECT_EQ(a.data(), nullptr);
  ASSERT_EQ(moved.size(), 50000u);
  for (size_t i = 0; i < moved.size(); ++i) ASSERT_EQ(moved[i], pattern(i));

  copy = moved;
  EXPECT_EQ(copy[0], moved[0]);
  moved.resize(10);  // shrinking keeps the front, growing again keeps it too
  moved.resize(200000);
  for (size_t i = 0; i < 10; ++i) EXPECT_EQ(moved[i], pattern(i));
}

// The source as the driver loads it: every byte of the file and then four
// 0xFF bytes, from a named file (one buffer of the file's size) and from
// standard input (a buffer that doubles) alike.
TEST(SourceLoading, LargeFileAndStandardInputGiveTheSameImage) {
  test::TempDir dir;
  Bytes data(300007);
  for (size_t i = 0; i < data.size(); ++i) data[i] = pattern(i);
  test::write_file(dir.file("big.zmd"), data);

  Console console{nullptr, nullptr, nullptr};
  const std::optional<ZmdImage> file = load_source(console, dir.file("big.zmd"));
  ASSERT_TRUE(file.has_value());

  std::FILE* in = std::tmpfile();
  ASSERT_NE(in, nullptr);
  std::fwrite(data.data(), 1, data.size(), in);
  std::rewind(in);
  console.in = in;
  const std::optional<ZmdImage> piped = load_source(console, "-");
  std::fclose(in);
  ASSERT_TRUE(piped.has_value());

  for (const ZmdImage* img : {&*file, &*piped}) {
    ASSERT_EQ(img->size, data.size());
    ASSERT_EQ(img->bytes.size(), data.size() + kImagePadding);
    EXPECT_TRUE(std::equal(data.begin(), data.end(), img->bytes.begin()));
    for (size_t i = 0; i < kImagePadding; ++i) EXPECT_EQ(img->bytes[data.size() + i], 0xFF);
    EXPECT_EQ(zbyte(*img, static_cast<int64_t>(data.size()) + 100), 0xFF);
  }
}

TEST(SourceLoading, EmptyFileIsJustThePadding) {
  test::TempDir dir;
  test::write_file(dir.file("empty.zmd"), std::string());
  const std::optional<ZmdImage> img = load_source(Console{nullptr, nullptr, nullptr}, dir.file("empty.zmd"));
  ASSERT_TRUE(img.has_value());
  EXPECT_EQ(img->size, 0u);
  EXPECT_EQ(Bytes(img->bytes.begin(), img->bytes.end()), (Bytes{0xFF, 0xFF, 0xFF, 0xFF}));
}

}  // namespace
}  // namespace orvo
