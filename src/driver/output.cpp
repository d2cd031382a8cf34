// Writing the finished file: to standard output, or through a temporary file
// in the destination's folder that is renamed into place only when every
// byte was written, so a failed run never leaves a half-written destination.
#include <fcntl.h>
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <string>
#include <vector>

#include "driver/output.h"
#include "run/exit.h"

namespace orvo {

namespace {

constexpr int kTempNameTries = 100;

[[noreturn]] void write_failed() { fatal_error(1, "\nError: ファイルの書き込みに失敗しました。\n"); }

void write_all(std::FILE* out, const std::vector<FilePiece>& pieces) {
  for (const FilePiece& p : pieces) {
    if (std::fwrite(p.data, 1, p.size, out) < p.size) write_failed();
  }
}

// The pieces as the parts of one gathering write.
std::vector<iovec> file_parts(const std::vector<FilePiece>& pieces) {
  std::vector<iovec> parts;
  parts.reserve(pieces.size());
  for (const FilePiece& p : pieces) parts.push_back({const_cast<uint8_t*>(p.data), p.size});
  return parts;
}

// Writes the parts in one system call where the system takes them all at
// once; a short write goes on from where it ended.
bool write_parts(int fd, std::vector<iovec>& parts) {
  size_t first = 0;
  while (first < parts.size()) {
    const int count = static_cast<int>(std::min<size_t>(parts.size() - first, IOV_MAX));
    const ssize_t written = ::writev(fd, parts.data() + first, count);
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) return false;
    auto left = static_cast<size_t>(written);
    while (first < parts.size() && left >= parts[first].iov_len) left -= parts[first++].iov_len;
    if (left > 0) {
      parts[first].iov_base = static_cast<uint8_t*>(parts[first].iov_base) + left;
      parts[first].iov_len -= left;
    }
  }
  return true;
}

// Opens a new file beside `dest` that no other file has the name of.
int open_temporary(const std::string& dest, std::string& temp_name) {
  for (int i = 0; i < kTempNameTries; ++i) {
    temp_name = dest + ".orvo" + std::to_string(i) + ".tmp";
    const int fd = ::open(temp_name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return fd;
  }
  write_failed();
}

}  // namespace

void write_midi_file(const Console& console, const Conversion& c, const std::string& dest) {
  uint8_t header[kMthdBytes];
  const std::vector<FilePiece> pieces = midi_file_pieces(c, header);
  if (dest[0] == '-') {
    set_binary_mode(console.out);
    write_all(console.out, pieces);
    if (std::fflush(console.out) != 0 || std::ferror(console.out)) write_failed();
    return;
  }

  std::vector<iovec> parts = file_parts(pieces);  // before the file exists: this may throw
  std::string temp_name;
  const int fd = open_temporary(dest, temp_name);
  const bool written = write_parts(fd, parts);
  if (::close(fd) != 0 || !written) {
    std::remove(temp_name.c_str());
    write_failed();
  }
  // rename replaces an existing destination in one step.
  if (std::rename(temp_name.c_str(), dest.c_str()) != 0) {
    std::remove(temp_name.c_str());
    write_failed();
  }
}

}  // namespace orvo
