// The C API: a thin room over the engine. Every entry catches whatever the
// engine throws and answers with a status; results own their bytes.
#include "orvo/orvo.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <string>

#include "engine/convert_song.h"
#include "engine/midi_file.h"
#include "engine/switches.h"
#include "run/alloc.h"
#include "run/file_names.h"

struct orvo_options {
  orvo::MusicOptions music;
};

struct orvo_result {
  int status = 0;
  unsigned char* midi = nullptr;  // malloc'ed; only when converted
  size_t midi_size = 0;
  std::string messages_utf8;
  std::string messages_cp932;
  std::string error;

  ~orvo_result() { std::free(midi); }
};

namespace {

using orvo::CompanionState;
using orvo::MddFile;
using orvo::MusicOptions;

// True when a struct of `struct_size` bytes holds the member ending at `end`.
constexpr bool covers(size_t struct_size, size_t end) { return struct_size >= end; }

#define ORVO_HAS(ptr, type, member) \
  covers((ptr)->struct_size, offsetof(type, member) + sizeof(type::member))

// The caller's companions, as the engine asks for MDD files.
struct Companions {
  void* user = nullptr;
  int (*open_mdd)(void*, const char*, const void**, size_t*, void**) = nullptr;
  void (*close)(void*, void*) = nullptr;
  const char* (*opened_name)(void*) = nullptr;
};

MddFile open_mdd(void* user, const std::string& name) {
  const Companions& c = *static_cast<const Companions*>(user);
  MddFile file;
  file.name = name;
  if (c.open_mdd == nullptr) return file;
  const void* data = nullptr;
  size_t size = 0;
  void* handle = nullptr;
  const int found = c.open_mdd(c.user, name.c_str(), &data, &size, &handle);
  if (found == 0) return file;
  const char* shown = c.opened_name != nullptr ? c.opened_name(c.user) : nullptr;
  if (shown != nullptr) {
    try {
      file.name = shown;
    } catch (...) {
      if (found == 1 && c.close != nullptr) c.close(c.user, handle);
      throw;
    }
  }
  if (found != 1 || (data == nullptr && size > 0)) {
    // Nothing is kept of a file that could not be read, but what the
    // caller handed out is given back.
    if (found == 1 && c.close != nullptr) c.close(c.user, handle);
    file.state = CompanionState::unreadable;
    return file;
  }
  file.state = CompanionState::found;
  file.data = static_cast<const uint8_t*>(data);
  file.size = size;
  file.handle = handle;
  return file;
}

void close_mdd(void* user, void* handle) {
  const Companions& c = *static_cast<const Companions*>(user);
  if (c.close != nullptr) c.close(c.user, handle);
}

bool in_range(long value, long low, long high) { return value >= low && value <= high; }

}  // namespace

