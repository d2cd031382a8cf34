#include "run/error_stream.h"

#include <algorithm>

namespace orvo {

namespace {

// A long line of markers reaches the sink every few kilobytes.
constexpr size_t kHeldBytes = 4096;

uint64_t count_breaks(std::string_view text) {
  return static_cast<uint64_t>(std::count(text.begin(), text.end(), '\n'));
}

// The length of `text` up to and including its `n`th line break (n >= 1).
size_t through_break(std::string_view text, uint64_t n) {
  size_t at = 0;
  for (;;) {
    at = text.find('\n', at);
    if (--n == 0) return at + 1;
    ++at;
  }
}

void keep(ErrorStream& err, std::string_view cp932, std::string_view utf8) {
  if ((err.encodings & kMessagesCp932) != 0) err.cp932 += cp932;
  if ((err.encodings & kMessagesUtf8) != 0) err.utf8 += utf8;
  const std::string_view any = (err.encodings & kMessagesCp932) != 0 ? cp932 : utf8;
  if (!any.empty()) {
    err.bytes += any.size();
    err.written_open = any.back() != '\n';
  }
  if (err.sink.write == nullptr) return;
  const size_t held = std::max(err.cp932.size(), err.utf8.size());
  if (any.find('\n') != std::string_view::npos || held >= kHeldBytes) flush_error_stream(err);
}

}  // namespace

void count_omitted(ErrorStream& err, uint64_t breaks, bool tail) {
  err.omitted_breaks += breaks;
  if (breaks > 0) {
    err.omitted_open = tail;
  } else if (tail) {
    err.omitted_open = true;
  }
}

uint64_t omitted_lines(const ErrorStream& err) {
  return err.omitted_breaks + (err.omitted_open ? 1 : 0);
}

void append_message(ErrorStream& err, std::string_view cp932, std::string_view utf8) {
  // Both forms hold the same line breaks: no CP932 character has 0x0A as
  // its second byte.
  const std::string_view any = (err.encodings & kMessagesCp932) != 0 ? cp932 : utf8;
  if (any.empty()) return;
  if (!omitting(err) && err.bytes + any.size() > err.byte_bound) err.full = true;
  if (omitting(err)) {
    const size_t last = any.rfind('\n');
    count_omitted(err, count_breaks(any), last != any.size() - 1);
    return;
  }
  const uint64_t breaks = count_breaks(any);
  const uint64_t room = err.line_bound - err.lines;
  if (breaks <= room) {
    err.lines += breaks;
    keep(err, cp932, utf8);
    return;
  }
  // The text passes the bound: its lines up to the bound are written, the
  // rest is left out.
  const bool has_cp932 = (err.encodings & kMessagesCp932) != 0;
  const size_t cut_cp932 = has_cp932 ? through_break(cp932, room) : 0;
  const size_t cut_utf8 = (err.encodings & kMessagesUtf8) != 0 ? through_break(utf8, room) : 0;
  err.lines += room;
  keep(err, cp932.substr(0, cut_cp932), utf8.substr(0, cut_utf8));
  const std::string_view rest = any.substr(has_cp932 ? cut_cp932 : cut_utf8);
  count_omitted(err, breaks - room, rest.back() != '\n');
}

void append_unbounded(ErrorStream& err, std::string_view cp932, std::string_view utf8) {
  const std::string_view any = (err.encodings & kMessagesCp932) != 0 ? cp932 : utf8;
  err.lines += count_breaks(any);
  keep(err, cp932, utf8);
}

void flush_error_stream(ErrorStream& err) {
  if (err.sink.write == nullptr || (err.cp932.empty() && err.utf8.empty())) return;
  err.sink.write(err.sink.user, err.cp932, err.utf8);
  err.cp932.clear();
  err.utf8.clear();
}

}  // namespace orvo
