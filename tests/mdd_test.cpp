// MDD files: hexadecimal exclusive messages appended to the conductor track.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/companion_files.h"
#include "run/exit.h"
#include "run/session.h"
#include "smf/track_buffer.h"
#include "support/run.h"
#include "zmd/mdd.h"

namespace orvo {
namespace {

using Bytes = std::vector<uint8_t>;
using test::sjis;

// A working folder holding the MDD files, a fresh conductor buffer and a
// captured error stream.
class MddFile : public ::testing::Test {
 protected:
  MddFile() : cwd_(dir_.path()) {
    s_.mdd = file_mdd_resolver(folders_);
    allocate_track_buffer(tb_, 16);
    open_chunk(tb_);
  }

  void put(const std::string& name, const std::string& text) { test::write_file(dir_.file(name), text); }

  // Loads `name` with `wait` and returns the bytes appended after the header.
  Bytes load(const std::string& name, int32_t wait) {
    wait_ = wait;
    loadmdd(s_, tb_, wait_, name);
    EXPECT_LE(tb_.pos, tb_.bytes.size());
    return Bytes(tb_.bytes.begin() + 8, tb_.bytes.begin() + static_cast<std::ptrdiff_t>(tb_.pos));
  }

  // Runs `name` expecting the conversion to end; returns status and message.
  ProcessExit refused(const std::string& name) {
    try {
      load(name, 10);
    } catch (const ProcessExit& e) {
      return e;
    }
    ADD_FAILURE() << "loadmdd did not end the conversion";
    return {};
  }

  std::string messages() const { return s_.err.cp932; }