extern "C" {

unsigned orvo_version(void) {
  return (ORVO_VERSION_MAJOR << 16) | (ORVO_VERSION_MINOR << 8) | ORVO_VERSION_PATCH;
}

const char* orvo_version_string(void) { return "1.50.0"; }

const char* orvo_status_string(int status) {
  switch (status) {
    case 0:
      return "converted";
    case 1:
      return "not ZMD data, damaged data or a missing file";
    case 4:
      return "the source could not be read completely";
    case 10:
      return "out of memory";
    case 11:
      return "standard input as source without a destination";
    case ORVO_ERROR_ARGUMENT:
      return "invalid argument";
    default:
      return "unknown status";
  }
}

orvo_options* orvo_options_new(void) { return new (std::nothrow) orvo_options(); }

void orvo_options_free(orvo_options* options) { delete options; }

int orvo_options_set(orvo_options* options, const char* key, long value) {
  if (options == nullptr || key == nullptr) return ORVO_ERROR_ARGUMENT;
  MusicOptions& o = options->music;
  const std::string k(key);
  constexpr long kNumber = 2147483647L;
  if (k == "loop_count" && in_range(value, 0, kNumber)) {
    o.loop_count = static_cast<int32_t>(value);
  } else if (k == "fade_speed" && in_range(value, 0, 127)) {
    o.fade_speed = static_cast<int8_t>(value);
  } else if (k == "fade_delay" && in_range(value, 0, kNumber)) {
    o.fade_delay = static_cast<int32_t>(value);
  } else if (k == "bend_interval" && in_range(value, 1, 127)) {
    o.bend_interval = static_cast<int8_t>(value);
  } else if (k == "excl_wait" && in_range(value, 0, 127)) {
    o.excl_wait = static_cast<int8_t>(value);
  } else if (k == "round_tempo" && in_range(value, 0, 1)) {
    o.round_tempo = static_cast<uint8_t>(value);
  } else if (k == "timer_a" && in_range(value, 0, 1)) {
    o.timer_a = static_cast<uint8_t>(value);
  } else if (k == "auto_loop" && in_range(value, 0, 1)) {
    o.auto_loop = static_cast<uint8_t>(value);
  } else if (k == "keyoff_skip" && in_range(value, -1, 127)) {
    o.keyoff_skip = static_cast<int8_t>(value);
  } else if (k == "init_gap" && in_range(value, -1, 127)) {
    o.init_gap = static_cast<int8_t>(value);
  } else if (k == "convert_fm" && in_range(value, 0, 1)) {
    o.convert_fm = static_cast<uint8_t>(value);
  } else if (k == "running_status" && in_range(value, 0, 1)) {
    o.running_status = static_cast<uint8_t>(value);
  } else if (k == "track_buffer_kb" && in_range(value, 0, kNumber)) {
    o.track_buffer_kb = static_cast<int32_t>(value);
  } else {
    return ORVO_ERROR_ARGUMENT;
  }
  return 0;
}

int orvo_options_parse(orvo_options* options, const char* switches) {
  if (options == nullptr || switches == nullptr) return ORVO_ERROR_ARGUMENT;
  try {
    return orvo::parse_music_switches(options->music, switches) ? 0 : ORVO_ERROR_ARGUMENT;
  } catch (...) {
    return ORVO_ERROR_ARGUMENT;  // out of memory while copying the text
  }
}

int orvo_convert(const orvo_input* input, const orvo_options* options,
                 const orvo_companions* companions, orvo_result** result) {
  if (result == nullptr) return ORVO_ERROR_ARGUMENT;
  *result = nullptr;
  if (input == nullptr || !ORVO_HAS(input, orvo_input, size)) return ORVO_ERROR_ARGUMENT;
  if (input->data == nullptr && input->size > 0) return ORVO_ERROR_ARGUMENT;
  if (input->size > SIZE_MAX / 2) return ORVO_ERROR_ARGUMENT;  // no such song fits in memory
  if (companions != nullptr && companions->struct_size < sizeof(size_t)) return ORVO_ERROR_ARGUMENT;

  std::unique_ptr<orvo_result> r(new (std::nothrow) orvo_result());
  std::unique_ptr<orvo::Session> session(new (std::nothrow) orvo::Session());
  if (!r || !session) return 10;  // no result to say more in
  orvo::Session& s = *session;
  s.err.encodings = orvo::kMessagesCp932 | orvo::kMessagesUtf8;

  Companions adapter;
  if (companions != nullptr) {
    if (ORVO_HAS(companions, orvo_companions, user)) adapter.user = companions->user;
    if (ORVO_HAS(companions, orvo_companions, open_mdd)) adapter.open_mdd = companions->open_mdd;
    if (ORVO_HAS(companions, orvo_companions, close)) adapter.close = companions->close;
    if (ORVO_HAS(companions, orvo_companions, opened_name)) adapter.opened_name = companions->opened_name;
  }
  s.mdd = orvo::MddResolver{&adapter, open_mdd, close_mdd};

  const orvo::ConversionEnd end = orvo::run_conversion(s, [&] {
    orvo::report_banner(s.err);
    // The engine reads the song with its padding behind it: a copy, so
    // that nothing is read past the caller's bytes.
    orvo::ByteStore bytes;
    orvo::xmalloc(bytes, input->size + orvo::kImagePadding);
    if (input->size > 0) std::memcpy(bytes.data(), input->data, input->size);
    const orvo::ZmdImage image = orvo::make_image(std::move(bytes), input->size);

    orvo::SongInput in;
    in.image = &image;
    in.name = ORVO_HAS(input, orvo_input, name) && input->name != nullptr ? input->name : "-";
    const void* signature = ORVO_HAS(input, orvo_input, signature_size) ? input->signature : nullptr;
    const bool unreadable =
        ORVO_HAS(input, orvo_input, signature_unreadable) && input->signature_unreadable != 0;
    if (unreadable) {
      in.signature.state = CompanionState::unreadable;
    } else if (signature != nullptr) {
      in.signature.state = CompanionState::found;
      in.signature.data = static_cast<const uint8_t*>(signature);
      in.signature.size = input->signature_size;
    }
    if (in.signature.state != CompanionState::missing) {
      const char* shown =
          ORVO_HAS(input, orvo_input, signature_name) ? input->signature_name : nullptr;
      in.signature.name = shown != nullptr ? shown : orvo::replace_extension(in.name, ".sig");
    }
    auto conversion = std::make_unique<orvo::Conversion>();
    orvo::convert_song(s, in, options != nullptr ? options->music : MusicOptions(), *conversion);

    uint8_t header[orvo::kMthdBytes];
    const std::vector<orvo::FilePiece> pieces = orvo::midi_file_pieces(*conversion, header);
    const size_t size = orvo::midi_file_size(pieces);
    auto* midi = static_cast<unsigned char*>(std::malloc(size));
    if (midi == nullptr) orvo::fatal_error(10, "malloc failed.\n");
    orvo::copy_midi_file(pieces, midi);
    r->midi = midi;
    r->midi_size = size;
  });

  r->status = end.status;
  if (end.status != 0) {
    std::free(r->midi);
    r->midi = nullptr;
    r->midi_size = 0;
  }
  try {
    r->error = end.error;
  } catch (...) {
    // The status still tells; the error line stays empty.
  }
  r->messages_utf8 = std::move(s.err.utf8);
  r->messages_cp932 = std::move(s.err.cp932);
  *result = r.release();
  return (*result)->status;
}

const unsigned char* orvo_result_midi(const orvo_result* result, size_t* size) {
  const bool has = result != nullptr && result->status == 0 && result->midi != nullptr;
  if (size != nullptr) *size = has ? result->midi_size : 0;
  return has ? result->midi : nullptr;
}

int orvo_result_status(const orvo_result* result) {
  return result != nullptr ? result->status : ORVO_ERROR_ARGUMENT;
}

const char* orvo_result_messages(const orvo_result* result, int encoding, size_t* size) {
  const std::string* text = nullptr;
  if (result != nullptr && encoding == ORVO_TEXT_UTF8) text = &result->messages_utf8;
  if (result != nullptr && encoding == ORVO_TEXT_CP932) text = &result->messages_cp932;
  if (size != nullptr) *size = text != nullptr ? text->size() : 0;
  return text != nullptr ? text->c_str() : nullptr;
}

const char* orvo_result_error(const orvo_result* result) {
  return result != nullptr ? result->error.c_str() : "";
}

void orvo_result_free(orvo_result* result) { delete result; }

}  // extern "C"
