#include "run/messages.h"

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

std::string format_message_utf8(const char* format, std::va_list args) {
  const std::string text = cp932_to_utf8(to_cp932(format));
  std::string out;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out.push_back(text[i]);
      continue;
    }
    // The conversions the messages use: %s, the character and integer
    // conversions with flags, width and precision, with or without l, %%.
    size_t j = i + 1;
    while (j < text.size() && std::strchr("-+ #0123456789.", text[j]) != nullptr) ++j;
    const bool is_long = j < text.size() && text[j] == 'l';
    if (is_long) ++j;
    if (j >= text.size()) break;
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

namespace {
constexpr size_t kHeldBytes = 4096;
}  // namespace

void report_bytes(ErrorStream& err, const std::string& bytes) {
  if (err.file == nullptr || bytes.empty()) return;
  err.held += bytes;
  if (bytes.find('\n') != std::string::npos || err.held.size() >= kHeldBytes) {
    flush_error_stream(err);
  }
}

void report(ErrorStream& err, const char* format, ...) {
  if (err.file == nullptr) return;
  std::va_list args;
  va_start(args, format);
  const std::string text = err.utf8 ? format_message_utf8(format, args) : format_message(format, args);
  va_end(args);
  report_bytes(err, text);
}

void report_text(ErrorStream& err, const char* text) {
  if (err.file == nullptr) return;
  const std::string cp932 = to_cp932(text);
  report_bytes(err, err.utf8 ? cp932_to_utf8(cp932) : cp932);
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
