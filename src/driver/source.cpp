#include "driver/source.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "run/alloc.h"
#include "run/exit.h"

namespace orvo {

namespace {

constexpr size_t kStdinChunk = 16384;

// Standard input has no size to ask for: the buffer doubles whenever it is
// full, and the padding goes behind the bytes read.
ZmdImage read_stream(std::FILE* in) {
  ByteStore data;
  xmalloc(data, kStdinChunk);
  size_t used = 0;
  for (;;) {
    if (used == data.size()) xrealloc(data, data.size() * 2);
    const size_t got = std::fread(data.data() + used, 1, data.size() - used, in);
    used += got;
    if (got == 0) break;
  }
  return make_image(std::move(data), used);
}

}  // namespace

std::optional<ZmdImage> load_source(const Console& console, const std::string& name) {
  if (name == "-") {
    set_binary_mode(console.in);
    return read_stream(console.in);
  }
  const int fd = ::open(name.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  struct stat st {};
  const bool stated = ::fstat(fd, &st) == 0;
  if (stated && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return std::nullopt;  // not a file to open
  }
  // A regular file tells its size; anything else is asked by seeking, which
  // a pipe refuses.
  off_t size = -1;
  if (stated && S_ISREG(st.st_mode)) {
    size = st.st_size;
  } else if ((size = ::lseek(fd, 0, SEEK_END)) >= 0 && ::lseek(fd, 0, SEEK_SET) != 0) {
    size = -1;
  }
  // Read straight into the image: one buffer of the file's size and the
  // padding, neither zero-filled nor copied afterwards.
  ByteStore data;
  size_t got = 0;
  if (size >= 0) {
    try {
      xmalloc(data, static_cast<size_t>(size) + kImagePadding);
    } catch (...) {
      ::close(fd);
      throw;
    }
    while (got < static_cast<size_t>(size)) {
      const ssize_t n = ::read(fd, data.data() + got, static_cast<size_t>(size) - got);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      got += static_cast<size_t>(n);
    }
  }
  ::close(fd);
  if (size < 0 || got < static_cast<size_t>(size)) {
    fatal_error(4, "%s\tError: read error.\n", name.c_str());
  }
  return make_image(std::move(data), static_cast<size_t>(size));
}

}  // namespace orvo
