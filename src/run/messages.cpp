#include "run/messages.h"

#include <cstdio>
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

std::string format_message_of(const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = format_message(format, args);
  va_end(args);
  return text;
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
  std::va_list args;
  va_start(args, format);
  const std::string text = format_message(format, args);
  va_end(args);
  report_bytes(err, text);
}

void fatal_error(int status, const char* format, ...) {
  std::va_list args;
  va_start(args, format);
  std::string text = format_message(format, args);
  va_end(args);
  throw ProcessExit{status, std::move(text)};
}

}  // namespace orvo
