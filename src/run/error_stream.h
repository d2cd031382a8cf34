// The error stream of one conversion: every message it writes, in the
// encodings its reader wants, either kept in memory or handed a line at a
// time to the client that shows them. A conversion writes at most 10,000
// lines and 1 MiB (the bounds of run/bounds.h); what a hostile file makes it
// say beyond that is counted, not kept, and one line before the last says
// how much was left out.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "run/bounds.h"

namespace orvo {

// The encodings a stream formats its messages in.
enum MessageEncoding : unsigned {
  kMessagesCp932 = 1,  // the bytes pipes and files get
  kMessagesUtf8 = 2,   // for a UTF-8 terminal or API
};

// A client's receiver of finished text: called with each finished line (or
// every few kilobytes of a long one), in both encodings the stream formats;
// an encoding not formatted comes empty.
struct MessageSink {
  void* user = nullptr;
  void (*write)(void* user, std::string_view cp932, std::string_view utf8) = nullptr;
};

struct ErrorStream {
  unsigned encodings = kMessagesCp932;  // which forms are formatted
  MessageSink sink;                     // when set, finished text goes there, else it is kept
  std::string cp932;                    // kept text, or the end of a line not yet handed on
  std::string utf8;                     // the same in UTF-8
  uint64_t line_bound = kBounds.message_lines;  // lines written before the rest is left out
  uint64_t byte_bound = kBounds.message_bytes;  // bytes written (of the CP932 form, if formatted)
  uint64_t lines = 0;                   // lines written, each ended by a line break
  uint64_t bytes = 0;                   // bytes written
  bool written_open = false;            // what was written ends inside a line
  bool full = false;                    // a message did not fit the byte bound: the rest is left out
  uint64_t omitted_breaks = 0;          // line breaks of the text left out
  bool omitted_open = false;            // the text left out ends inside a line
};

// True once the stream has written its bound of lines or bytes: later text
// is only counted.
inline bool omitting(const ErrorStream& err) { return err.full || err.lines >= err.line_bound; }

// Appends a formatted text in the stream's encodings (`utf8` is ignored
// unless the stream formats UTF-8, `cp932` likewise), within the bound.
void append_message(ErrorStream& err, std::string_view cp932, std::string_view utf8);

// Counts a text that is left out without being formatted: its `breaks`
// line breaks, and `tail`: whether anything follows the last of them (or,
// without a break, whether the text is not empty).
void count_omitted(ErrorStream& err, uint64_t breaks, bool tail);

// The number of lines left out so far; a line begun and not ended counts.
uint64_t omitted_lines(const ErrorStream& err);

// Appends a text whatever the bound (the conversion's last message).
void append_unbounded(ErrorStream& err, std::string_view cp932, std::string_view utf8);

// Hands what the stream holds to its sink. Without a sink the text stays kept.
void flush_error_stream(ErrorStream& err);

}  // namespace orvo
