#include "run/console.h"

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

void redirect_error_stream(ErrorStream& err, const char* name) {
  std::FILE* file = std::fopen(name, "w");
  if (file == nullptr) return;  // messages keep going where they went
  std::setvbuf(file, nullptr, _IONBF, 0);
  close_error_stream(err);
  err.file = file;
  err.owned = true;
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
