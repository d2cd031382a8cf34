// UTF-8 to CP932 and back through two tables indexed by character: one by
// code point, one by CP932 code. Both are built while compiling from the
// generated lists of pairs (run/cp932_table.inc, run/cp932_decode.inc), so
// that a lookup is two loads and the program holds only the paged tables,
// which compress far better than the lists.
#include "run/cp932.h"

#include "run/file_names.h"

#include <array>
#include <cstdint>

namespace orvo {
namespace {

struct Cp932Pair {
  uint16_t unicode;
  uint16_t code;  // one byte when below 0x100, else lead byte * 256 + trail byte
};

constexpr Cp932Pair kTable[] = {
#include "run/cp932_table.inc"
};

struct Cp932Char {
  uint16_t code;  // one byte when below 0x100, else lead byte * 256 + trail byte
  uint16_t unicode;
};

constexpr Cp932Char kDecodeTable[] = {
#include "run/cp932_decode.inc"
};

// A map from 16-bit keys to 16-bit values that are never 0, in pages of 256
// values: the key's high byte picks a page and its low byte the value. High
// bytes without any key share the empty page 0.
template <size_t kPages>
struct PagedTable {
  std::array<uint8_t, 256> page_of{};
  std::array<std::array<uint16_t, 256>, kPages> values{};

