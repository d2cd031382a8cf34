// Writing the finished file: to standard output, or through a temporary file
// in the destination's folder that is renamed into place only when every
// byte was written, so a failed run never leaves a half-written destination.
#include <cstdio>
#include <filesystem>
#include <string>

#include "driver/driver.h"
#include "run/exit.h"
#include "smf/mthd.h"

namespace orvo {

namespace {

constexpr int kTempNameTries = 100;

[[noreturn]] void write_failed() { fatal_error(1, "\nError: ファイルの書き込みに失敗しました。\n"); }

void write_all(std::FILE* out, const Conversion& c) {
  uint8_t header[kMthdBytes];
  const int n = static_cast<int>(c.tracks.size()) - 1;
  write_mthd(header, n + 1, c.timing.timebase / 4);
  if (std::fwrite(header, 1, kMthdBytes, out) < kMthdBytes) write_failed();
  for (const TrackBuffer& tb : c.tracks) {
    const size_t size = static_cast<size_t>(chunk_length(tb)) + 8;
    if (std::fwrite(tb.bytes.data(), 1, size, out) < size) write_failed();
  }
}

// Opens a new file beside `dest` that no other file has the name of.
std::FILE* open_temporary(const std::string& dest, std::string& temp_name) {
  for (int i = 0; i < kTempNameTries; ++i) {
    temp_name = dest + ".orvo" + std::to_string(i) + ".tmp";
    if (std::FILE* f = std::fopen(temp_name.c_str(), "wbx")) return f;
  }
  write_failed();
}

}  // namespace

void write_midi_file(Session& s, const Conversion& c) {
  const std::string& dest = c.options.dest_name;
  if (dest[0] == '-') {
    set_binary_mode(s.console.out);
    write_all(s.console.out, c);
    if (std::fflush(s.console.out) != 0 || std::ferror(s.console.out)) write_failed();
    return;
  }

  std::string temp_name;
  std::FILE* out = open_temporary(dest, temp_name);
  try {
    write_all(out, c);
  } catch (const ProcessExit&) {
    std::fclose(out);
    std::remove(temp_name.c_str());
    throw;
  }
  std::error_code ec;
  if (std::fclose(out) != 0) {
    std::remove(temp_name.c_str());
    write_failed();
  }
  std::filesystem::rename(temp_name, dest, ec);
  if (ec) {
    std::remove(temp_name.c_str());
    write_failed();
  }
}

}  // namespace orvo
