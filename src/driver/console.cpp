#include "driver/console.h"

#ifndef _WIN32
#include <unistd.h>
#endif

#include <cstdlib>
#include <cstring>
#include <string>

#include "run/cp932.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace orvo {

void set_binary_mode(std::FILE* stream) {
#ifdef _WIN32
  _setmode(_fileno(stream), _O_BINARY);
#else
  (void)stream;  // POSIX streams never translate line ends
#endif
}

std::string locale_codeset(const char* lc_all, const char* lc_ctype, const char* lang) {
  const char* name = nullptr;
  for (const char* candidate : {lc_all, lc_ctype, lang}) {
    if (candidate != nullptr && candidate[0] != '\0') {
      name = candidate;
      break;
    }
  }
  if (name == nullptr) return std::string();
  const char* dot = std::strchr(name, '.');
  if (dot == nullptr) return std::string();
  const std::string codeset(dot + 1);
  return codeset.substr(0, codeset.find('@'));
}

bool wants_utf8(bool terminal, const char* codeset) {
  if (!terminal || codeset == nullptr) return false;
  std::string folded;
  for (const char* c = codeset; *c != '\0'; ++c) {
    if (*c != '-') folded.push_back(*c >= 'A' && *c <= 'Z' ? static_cast<char>(*c - 'A' + 'a') : *c);
  }
  return folded == "utf8";
}

Console standard_console() {
  Console console{stdin, stdout, stderr};
#ifndef _WIN32
  const bool out_terminal = isatty(STDOUT_FILENO) == 1;
  const bool err_terminal = isatty(STDERR_FILENO) == 1;
  if (out_terminal || err_terminal) {
    const std::string codeset = locale_codeset(std::getenv("LC_ALL"), std::getenv("LC_CTYPE"),
                                                std::getenv("LANG"));
    console.out_utf8 = wants_utf8(out_terminal, codeset.c_str());
    console.err_utf8 = wants_utf8(err_terminal, codeset.c_str());
  }
#endif
  return console;
}

void write_text(std::FILE* stream, std::string_view cp932, bool utf8) {
  if (utf8) {
    const std::string text = cp932_to_utf8(cp932);
    std::fwrite(text.data(), 1, text.size(), stream);
  } else {
    std::fwrite(cp932.data(), 1, cp932.size(), stream);
  }
}

namespace {

void write_to_sink(void* user, std::string_view cp932, std::string_view utf8) {
  const StreamSink& sink = *static_cast<const StreamSink*>(user);
  if (sink.file == nullptr) return;
  const std::string_view text = sink.utf8 ? utf8 : cp932;
  std::fwrite(text.data(), 1, text.size(), sink.file);
  std::fflush(sink.file);
}

}  // namespace

void attach_sink(ErrorStream& err, StreamSink& sink) {
  err.sink = MessageSink{&sink, write_to_sink};
  err.encodings = sink.utf8 ? kMessagesUtf8 : kMessagesCp932;
}

void redirect_error_stream(ErrorStream& err, StreamSink& sink, const char* name) {
  std::FILE* file = std::fopen(name, "w");
  if (file == nullptr) return;  // messages keep going where they went
  std::setvbuf(file, nullptr, _IONBF, 0);
  close_sink(err, sink);
  sink.file = file;
  sink.owned = true;
  sink.utf8 = false;  // files get the CP932 bytes
  attach_sink(err, sink);
}

void close_sink(ErrorStream& err, StreamSink& sink) {
  flush_error_stream(err);
  if (sink.owned && sink.file != nullptr) {
    std::fclose(sink.file);
    sink.file = nullptr;
  }
  sink.owned = false;
}

}  // namespace orvo
