#include "engine/switches.h"

#include <cstdint>

namespace orvo {

namespace {

constexpr int32_t kByteFieldMax = 127;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// A decimal number at `pos`; false when it passes 2,147,483,647.
bool read_number(const std::string& arg, size_t& pos, int32_t& value) {
  int64_t n = 0;
  while (pos < arg.size() && is_digit(arg[pos])) {
    n = n * 10 + (arg[pos] - '0');
    ++pos;
    if (n > INT32_MAX) return false;
  }
  value = static_cast<int32_t>(n);
  return true;
}

// A required number directly after the letter.
SwitchError required(const std::string& arg, size_t& pos, int32_t& value) {
  if (pos >= arg.size() || !is_digit(arg[pos])) return SwitchError::missing_number;
  return read_number(arg, pos, value) ? SwitchError::none : SwitchError::overflow;
}

// A number that must fit a byte field (0..127).
SwitchError byte_number(const std::string& arg, size_t& pos, int8_t& field) {
  int32_t n = 0;
  const SwitchError e = required(arg, pos, n);
  if (e != SwitchError::none) return e;
  if (n > kByteFieldMax) return SwitchError::too_large;
  field = static_cast<int8_t>(n);
  return SwitchError::none;
}

// An optional number: `absent` when no digit follows the letter.
SwitchError optional_byte_number(const std::string& arg, size_t& pos, int8_t& field, int8_t absent) {
  if (pos >= arg.size() || !is_digit(arg[pos])) {
    field = absent;
    return SwitchError::none;
  }
  int32_t n = 0;
  if (!read_number(arg, pos, n)) return SwitchError::overflow;
  if (n > kByteFieldMax) return SwitchError::too_large;
  field = static_cast<int8_t>(n);
  return SwitchError::none;
}

SwitchError number_field(const std::string& arg, size_t& pos, int32_t& field) {
  int32_t n = 0;
  const SwitchError e = required(arg, pos, n);
  if (e == SwitchError::none) field = n;
  return e;
}

}  // namespace

SwitchError apply_music_switch(MusicOptions& o, const std::string& arg, size_t& pos) {
  const char letter = arg[pos++];
  switch (letter) {
    case 'a':
      o.timer_a = 1;
      return SwitchError::none;
    case 'b': {
      int32_t n = 0;
      const SwitchError e = required(arg, pos, n);
      if (e != SwitchError::none) return e;
      if (n == 0) return SwitchError::zero;
      if (n > kByteFieldMax) return SwitchError::too_large;
      o.bend_interval = static_cast<int8_t>(n);
      return SwitchError::none;
    }
    case 'd':
      return number_field(arg, pos, o.fade_delay);
    case 'f':
      return byte_number(arg, pos, o.fade_speed);
    case 'i':
      return optional_byte_number(arg, pos, o.init_gap, 0);
    case 'j':
      o.auto_loop = 1;
      return SwitchError::none;
    case 'l':
      return number_field(arg, pos, o.loop_count);
    case 'm':
      o.convert_fm = 1;
      return SwitchError::none;
    case 'r':
      return optional_byte_number(arg, pos, o.keyoff_skip, -1);
    case 's':
      o.running_status = 0;
      return SwitchError::none;
    case 't':
      return number_field(arg, pos, o.track_buffer_kb);
    case 'u':
      o.round_tempo = 1;
      return SwitchError::none;
    case 'x':
      return byte_number(arg, pos, o.excl_wait);
    case '?':
    case 'h':
    case 'c':
    case 'e':
    case 'g':
    case 'o':
      return SwitchError::not_music;
    default:
      return SwitchError::unknown;
  }
}

bool parse_music_switches(MusicOptions& o, const std::string& text) {
  MusicOptions parsed = o;
  size_t at = 0;
  for (;;) {
    while (at < text.size() && (text[at] == ' ' || text[at] == '\t' || text[at] == '\n')) ++at;
    if (at >= text.size()) break;
    size_t end = at;
    while (end < text.size() && text[end] != ' ' && text[end] != '\t' && text[end] != '\n') ++end;
    std::string group = text.substr(at, end - at);
    at = end;
    // A group starts with "-" or "/" and holds at least one letter; "-"
    // alone (standard input) and "--..." (long options) are not music.
    if ((group[0] != '-' && group[0] != '/') || group.size() < 2 || group[1] == '-') return false;
    for (char& c : group) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    size_t pos = 1;
    while (pos < group.size()) {
      if (apply_music_switch(parsed, group, pos) != SwitchError::none) return false;
    }
  }
  o = parsed;
  return true;
}

}  // namespace orvo
