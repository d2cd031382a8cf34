// Reading the signature file: file naming, names and author, time and key
// signature items with their messages.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "driver/companion_files.h"
#include "run/file_names.h"
#include "driver/console.h"
#include "run/exit.h"
#include "signature/signature.h"
#include "support/run.h"

namespace orvo {
namespace {

using test::sjis;

constexpr int16_t kTime = 0x2000;

int16_t time_sig(int numerator, int d) { return static_cast<int16_t>(kTime + numerator * 32 + d); }

struct Entry {
  int bar;
  int code;
  bool operator==(const Entry&) const = default;
};

std::vector<Entry> entries(const SignatureData& data) {
  std::vector<Entry> out;
  for (const SignatureEntry& e : data.list) out.push_back({e.bar, e.code});
  return out;
}

// Loads a signature file from a fresh folder and keeps what was reported.
class SignatureFile : public ::testing::Test {
 protected:
  std::string path(const std::string& name) const { return dir_.file(name); }

  // Writes `utf8` as CP932 to SONG.sig and loads it for source SONG.ZMD.
  void load_text(const std::string& utf8) {
    test::write_file(path("SONG.sig"), sjis(utf8));
    load(path("SONG.ZMD"), "");
  }

  // Finds the file as orvo does (the -g name, else the source's, with
  // ".sig") and reads it.
  void load(const std::string& source, const std::string& signature) {
    const SignatureStorage found =
        find_signature_file(replace_extension(signature.empty() ? source : signature, ".sig"), nullptr);
    loadsignature(found.file, data_, err_);
  }

  std::string reported() const { return err_.cp932; }

  // Everything reported after the progress line.
  std::string messages() {
    const std::string all = reported();
    const std::string progress = sjis("signatureファイルを読み込みます。\n");
    return all.substr(all.find(progress) + progress.size());
  }

