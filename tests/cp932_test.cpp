// The CP932 converter of message texts: the whole table against glibc's
// iconv, real messages, the encodability of every text literal in the
// sources, and malformed UTF-8.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <vector>

#include "run/cp932.h"
#include "support/run.h"

namespace orvo {
namespace {

struct Pair {
  uint16_t unicode;
  uint16_t code;
};

constexpr Pair kTable[] = {
#include "run/cp932_table.inc"
};

std::string utf8(uint32_t c) {
  std::string s;
  if (c < 0x80) {
    s += static_cast<char>(c);
  } else if (c < 0x800) {
    s += static_cast<char>(0xC0 | (c >> 6));
    s += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    s += static_cast<char>(0xE0 | (c >> 12));
    s += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    s += static_cast<char>(0x80 | (c & 0x3F));
  }
  return s;
}

std::string bytes_of(uint16_t code) {
  std::string s;
  if (code >= 0x100) s += static_cast<char>(code >> 8);
  s += static_cast<char>(code & 0xFF);
  return s;
}

bool have_iconv() { return std::system("iconv --version >/dev/null 2>&1") == 0; }

// glibc's conversion of `text`; fails the test when iconv rejects it.
std::string run_iconv(const std::string& text, const std::string& from, const std::string& to) {
  test::TempDir dir;
  const std::string in = dir.file("in.txt");
  const std::string out = dir.file("out.txt");
  test::write_file(in, text);
  const std::string command = "iconv -f " + from + " -t " + to + " '" + in + "' > '" + out + "' 2>/dev/null";
  EXPECT_EQ(std::system(command.c_str()), 0) << "iconv rejected the text";
  return test::read_file(out);
}

std::string iconv_cp932(const std::string& text) { return run_iconv(text, "UTF-8", "CP932"); }

// Compares two texts of one entry per line and names the first entries
// (`labels`, in line order) whose lines differ.
void expect_same_lines(const std::string& expected, const std::string& got,
                       const std::vector<std::string>& labels) {
  if (got == expected) return;
  std::istringstream want_lines(expected), got_lines(got);
  std::string want_line, got_line;
  int shown = 0;
  for (const std::string& label : labels) {
    std::getline(want_lines, want_line);
    std::getline(got_lines, got_line);
    if (want_line != got_line && shown++ < 10) ADD_FAILURE() << label;
  }
  FAIL() << "conversion differs from iconv";
}

std::string hex_label(const char* prefix, unsigned value) {
  std::ostringstream s;
  s << prefix << std::hex << value;
  return s.str();
}

// Characters glibc's CP932 lacks while Windows' encoder (and Python's codec)
// has them: U+0080 and the private-use U+F8F0..U+F8F3 as the single bytes
// 0x80, 0xA0, 0xFD, 0xFE, 0xFF.
bool glibc_lacks(uint16_t unicode) { return unicode == 0x0080 || (unicode >= 0xF8F0 && unicode <= 0xF8F3); }

TEST(Cp932Table, IsStrictlySortedAndLeavesAsciiOut) {
  ASSERT_GT(std::size(kTable), 9000u);
  EXPECT_GE(kTable[0].unicode, 0x80);
  for (size_t i = 1; i < std::size(kTable); ++i) {
    EXPECT_LT(kTable[i - 1].unicode, kTable[i].unicode) << "entry " << i;
  }
}

// Every entry, converted as one text, must give the bytes glibc gives. The
// table prefers the IBM extension rows (0xFA..0xFC) over the NEC-selected
// copies (0xED, 0xEE) as Windows and glibc do.
TEST(Cp932Table, EveryEntryMatchesIconv) {
  if (!have_iconv()) GTEST_SKIP() << "iconv not available";
  std::string text;
  std::vector<std::string> labels;
  for (const Pair& p : kTable) {
    if (glibc_lacks(p.unicode)) {
      EXPECT_EQ(to_cp932(utf8(p.unicode)), bytes_of(p.code));
      continue;
    }
    text += utf8(p.unicode) + "\n";  // 0x0A is never a CP932 trail byte
    labels.push_back(hex_label("U+", p.unicode));
  }
  expect_same_lines(iconv_cp932(text), to_cp932(text), labels);
}

TEST(Cp932Table, CharactersWhereCp932DiffersFromShiftJis) {
  EXPECT_EQ(to_cp932("～"), "\x81\x60");      // U+FF5E FULLWIDTH TILDE
  EXPECT_EQ(to_cp932("〜"), "\x81\x60");      // U+301C WAVE DASH
  EXPECT_EQ(to_cp932("―"), "\x81\x5C");      // U+2015 HORIZONTAL BAR
  EXPECT_EQ(to_cp932("−"), "\x81\x7C");      // U+2212 MINUS SIGN
  EXPECT_EQ(to_cp932("＼"), "\x81\x5F");      // U+FF3C FULLWIDTH REVERSE SOLIDUS
  EXPECT_EQ(to_cp932("ｱﾞ｡ﾟ"), "\xB1\xDE\xA1\xDF");
  EXPECT_EQ(to_cp932("\\~"), "\\~");
  EXPECT_EQ(to_cp932("ⅰ纊"), "\xFA\x40\xFA\x5C");  // IBM rows, not 0xEE/0xED
  // Characters Python's codec cannot encode stay unencodable.
  EXPECT_EQ(to_cp932("—¥"), "??");           // U+2014, U+00A5
  EXPECT_FALSE(cp932_encodable("¥"));
}

TEST(Cp932Messages, RealMessagesMatchIconv) {
  EXPECT_EQ(to_cp932("使用法：orvo"), "\x8E\x67\x97\x70\x96\x40\x81\x46orvo");
  if (!have_iconv()) GTEST_SKIP() << "iconv not available";
  for (const std::string message : {
           "[do]～[loop]の展開回数を調整します。\n",
           "使用法：orvo",
           "Error: 入力ファイルが指定されていません。\n",
           "\t-Fnum(def= F10 )     〃       F.O.スピード指定",
           "%s:無効な数字を指定しました。\n",
       }) {
    EXPECT_EQ(to_cp932(message), iconv_cp932(message)) << message;
  }
}

// Scans C++ source for string and character literals, skipping comments, and
// returns "file:line: text" for each holding non-ASCII text that CP932
// cannot encode.
std::vector<std::string> bad_literals(const std::string& name, const std::string& src) {
  std::vector<std::string> bad;
  size_t i = 0;
  int line = 1;
  const auto is_word = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
  const auto check = [&](std::string_view body, int at) {
    if (!cp932_encodable(body)) bad.push_back(name + ":" + std::to_string(at) + ": " + std::string(body));
  };
  while (i < src.size()) {
    const char c = src[i];
    if (c == '\n') {
      ++line;
      ++i;
    } else if (src.compare(i, 2, "//") == 0) {
      while (i < src.size() && src[i] != '\n') ++i;
    } else if (src.compare(i, 2, "/*") == 0) {
      const size_t end = src.find("*/", i + 2);
      const size_t stop = end == std::string::npos ? src.size() : end + 2;
      for (; i < stop; ++i) line += src[i] == '\n';
    } else if (std::isdigit(static_cast<unsigned char>(c))) {
      // A number, whose digit separators are not character literals.
      while (i < src.size() && (is_word(src[i]) || src[i] == '.' || src[i] == '\'')) ++i;
    } else if (is_word(c)) {
      while (i < src.size() && is_word(src[i])) ++i;
      if (i < src.size() && src[i] == '"' && src[i - 1] == 'R') {  // raw string
        const size_t open = src.find('(', i);
        const std::string close =
            open == std::string::npos ? "" : ")" + src.substr(i + 1, open - i - 1) + "\"";
        const size_t end = open == std::string::npos ? open : src.find(close, open);
        if (end == std::string::npos) {
          bad.push_back(name + ":" + std::to_string(line) + ": unterminated raw string");
          break;
        }
        check(std::string_view(src).substr(open + 1, end - open - 1), line);
        for (; i < end + close.size(); ++i) line += src[i] == '\n';
      }
    } else if (c == '"' || c == '\'') {
      const size_t start = ++i;
      while (i < src.size() && src[i] != c && src[i] != '\n') i += src[i] == '\\' ? 2 : 1;
      check(std::string_view(src).substr(start, std::min(i, src.size()) - start), line);
      if (i < src.size() && src[i] == c) ++i;
    } else {
      ++i;
    }
  }
  return bad;
}

TEST(Cp932Sources, EveryNonAsciiLiteralIsEncodable) {
  namespace fs = std::filesystem;
  int files = 0;
  for (const auto& entry : fs::recursive_directory_iterator(ORVO_SOURCE_DIR "/src")) {
    const std::string ext = entry.path().extension().string();
    if (!entry.is_regular_file() || (ext != ".cpp" && ext != ".h")) continue;
    ++files;
    for (const std::string& b : bad_literals(entry.path().string(), test::read_file(entry.path().string()))) {
      ADD_FAILURE() << "literal not encodable in CP932: " << b;
    }
  }
  EXPECT_GT(files, 10);
}

TEST(Cp932Sources, ScannerFindsBadLiteralsAndIgnoresComments) {
  using List = std::vector<std::string>;
  EXPECT_EQ(bad_literals("a.cpp", "int x = 1'000;\n// ¥\nauto s = \"¥\"; char c = 'x';\n"),
            (List{"a.cpp:3: ¥"}));
  EXPECT_EQ(bad_literals("b.cpp", "/* ¥\n¥ */ auto s = R\"x(\n¥)\")x\";\n"), (List{"b.cpp:2: \n¥)\""}));
  EXPECT_EQ(bad_literals("c.cpp", "auto s = u8\"\\\"¥\"; // \"¥\"\n"), (List{"c.cpp:1: \\\"¥"}));
  EXPECT_EQ(bad_literals("d.cpp", "auto s = \"～〃\";\n"), List{});
}

TEST(Cp932Utf8, MalformedSequencesBecomeOneQuestionMarkPerBrokenPart) {
  const struct {
    const char* text;
    const char* cp932;
  } cases[] = {
      {"a\x80z", "a?z"},                  // lone continuation byte
      {"\xC0\xAF", "??"},                 // overlong two-byte form
      {"\xE0\x80\x80", "???"},            // overlong three-byte form
      {"\xED\xA0\x80", "???"},            // surrogate
      {"\xE3\x81" "A", "?A"},             // truncated before ASCII
      {"\xE3\x81\xE3\x81\x82", "?\x82\xA0"},  // truncated before a full character
      {"x\xE3\x81", "x?"},                // truncated at the end
      {"\xF4\x90\x80\x80", "????"},       // beyond U+10FFFF
      {"\xF5\xFF", "??"},                 // bytes never used
      {"\xF0\x9F\x8E\xB5", "?"},          // well formed, outside CP932
  };
  for (const auto& c : cases) {
    EXPECT_EQ(to_cp932(c.text), c.cp932) << c.text;
    EXPECT_FALSE(cp932_encodable(c.text)) << c.text;
  }
  EXPECT_EQ(to_cp932(std::string("\0\x7F", 2)), std::string("\0\x7F", 2));
  EXPECT_TRUE(cp932_encodable("Error: 入力ﾌｧｲﾙ～\n"));
}

constexpr Pair kDecodeTable[] = {  // {code, code point}
#include "run/cp932_decode.inc"
};

// Every code of the decoding table, one per line, must read as glibc reads it.
TEST(Cp932Decode, EveryCodeMatchesIconv) {
  ASSERT_GT(std::size(kDecodeTable), 9600u);
  if (!have_iconv()) GTEST_SKIP() << "iconv not available";
  std::string text;
  std::vector<std::string> labels;
  for (const Pair& p : kDecodeTable) {  // {code, code point} in this table
    text += bytes_of(p.unicode) + "\n";
    labels.push_back(hex_label("code ", p.unicode));
  }
  expect_same_lines(run_iconv(text, "CP932", "UTF-8"), cp932_to_utf8(text), labels);
}

TEST(Cp932Decode, MessagesReadBackAndOtherBytesPassAsTheyAre) {
  const std::string message = "[do]～[loop]の展開回数を調整します。ｱﾞ\n";
  EXPECT_EQ(cp932_to_utf8(to_cp932(message)), message);
  // Undefined single bytes, a lead byte before a byte that ends no pair, a
  // lone lead byte at the end, and UTF-8 (a file name) are copied.
  EXPECT_EQ(cp932_to_utf8("\x80\xA0\xFD|\x81\x7F|\x83"), "\x80\xA0\xFD|\x81\x7F|\x83");
  EXPECT_TRUE(is_utf8("/home/me/音楽/song.zmd"));
  EXPECT_FALSE(is_utf8(to_cp932("曲.zmd")));
}

}  // namespace
}  // namespace orvo