  test::TempDir dir_;
  test::ScopedCwd cwd_;
  MddFolders folders_;  // the current folder only
  Session s_{};
  TrackBuffer tb_;
  int32_t wait_ = 0;
};

TEST_F(MddFile, OneMessageEndedByCrLf) {
  put("SONG.MDD", "F0 41 10 42 12 40 00 7F 00 41 F7\r\n");
  EXPECT_EQ(load("SONG", 10),
            (Bytes{10, 0xF0, 0x0A, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7}));
  EXPECT_EQ(wait_, 10);
  EXPECT_EQ(messages(), sjis(" MDDファイル[SONG.MDD]を読み込みます。\n"));
}

TEST_F(MddFile, EveryMessageGetsTheWaitAndTheTotalIsReturned) {
  put("SONG.MDD", "F0 01 F7 F0 02 F7\r");
  EXPECT_EQ(load("SONG", 24), (Bytes{24, 0xF0, 2, 0x01, 0xF7, 24, 0xF0, 2, 0x02, 0xF7}));
  EXPECT_EQ(wait_, 48);
}

TEST_F(MddFile, MessageEndsOnlyAtF7FollowedBySpaceOrCr) {
  // Across lines, and an F7 that is not the last byte of a value.
  put("SONG.MDD", "F0 41\r\n10 F70\r\n42\r\nF7\r\n");
  EXPECT_EQ(load("SONG", 10), (Bytes{10, 0xF0, 5, 0x41, 0x10, 0x70, 0x42, 0xF7}));
  EXPECT_EQ(wait_, 10);
}

TEST_F(MddFile, LfDoesNotEndAValueAndLongValuesKeepTheirLowByte) {
  put("SONG.MDD", "F0 41\n42 123456789ABCDEF0123 F7 ");
  EXPECT_EQ(load("SONG", 10), (Bytes{10, 0xF0, 3, 0x42, 0x23, 0xF7}));
}

TEST_F(MddFile, CommentsRunToTheNextCrAndKeepTheValueBeingRead) {
  // ';' and '*' lines are skipped; the lower-case 'a' starts a comment that
  // hides "04 F7", and the open value 3 continues on the next line as 35.
  put("SONG.MDD", "; F0 01 F7\r\n* F0 02 F7\r\nF0 3a 04 F7\r\n5 F7\r\n");
  EXPECT_EQ(load("SONG", 10), (Bytes{10, 0xF0, 2, 0x35, 0xF7}));
}

TEST_F(MddFile, ValueF7EndsTheMessageEvenAsItsFirstByte) {
  // A lone F7 is already a complete message: an empty escaped event.
  put("SONG.MDD", "F7 F0 43 F7 ");
  EXPECT_EQ(load("SONG", 3), (Bytes{3, 0xF7, 0, 3, 0xF0, 2, 0x43, 0xF7}));
  EXPECT_EQ(wait_, 6);
}

// A message byte of 0x80 or more is no data byte: held at 0x7F, as in the
// track's exclusive messages.
TEST_F(MddFile, BytesAboveSevenBitsAreHeldAt7F) {
  put("SONG.MDD", "F0 41 90 FF F7\r");
  EXPECT_EQ(load("SONG", 10), (Bytes{10, 0xF0, 4, 0x41, 0x7F, 0x7F, 0xF7}));
}

TEST_F(MddFile, UnfinishedMessageAtTheEndIsDropped) {
  put("A.MDD", "F0 01 F7");
  EXPECT_EQ(load("A", 10), Bytes{});
  EXPECT_EQ(wait_, 0);

  put("B.MDD", "F0 01 F7 F0 02 F7");
  EXPECT_EQ(load("B", 10), (Bytes{10, 0xF0, 2, 0x01, 0xF7}));
  EXPECT_EQ(wait_, 10);
}

TEST_F(MddFile, StoredNamesAllOpenTheMddFile) {
  put("SONG.MDD", "F0 F7 ");
  for (const char* name : {"SONG.MDD", "SONG.DAT", "SONG", "./SONG"}) {
    tb_.pos = 8;
    EXPECT_EQ(load(name, 10), (Bytes{10, 0xF0, 1, 0xF7})) << name;
  }
}

TEST_F(MddFile, NonExclusiveFirstByteEndsTheConversion) {
  put("SONG.MDD", "90 40 F7 ");
  const ProcessExit e = refused("SONG");
  EXPECT_EQ(e.status, 1);
  EXPECT_EQ(e.message, "MDD file: not exclusive mes.\n");
}

TEST_F(MddFile, MissingFileOrDirectoryEndsTheConversion) {
  std::filesystem::create_directory(dir_.path() / "SUB.MDD");
  for (const char* name : {"NOPE", "SUB"}) {
    const ProcessExit e = refused(name);
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.message, sjis(std::string(name) + ".MDD:ファイルが存在しません。\n"));
  }
  EXPECT_EQ(messages(), "");
}

TEST_F(MddFile, NameLongerThanTheWorkingCopyIsRefused) {
  // 75 characters + ".MDD" fill 79 bytes and are looked up as a file.
  const ProcessExit fits = refused(std::string(75, 'A'));
  EXPECT_EQ(fits.message, sjis(std::string(75, 'A') + ".MDD:ファイルが存在しません。\n"));

  const std::string long_name = std::string(76, 'A');
  put(long_name + ".MDD", "F0 F7 ");
  const ProcessExit e = refused(long_name);
  EXPECT_EQ(e.status, 1);
  EXPECT_EQ(e.message, sjis(long_name + ".MDD:MDDファイル名が長すぎます。\n"));

  // Found by fuzzing the library: a name that runs for thousands of bytes
  // (and lines) made the fatal message, which is always written, as long.
  // It shows the first 255 bytes, never half a two-byte character.
  const std::string huge = std::string(254, 'B') + "\x82\xA0" + std::string(5000, '\n');
  EXPECT_EQ(refused(huge).message, sjis(std::string(254, 'B') + "...:MDDファイル名が長すぎます。\n"));
}

TEST(MddBuffer, MessageLargerThanTheFreeSpaceIsWrittenWhole) {
  test::TempDir dir;
  test::ScopedCwd cwd(dir.path());
  constexpr size_t kBody = 100000;
  std::string text = "F0 ";
  for (size_t i = 0; i < kBody; ++i) text += "5A ";
  text += "F7\r";
  test::write_file(dir.file("BIG.MDD"), text);

  Session s{};
  const MddFolders here;
  s.mdd = file_mdd_resolver(here);
  TrackBuffer tb;
  allocate_track_buffer(tb, 1);
  open_chunk(tb);
  int32_t wait = 10;
  loadmdd(s, tb, wait, "BIG");

  const size_t length = kBody + 1;  // body and F7
  ASSERT_EQ(tb.pos, 8 + 1 + 1 + 3 + length);
  EXPECT_LE(tb.pos, tb.bytes.size());
  EXPECT_EQ(tb.bytes.size(), static_cast<size_t>(tb.kb) * 1024);
  EXPECT_EQ(Bytes(tb.bytes.begin() + 8, tb.bytes.begin() + 13), (Bytes{10, 0xF0, 0x86, 0x8D, 0x21}));
  EXPECT_EQ(tb.bytes[13], 0x5A);
  EXPECT_EQ(tb.bytes[12 + kBody], 0x5A);
  EXPECT_EQ(tb.bytes[13 + kBody], 0xF7);
}

TEST(MddBuffer, GrowsBy16KBWhenLessThan512BytesAreFree) {
  test::TempDir dir;
  test::ScopedCwd cwd(dir.path());
  test::write_file(dir.file("S.MDD"), "F0 F7\r");
  Session s{};
  const MddFolders here;
  s.mdd = file_mdd_resolver(here);
  TrackBuffer tb;
  allocate_track_buffer(tb, 1);
  open_chunk(tb);
  tb.pos = 513;
  int32_t wait = 10;
  loadmdd(s, tb, wait, "S");
  EXPECT_EQ(tb.kb, 17);
  EXPECT_EQ(tb.bytes.size(), 17u * 1024);
}

}  // namespace
}  // namespace orvo
