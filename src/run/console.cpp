#include "run/console.h"

#ifndef _WIN32
#include <langinfo.h>
#include <unistd.h>
#endif

#include <clocale>
#include <cstring>

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

bool wants_utf8(bool terminal, const char* codeset) {
  return terminal && codeset != nullptr &&
         (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
}

Console standard_console() {
  Console console{stdin, stdout, stderr};
#ifndef _WIN32
  std::setlocale(LC_CTYPE, "");
  const char* codeset = nl_langinfo(CODESET);
  console.out_utf8 = wants_utf8(isatty(STDOUT_FILENO) == 1, codeset);
  console.err_utf8 = wants_utf8(isatty(STDERR_FILENO) == 1, codeset);
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

void redirect_error_stream(ErrorStream& err, const char* name) {
  std::FILE* file = std::fopen(name, "w");
  if (file == nullptr) return;  // messages keep going where they went
  std::setvbuf(file, nullptr, _IONBF, 0);
  close_error_stream(err);
  err.file = file;
  err.owned = true;
  err.utf8 = false;  // files get the CP932 bytes
}

void flush_error_stream(ErrorStream& err) {
  if (err.held.empty()) return;
  if (err.file != nullptr) {
    std::fwrite(err.held.data(), 1, err.held.size(), err.file);
    std::fflush(err.file);
  }
  err.held.clear();
}

void close_error_stream(ErrorStream& err) {
  flush_error_stream(err);
  if (err.owned && err.file != nullptr) {
    std::fclose(err.file);
    err.file = nullptr;
  }
  err.owned = false;
}

}  // namespace orvo