  test::TempDir dir_;
  ErrorStream err_;
  SignatureData data_;
};

TEST_F(SignatureFile, NameFollowsTheSourceOrTheGOption) {
  load(path("NONE.ZMD"), "");
  EXPECT_EQ(reported(), "");
  test::write_file(path("SONG.sig"), sjis("著:from source\n"));
  test::write_file(path("extra.sig"), sjis("著:from extra\n"));
  test::write_file(path("notes.sig"), sjis("著:from notes\n"));

  load(path("SONG.ZMD"), "");
  EXPECT_EQ(data_.author, "from source");
  EXPECT_EQ(reported(), path("SONG.sig") + sjis(":signatureファイルを読み込みます。\n"));
  load(path("SONG.ZMD"), path("extra"));
  EXPECT_EQ(data_.author, "from extra");
  load(path("SONG.ZMD"), path("notes.txt"));
  EXPECT_EQ(data_.author, "from notes");
}

TEST_F(SignatureFile, CommentsAreSkippedAndNamesKeepTheirBlanks) {
  load_text("* 楽:a\n  # 著:b\n\t/ 拍:3/4\n調 :G\nother\n\n"
            "楽: Piano\n  楽:Bass \n著:first\n著:ピアノ 作者\n");
  EXPECT_EQ(data_.instrument_names[0], " Piano");
  EXPECT_EQ(data_.instrument_names[1], "Bass ");
  EXPECT_EQ(data_.instrument_names[2], "");
  EXPECT_EQ(data_.author, sjis("ピアノ 作者"));
  EXPECT_TRUE(data_.list.empty());
  EXPECT_EQ(messages(), "");
}

TEST_F(SignatureFile, LongTextsAreCutWithoutSplittingACharacter) {
  const std::string a253(253, 'a');
  // あ's lead byte would be the 255th byte: the whole character goes.
  // メ (83 81) ends exactly at 255 although its trail byte looks like a lead.
  load_text("楽:" + std::string(300, 'x') + "\n楽:" + a253 + "aあ\n楽:" + a253 + "メz\n著:" +
            std::string(99, 'b') + "あ\n");
  EXPECT_EQ(data_.instrument_names[0], std::string(255, 'x'));
  EXPECT_EQ(data_.instrument_names[1], a253 + "a");
  EXPECT_EQ(data_.instrument_names[2], a253 + sjis("メ"));
  EXPECT_EQ(data_.author, std::string(99, 'b'));
}

TEST_F(SignatureFile, EightyNamesAtMost) {
  std::string text;
  for (int i = 0; i < 81; ++i) text += "楽:n" + std::to_string(i) + "\n";
  load_text(text);
  EXPECT_EQ(data_.instrument_names[79], "n79");
  const std::string too_many = path("SONG.sig") + sjis(":楽器名が多すぎます。\n");
  EXPECT_EQ(messages(), too_many + too_many);
}

TEST_F(SignatureFile, TextWithoutNewlineIsAFormatError) {
  // The 600-byte line is read as 511 bytes without a newline and a rest.
  load_text("楽:" + std::string(600, 'a') + "\n楽:ok\n著:last");
  EXPECT_EQ(data_.instrument_names[0], "ok");
  EXPECT_EQ(data_.author, "");
  EXPECT_EQ(messages(), sjis("楽:") + std::string(508, 'a') + ":data format error.\n" +
                            sjis("著:last:data format error.\n"));
}

TEST_F(SignatureFile, TimeSignatures) {
  // 4/4 x: the item is dropped at the x, and resuming after it meets the end.
  load_text("拍:3/4\n拍: 5 = 6 / 8, 9=4/4\n拍:2=5/1,3=7/3,\t4 = 2/16 \n拍:4/4 x\n");
  EXPECT_EQ(entries(data_), (std::vector<Entry>{{1, time_sig(3, 2)},
                                                {5, time_sig(6, 3)},
                                                {9, time_sig(4, 2)},
                                                {2, time_sig(5, 1)},
                                                {3, time_sig(7, 1)},
                                                {4, time_sig(2, 4)}}));
  EXPECT_EQ(messages(), sjis("拍：format error.\n拍：format error.\n"));
}

TEST_F(SignatureFile, LongNumbersSaturateAndWideNumeratorsAreRefused) {
  load_text("拍:99999999999999999999=3/4\n拍:2=3/99999999999999999999\n拍:3=256/4,4=255/4\n");
  EXPECT_EQ(entries(data_), (std::vector<Entry>{{32767, time_sig(3, 2)},
                                                {2, time_sig(3, 30)},
                                                {4, time_sig(255, 2)}}));
  EXPECT_EQ(messages(), sjis("拍：format error.\n"));
}

TEST_F(SignatureFile, KeySignatures) {
  // 5= G: the blank after '=' ends the key at once (C major); the G and the
  // line's end are then format errors.
  load_text("調:Am, 17=F#m\n調:C,2=G,3=Bb,4=Eb,5=Cb,6=Abm,7=C#m\n調: 5= G\n");
  EXPECT_EQ(entries(data_), (std::vector<Entry>{{1, 15}, {17, 21}, {1, 14}, {2, 16}, {3, 10},
                                                {4, 8}, {5, 0}, {6, 1}, {7, 23}, {5, 14}}));
  EXPECT_EQ(messages(), sjis("調：format error.\n調：format error.\n"));
}

TEST_F(SignatureFile, KeysBeyondSevenSharpsOrFlatsAreRefusedOnce) {
  load_text("調:Fb, 2=C##, 3=Fbm, 4=G\n");
  EXPECT_EQ(entries(data_), (std::vector<Entry>{{4, 16}}));
  const std::string unsupported = sjis("調:MIDでは未サポートのコードです。\n");
  EXPECT_EQ(messages(), unsupported + unsupported + unsupported);
}

TEST_F(SignatureFile, FiftyFirstEntryIsRefusedAndTheFiftyStay) {
  std::string text;
  for (int bar = 1; bar <= 25; ++bar) text += "拍:" + std::to_string(bar) + "=4/4\n";
  for (int bar = 26; bar <= 50; ++bar) text += "調:" + std::to_string(bar) + "=G\n";
  text += "調:51=D\n拍:52=3/4, 7/8\n";
  load_text(text);
  ASSERT_EQ(data_.list.size(), kSignatureEntriesMax);
  EXPECT_EQ(entries(data_).back(), (Entry{50, 16}));
  const std::string too_many = sjis("signatureファイルの設定事項が多すぎます。\n");
  EXPECT_EQ(messages(), too_many + too_many + too_many);
}

TEST_F(SignatureFile, CrLfFileReadsLikeLf) {
  load_text("楽:Piano\r\n著:Me\r\n拍:3/4\r\n調:3=G\r\n");
  EXPECT_EQ(data_.instrument_names[0], "Piano");
  EXPECT_EQ(data_.author, "Me");
  EXPECT_EQ(entries(data_), (std::vector<Entry>{{1, time_sig(3, 2)}, {3, 16}}));
  EXPECT_EQ(messages(), "");
}

TEST_F(SignatureFile, ReadErrorEndsWithStatusOne) {
  std::filesystem::create_directory(path("DIR.sig"));
  try {
    load(path("DIR.ZMD"), "");
    FAIL() << "no fatal error";
  } catch (const ProcessExit& e) {
    EXPECT_EQ(e.status, 1);
    EXPECT_EQ(e.message, path("DIR.sig") + sjis(":読み込みに失敗しました。\n"));
  }
}

}  // namespace
}  // namespace orvo
