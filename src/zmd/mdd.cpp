#include "zmd/mdd.h"

#include <algorithm>
#include <limits>
#include <vector>

#include "run/alloc.h"
#include "run/exit.h"
#include "run/file_names.h"
#include "run/messages.h"
#include "smf/events.h"
#include "smf/vlq.h"

namespace orvo {

namespace {

// Bytes of the working copy of the file name, terminator included.
constexpr size_t kNameBytes = 80;

// Free bytes below which the conductor grows while a file is read.
constexpr size_t kMddMargin = 512;
constexpr int64_t kMddGrowthKB = 16;

// Room asked for one event beyond its message bytes: the delta (up to 5
// bytes), the status byte and the length (up to 4 bytes).
constexpr size_t kEventOverhead = 10;

constexpr size_t kFirstMessageBytes = 256;

// Bytes of a refused name a message shows at most.
constexpr size_t kShownNameBytes = 255;

// Gives back what the client handed out for an MDD file, also when the
// conversion ends while the file is read.
struct MddFileGuard {
  const MddResolver& resolver;
  const MddFile& file;
  ~MddFileGuard() {
    if (file.state == CompanionState::found && resolver.close != nullptr) {
      resolver.close(resolver.user, file.handle);
    }
  }
};

// The message being collected; `bytes` grows by doubling, `count` are used.
struct MessageBuffer {
  std::vector<uint8_t> bytes;
  size_t count = 0;
};

void append_byte(MessageBuffer& msg, uint8_t byte) {
  if (msg.count == msg.bytes.size()) {
    xrealloc(msg.bytes, msg.bytes.empty() ? kFirstMessageBytes : msg.bytes.size() * 2);
  }
  msg.bytes[msg.count++] = byte;
}

// Growth of the conductor while a file is read, checked after every byte
// that is not a digit.
void grow_for_mdd(TrackBuffer& tb) {
  const size_t capacity = static_cast<size_t>(tb.kb) * 1024;
  if (tb.pos > capacity - kMddMargin) {
    tb.kb += kMddGrowthKB;
    xrealloc(tb.bytes, static_cast<size_t>(tb.kb) * 1024);
  }
}

// Writes one message as an exclusive event: the wait, the status byte (F0,
// or F7 for an escaped message), the length and the remaining bytes.
void emit_message(TrackBuffer& tb, const MessageBuffer& msg, int32_t wait) {
  const uint8_t status = msg.bytes[0];
  if (status != 0xF0 && status != 0xF7) fatal_error(1, "MDD file: not exclusive mes.\n");
  const size_t length = msg.count - 1;
  if (length > static_cast<size_t>(kVlqMax)) fatal_error(1, "MDD file: exclusive mes. too long.\n");
  // The margin kept by grow_for_mdd does not cover a long message.
  ensure_room(tb, msg.count + kEventOverhead);
  // A later file waits the total of the one before, which can pass what a
  // delta time holds.
  tb.pos += write_vlq(write_ptr(tb), std::clamp(wait, 0, kVlqMax));
  tb.bytes[tb.pos++] = status;
  tb.pos += write_vlq(write_ptr(tb), static_cast<int32_t>(length));
  // Data bytes up to the closing F7 (a message ends at its first F7, so an
  // escaped one is that F7 alone).
  for (size_t i = 1; i + 1 < msg.count; ++i) tb.bytes[tb.pos++] = exclusive_data_byte(msg.bytes[i]);
  if (msg.count > 1) tb.bytes[tb.pos++] = msg.bytes[msg.count - 1];
}

int hex_digit(uint8_t c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

int32_t clamp_total(int64_t total) {
  if (total > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
  if (total < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
  return static_cast<int32_t>(total);
}

}  // namespace

std::string mdd_file_name(const std::string& stored_name) {
  std::string name = replace_extension(stored_name, ".MDD");
  if (name.size() >= kNameBytes) {
    // The name runs to the next 0 byte of the song, which a damaged song may
    // put megabytes further: the message, always written whole, shows its
    // beginning.
    fatal_error(1, "%s:MDDファイル名が長すぎます。\n", shown_beginning(name, kShownNameBytes).c_str());
  }
  return name;
}

void loadmdd(Session& s, TrackBuffer& tb, int32_t& mdd_wait, const std::string& stored_name) {
  const std::string name = mdd_file_name(stored_name);
  MddFile file;
  if (s.mdd.open != nullptr) file = s.mdd.open(s.mdd.user, name);
  const MddFileGuard guard{s.mdd, file};
  if (file.state == CompanionState::missing) fatal_error(1, "%s:ファイルが存在しません。\n", name.c_str());
  report(s.err, " MDDファイル[%s]を読み込みます。\n", file.name.c_str());
  if (file.state == CompanionState::unreadable) {
    fatal_error(1, "%s:ファイルが読めません。\n", file.name.c_str());
  }
  const uint8_t* const text = file.data;
  const size_t text_size = file.data == nullptr ? 0 : file.size;

  MessageBuffer msg;
  bool reading = false;  // a value is being read
  uint32_t value = 0;    // only its low 8 bits are ever kept
  int64_t total = 0;     // clocks of the waits written

  size_t i = 0;
  while (i < text_size) {
    const uint8_t c = text[i++];
    const int digit = hex_digit(c);
    if (digit >= 0) {
      value = ((reading ? value : 0u) << 4 | static_cast<uint32_t>(digit)) & 0xFFu;
      reading = true;
      continue;
    }
    if (c == ' ' || c == '\r') {
      if (reading) {
        append_byte(msg, static_cast<uint8_t>(value));
        reading = false;
      }
      if (msg.count > 0 && msg.bytes[msg.count - 1] == 0xF7) {
        emit_message(tb, msg, mdd_wait);
        total += mdd_wait;
        msg.count = 0;
      }
    } else if (c != '\n') {
      // A comment runs to the next CR, which it swallows; the value being
      // read stays open across it.
      while (i < text_size && text[i] != '\r') ++i;
      if (i < text_size) ++i;
    }
    grow_for_mdd(tb);
  }
  // A value or message left unfinished at the end of the file is dropped.
  mdd_wait = clamp_total(total);
}

}  // namespace orvo
