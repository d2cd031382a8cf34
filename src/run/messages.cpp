#include "run/messages.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "run/cp932.h"
#include "run/exit.h"

namespace orvo {

std::string format_message(const char* format, std::va_list args) {
  const std::string cp932_format = to_cp932(format);
  std::va_list measure;
  va_copy(measure, args);
  const int length = std::vsnprintf(nullptr, 0, cp932_format.c_str(), measure);
  va_end(measure);
  if (length <= 0) return std::string();
  std::vector<char> text(static_cast<size_t>(length) + 1);
  std::vsnprintf(text.data(), text.size(), cp932_format.c_str(), args);
  return std::string(text.data(), static_cast<size_t>(length));
}

namespace {

// The conversion that starts at text[i] (a '%'): flags, width and
// precision, an optional l, then its letter, whose index is returned (npos
// when the text ends first). The messages use %s, the character and integer
// conversions and %%.
size_t conversion_letter(std::string_view text, size_t i, bool& is_long) {
  size_t j = i + 1;
  while (j < text.size() && std::strchr("-+ #0123456789.", text[j]) != nullptr) ++j;
  is_long = j < text.size() && text[j] == 'l';
  if (is_long) ++j;
  return j < text.size() ? j : std::string_view::npos;
}

}  // namespace

std::string format_message_utf8(const char* format, std::va_list args) {
  const std::string text = cp932_to_utf8(to_cp932(format));
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    bool is_long = false;
    const size_t j = conversion_letter(text, i, is_long);
    if (j == std::string_view::npos) break;
    const std::string conversion = text.substr(i, j - i + 1);
    char number[64];
    switch (text[j]) {
      case 's': {
        const std::string_view arg = va_arg(args, const char*);
        out += is_utf8(arg) ? std::string(arg) : cp932_to_utf8(arg);
        break;
      }
      case 'c':
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        if (is_long) {
          std::snprintf(number, sizeof number, conversion.c_str(), va_arg(args, long));
        } else {
          std::snprintf(number, sizeof number, conversion.c_str(), va_arg(args, int));
        }
        out += number;
        break;
      case '%':
        out.push_back('%');
        break;
      default:
        out += conversion;
        break;
    }
    i = j;
  }
  return out;
}

std::string format_text(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = format_message(format, args);
  va_end(args);
  return text;
}

namespace {

// What a message would write, without formatting it: its line breaks and
// whether anything follows the last one.
void count_unformatted(ErrorStream& err, const char* format, std::va_list args) {
  uint64_t breaks = 0;
  bool tail = false;
  auto add = [&](char c) {
    if (c == '\n') {
      ++breaks;
      tail = false;
    } else {
      tail = true;
    }
  };
  const std::string_view text(format);
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      add(text[i]);
      continue;
    }
    bool is_long = false;
    const size_t j = conversion_letter(text, i, is_long);
    if (j == std::string_view::npos) break;
    switch (text[j]) {
      case 's':
        for (const char* a = va_arg(args, const char*); *a != '\0'; ++a) add(*a);
        break;
      case 'c':
        add(static_cast<char>(va_arg(args, int)));
        break;
      case 'd':
      case 'i':
      case 'u':
      case 'o':
      case 'x':
      case 'X':
        if (is_long) {
          (void)va_arg(args, long);
        } else {
          (void)va_arg(args, int);
        }
        tail = true;
        break;
      default:
        tail = true;
        break;
    }
    i = j;
  }
  count_omitted(err, breaks, tail);
}

// Keeps a message held in CP932, read back into UTF-8 when the stream keeps
// that too.
void append_cp932_message(ErrorStream& err, const std::string& cp932) {
  append_message(err, cp932, (err.encodings & kMessagesUtf8) != 0 ? cp932_to_utf8(cp932) : "");
}

}  // namespace

void report(ErrorStream& err, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  if (omitting(err)) {
    count_unformatted(err, format, args);
    va_end(args);
    return;
  }
  std::string cp932;
  std::string utf8;
  if ((err.encodings & kMessagesCp932) != 0) {
    std::va_list again;
    va_copy(again, args);
    cp932 = format_message(format, again);
    va_end(again);
  }
  if ((err.encodings & kMessagesUtf8) != 0) utf8 = format_message_utf8(format, args);
  va_end(args);
  append_message(err, cp932, utf8);
}

void report_song_text(ErrorStream& err, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  if (omitting(err)) {
    count_unformatted(err, format, args);
    va_end(args);
    return;
  }
  const std::string cp932 = format_message(format, args);
  va_end(args);
  append_cp932_message(err, cp932);
}

void report_text(ErrorStream& err, const char* text) {
  if (omitting(err)) {
    const std::string_view t(text);
    const size_t last = t.rfind('\n');
    count_omitted(err, static_cast<uint64_t>(std::count(t.begin(), t.end(), '\n')),
                  !t.empty() && last != t.size() - 1);
    return;
  }
  const std::string cp932 = to_cp932(text);
  append_cp932_message(err, cp932);
}

void report_final(ErrorStream& err, std::string_view cp932, std::string_view utf8) {
  if (const uint64_t left_out = omitted_lines(err); left_out > 0) {
    const int count = static_cast<int>(std::min<uint64_t>(left_out, INT_MAX));
    // A line cut by the byte bound is ended first.
    const std::string notice = std::string(err.written_open ? "\n" : "") +
                               format_text("メッセージが多すぎるため、以降の %d 行を省略しました。\n", count);
    append_unbounded(err, notice, (err.encodings & kMessagesUtf8) != 0 ? cp932_to_utf8(notice) : "");
    err.omitted_breaks = 0;
    err.omitted_open = false;
  }
  append_unbounded(err, cp932, utf8);
  flush_error_stream(err);
}

void report_exit(ErrorStream& err, const ProcessExit& e) {
  report_final(err, e.message, e.message_utf8);
}

void fatal_error(int status, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::va_list again;
  va_copy(again, args);
  std::string text = format_message(format, args);
  std::string utf8 = format_message_utf8(format, again);
  va_end(again);
  va_end(args);
  throw ProcessExit{status, std::move(text), std::move(utf8)};
}

}  // namespace orvo
