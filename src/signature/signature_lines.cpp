#include "signature/signature_lines.h"

#include <algorithm>
#include <cstddef>

#include "run/messages.h"

namespace orvo {

namespace {

constexpr int64_t kNumberMax = 2147483647;
constexpr int32_t kBarMax = 32767;        // bars are stored as signed 16-bit values
constexpr int32_t kNumeratorMax = 255;    // the numerator byte of a time signature
constexpr int kTimeSignatureBit = 0x2000;
constexpr int kKeySignatureBit = 0x4000;  // never set in a stored code
constexpr int kKeyStart = 14;             // C major
constexpr int kKeyCodeMax = 29;           // seven sharps, minor

// Letters of a key and what each adds to the key code.
constexpr char kKeyLetters[] = "FCGDAEBb#m";
constexpr int kKeySteps[] = {-2, 0, 2, 4, 6, 8, 10, -14, 14, -5};
constexpr int kMinorIndex = 9;

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool is_line_end(char c) { return c == '\0' || c == '\n'; }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool is_letter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }

const char* skip_blanks(const char* p) {
  while (is_blank(*p)) ++p;
  return p;
}

// Decimal digits at `p`, saturating; 0 when there are none.
const char* read_digits(const char* p, int32_t& number) {
  int64_t value = 0;
  for (; is_digit(*p); ++p) value = std::min(value * 10 + (*p - '0'), kNumberMax);
  number = static_cast<int32_t>(value);
  return p;
}

// The rest of an item refused because the list is full, up to its ','.
const char* skip_item(const char* p) {
  while (*p != ',' && !is_line_end(*p)) ++p;
  return p;
}

int16_t bar_value(int32_t bar) { return static_cast<int16_t>(std::min(bar, kBarMax)); }

bool list_full(const std::vector<SignatureEntry>& list, ErrorStream& err) {
  if (list.size() < kSignatureEntriesMax) return false;
  report(err, "signatureファイルの設定事項が多すぎます。\n");
  return true;
}

// d = halvings of the denominator before it reaches 1 or less, at least 1.
int16_t time_code(int32_t numerator, int32_t denominator) {
  int d = 0;
  for (int32_t rest = denominator; rest > 1; rest /= 2) ++d;
  d = std::max(d, 1);
  const int code = ((numerator * 32 + d) | kTimeSignatureBit) & ~kKeySignatureBit;
  return static_cast<int16_t>(code);
}

// One item "bar=numerator/denominator" or "numerator/denominator" (bar 1).
// Returns the position where the item ended or failed.
const char* time_item(const char* p, std::vector<SignatureEntry>& list, ErrorStream& err) {
  int32_t bar = 0;
  p += getnumber(p, bar);
  if (*p != '=' && *p != '/') {
    report(err, "拍：format error.\n");
    return p;
  }
  if (list_full(list, err)) return skip_item(p);
  int32_t numerator = bar;
  if (*p == '=') {
    p = read_digits(skip_blanks(p + 1), numerator);
    while (*p == ' ') ++p;
    if (*p != '/') {
      report(err, "拍：format error.\n");
      return p;
    }
  } else {
    bar = 1;
  }
  int32_t denominator = 0;
  p = skip_blanks(read_digits(skip_blanks(p + 1), denominator));
  // A numerator beyond one byte cannot be written as a time signature.
  if ((*p != ',' && !is_line_end(*p)) || numerator > kNumeratorMax) {
    report(err, "拍：format error.\n");
    return p;
  }
  list.push_back(SignatureEntry{bar_value(bar), time_code(numerator, denominator)});
  return p;
}

// One item "bar=key" or "key" (bar 1); the key's letters follow the '='
// directly.
const char* key_item(const char* p, std::vector<SignatureEntry>& list, ErrorStream& err) {
  int32_t bar = 0;
  p += getnumber(p, bar);
  if (*p != '=' && !is_letter(*p)) {
    report(err, "調：format error.\n");
    return p;
  }
  if (list_full(list, err)) return skip_item(p);
  if (*p == '=') {
    ++p;
  } else {
    bar = 1;
  }
  int code = kKeyStart;
  bool unsupported_reported = false;
  for (int k; (k = findchar(kKeyLetters, *p)) >= 0; ++p) {
    code += kKeySteps[k];
    if (k == kMinorIndex && code < 0) {
      report(err, "調:MIDでは未サポートのコードです。\n");
      unsupported_reported = true;
    }
  }
  // More than seven sharps or flats has no key signature event: refused.
  if (code < 0 || code > kKeyCodeMax) {
    if (!unsupported_reported) report(err, "調:MIDでは未サポートのコードです。\n");
  } else {
    const int stored = code & ~(kTimeSignatureBit | kKeySignatureBit);
    list.push_back(SignatureEntry{bar_value(bar), static_cast<int16_t>(stored)});
  }
  p = skip_blanks(p);
  if (*p != ',' && !is_line_end(*p)) report(err, "調：format error.\n");
  return p;
}

// Runs `item` over a ','-separated list. After an item, parsing goes on one
// character past where it stopped, so a malformed item resumes just after the
// point of the error. Every pass consumes at least one character.
template <typename Item>
void parse_items(const char* p, std::vector<SignatureEntry>& list, ErrorStream& err, Item item) {
  for (;;) {
    p = item(p, list, err);
    if (is_line_end(*p)) return;
    ++p;
  }
}

}  // namespace

int findchar(const char* s, char c) {
  for (int i = 0; s[i] != '\0'; ++i) {
    if (s[i] == c) return i;
  }
  return -1;
}

int getnumber(const char* text, int32_t& number) {
  const char* p = skip_blanks(read_digits(skip_blanks(text), number));
  return static_cast<int>(p - text);
}

void parse_time_signatures(const char* items, std::vector<SignatureEntry>& list, ErrorStream& err) {
  parse_items(items, list, err, time_item);
}

void parse_key_signatures(const char* items, std::vector<SignatureEntry>& list, ErrorStream& err) {
  parse_items(items, list, err, key_item);
}

}  // namespace orvo