  // The value of `key`, or -1 when it has none.
  int32_t find(uint32_t key) const {
    if (key > 0xFFFF) return -1;
    const uint16_t value = values[page_of[key >> 8]][key & 0xFF];
    return value != 0 ? value : -1;
  }
};

// The pages a list of pairs needs: one per high byte of its keys, and the
// empty page.
template <typename Pair, size_t kCount, typename Key>
constexpr size_t pages_needed(const Pair (&pairs)[kCount], Key key) {
  std::array<bool, 256> seen{};
  size_t pages = 1;
  for (const Pair& p : pairs) {
    const size_t high = key(p) >> 8;
    if (!seen[high]) {
      seen[high] = true;
      ++pages;
    }
  }
  return pages;
}

template <size_t kPages, typename Pair, size_t kCount, typename Key, typename Value>
constexpr PagedTable<kPages> make_paged(const Pair (&pairs)[kCount], Key key, Value value) {
  static_assert(kPages <= 256, "a page number is one byte");
  PagedTable<kPages> table;
  size_t next = 1;
  for (const Pair& p : pairs) {
    const size_t high = key(p) >> 8;
    if (table.page_of[high] == 0) table.page_of[high] = static_cast<uint8_t>(next++);
    table.values[table.page_of[high]][key(p) & 0xFF] = value(p);
  }
  return table;
}

constexpr auto kUnicodeOf = [](const Cp932Pair& p) { return p.unicode; };
constexpr auto kCodeOf = [](const Cp932Pair& p) { return p.code; };
constexpr auto kCharCodeOf = [](const Cp932Char& c) { return c.code; };
constexpr auto kCharUnicodeOf = [](const Cp932Char& c) { return c.unicode; };

// CP932 codes by code point.
constexpr auto kEncode =
    make_paged<pages_needed(kTable, kUnicodeOf)>(kTable, kUnicodeOf, kCodeOf);
// Code points by CP932 code.
constexpr auto kDecode =
    make_paged<pages_needed(kDecodeTable, kCharCodeOf)>(kDecodeTable, kCharCodeOf, kCharUnicodeOf);

// 0 stands for no value: every pair must map to something else.
template <typename Pair, size_t kCount, typename Value>
constexpr bool no_zero_value(const Pair (&pairs)[kCount], Value value) {
  for (const Pair& p : pairs) {
    if (value(p) == 0) return false;
  }
  return true;
}
static_assert(no_zero_value(kTable, kCodeOf) && no_zero_value(kDecodeTable, kCharUnicodeOf));

constexpr uint32_t kInvalid = 0xFFFFFFFF;

// Decodes one character at text[pos], advancing pos. A malformed sequence
// yields kInvalid and advances over its longest well-formed prefix (at least
// one byte), so the bytes after it are decoded afresh.
uint32_t decode_utf8(std::string_view text, size_t& pos) {
  const auto byte = [&](size_t i) { return static_cast<uint8_t>(text[i]); };
  const uint8_t lead = byte(pos++);
  if (lead < 0x80) return lead;
  int extra = 0;
  uint32_t value = 0;
  // The allowed range of the second byte; narrower after the leads that
  // would otherwise allow overlong forms, surrogates or values past U+10FFFF.
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    extra = 1;
    value = lead & 0x1Fu;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    extra = 2;
    value = lead & 0x0Fu;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    extra = 3;
    value = lead & 0x07u;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return kInvalid;
  }
  for (int i = 0; i < extra; ++i) {
    if (pos >= text.size()) return kInvalid;
    const uint8_t b = byte(pos);
    if (b < low || b > high) return kInvalid;
    low = 0x80;
    high = 0xBF;
    value = (value << 6) | (b & 0x3Fu);
    ++pos;
  }
  return value;
}

// The CP932 code of a character above ASCII, or -1 when it has none.
int32_t lookup(uint32_t unicode) { return kEncode.find(unicode); }

// The character of a CP932 code, or -1 when the code has none.
int32_t lookup_code(uint16_t code) { return kDecode.find(code); }

void append_utf8(std::string& out, uint32_t c) {
  if (c < 0x80) {
    out.push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    out.push_back(static_cast<char>(0xC0 | (c >> 6)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    out.push_back(static_cast<char>(0xE0 | (c >> 12)));
    out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

}  // namespace

std::string cp932_to_utf8(std::string_view cp932) {
  std::string out;
  out.reserve(cp932.size() + cp932.size() / 2);
  size_t pos = 0;
  while (pos < cp932.size()) {
    const uint8_t lead = static_cast<uint8_t>(cp932[pos]);
    if (lead < 0x80) {
      out.push_back(static_cast<char>(lead));
      ++pos;
      continue;
    }
    if (is_sjis_lead(lead) && pos + 1 < cp932.size()) {
      const uint16_t code = static_cast<uint16_t>(lead << 8 | static_cast<uint8_t>(cp932[pos + 1]));
      const int32_t c = lookup_code(code);
      if (c >= 0) {
        append_utf8(out, static_cast<uint32_t>(c));
        pos += 2;
        continue;
      }
    }
    const int32_t c = is_sjis_lead(lead) ? -1 : lookup_code(lead);
    if (c >= 0) {
      append_utf8(out, static_cast<uint32_t>(c));
    } else {
      out.push_back(static_cast<char>(lead));
    }
    ++pos;
  }
  return out;
}

bool is_utf8(std::string_view text) {
  size_t pos = 0;
  while (pos < text.size()) {
    if (decode_utf8(text, pos) == kInvalid) return false;
  }
  return true;
}

std::string to_cp932(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t pos = 0;
  while (pos < utf8.size()) {
    const uint32_t c = decode_utf8(utf8, pos);
    if (c < 0x80) {
      out.push_back(static_cast<char>(c));
      continue;
    }
    const int32_t code = c == kInvalid ? -1 : lookup(c);
    if (code < 0) {
      out.push_back('?');
    } else if (code < 0x100) {
      out.push_back(static_cast<char>(code));
    } else {
      out.push_back(static_cast<char>(code >> 8));
      out.push_back(static_cast<char>(code & 0xFF));
    }
  }
  return out;
}

bool cp932_encodable(std::string_view utf8) {
  size_t pos = 0;
  while (pos < utf8.size()) {
    const uint32_t c = decode_utf8(utf8, pos);
    if (c >= 0x80 && (c == kInvalid || lookup(c) < 0)) return false;
  }
  return true;
}

}  // namespace orvo
