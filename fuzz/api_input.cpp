#include "api_input.h"

#include <algorithm>
#include <vector>

#include "fuzz_input.h"
#include "orvo/orvo.h"
#include "run/bounds.h"
#include "support/smf_check.h"

namespace orvo::fuzz {

namespace {

constexpr unsigned kAbsent = 0xFFFF;
constexpr unsigned kUnreadable = 0xFFFE;

struct MddShelf {
  const uint8_t* data = nullptr;
  size_t size = 0;
  unsigned mode = 0;  // kAbsent, kUnreadable, or a length
  int handed_out = 0;
};

int open_mdd(void* user, const char*, const void** data, size_t* size, void** handle) {
  auto& shelf = *static_cast<MddShelf*>(user);
  if (shelf.mode == kAbsent) return 0;
  if (shelf.mode == kUnreadable) return -1;
  *data = shelf.data;
  *size = shelf.size;
  *handle = &shelf;
  ++shelf.handed_out;
  return 1;
}

void close_mdd(void* user, void*) { --static_cast<MddShelf*>(user)->handed_out; }

unsigned be16(const uint8_t* p) { return static_cast<unsigned>(p[0] << 8 | p[1]); }

}  // namespace

std::string convert_api_input(const uint8_t* data, size_t size) {
  uint8_t header[kApiHeaderBytes] = {};
  std::copy(data, data + std::min(size, kApiHeaderBytes), header);
  size_t at = std::min(size, kApiHeaderBytes);
  auto take = [&](size_t n) {
    const size_t got = std::min(n, size - at);
    const uint8_t* p = data + at;
    at += got;
    return std::pair<const uint8_t*, size_t>{p, got};
  };
  const unsigned signature_length = be16(header + 4);
  MddShelf shelf;
  shelf.mode = be16(header + 6);
  const auto signature = take(signature_length == kAbsent ? 0 : signature_length);
  const auto mdd = take(shelf.mode >= kUnreadable ? 0 : shelf.mode);
  shelf.data = mdd.first;
  shelf.size = mdd.second;
  const auto song = take(size - at);

  std::string switches;
  for (const std::string& s : switches_from(header, kSwitchBytes)) switches += s + " ";
  orvo_options* options = orvo_options_new();
  if (options == nullptr || orvo_options_parse(options, switches.c_str()) != 0) return "switches refused: " + switches;

  orvo_input input{};
  input.struct_size = sizeof input;
  input.data = song.first;
  input.size = song.second;
  input.name = "fuzz.zmd";
  if (signature_length != kAbsent) {
    input.signature = signature.first;
    input.signature_size = signature.second;
  }
  const orvo_companions companions{sizeof(orvo_companions), &shelf, open_mdd, close_mdd, nullptr};
  orvo_result* result = nullptr;
  const int status = orvo_convert(&input, options, &companions, &result);
  orvo_options_free(options);
  if (result == nullptr) return status == 10 ? "" : "no result";

  std::string broken;
  size_t midi_size = 0;
  const unsigned char* midi = orvo_result_midi(result, &midi_size);
  size_t text_size = 0;
  const char* text = orvo_result_messages(result, ORVO_TEXT_UTF8, &text_size);
  const std::string messages(text, text_size);
  const std::string error = orvo_result_error(result);
  const auto lines = static_cast<uint64_t>(std::count(messages.begin(), messages.end(), '\n'));
  if ((status == 0) != (midi != nullptr)) {
    broken = "status " + std::to_string(status) + " with" + (midi ? "" : "out") + " MIDI bytes";
  } else if (midi != nullptr) {
    broken = test::check_smf(std::vector<uint8_t>(midi, midi + midi_size));
  }
  // The bound, the notice and the last message: three lines of its own at
  // most, and the 255 bytes of a name it may show, line breaks and all.
  if (broken.empty() && lines > kBounds.message_lines + 1 + 3 + 255) {
    broken = std::to_string(lines) + " message lines";
  }
  // In UTF-8 a CP932 character takes at most half as much again.
  if (broken.empty() && messages.size() > kBounds.message_bytes * 3 / 2 + 4096) {
    broken = std::to_string(messages.size()) + " bytes of messages";
  }
  if (broken.empty() && status != 0 && status != 10 && messages.find(error) == std::string::npos) {
    broken = "the error line is not among the messages";
  }
  if (broken.empty() && shelf.handed_out != 0) broken = "an MDD file was not given back";
  orvo_result_free(result);
  return broken;
}

}  // namespace orvo::fuzz
