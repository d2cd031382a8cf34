// Running conversions in tests: in-process through run_orvo, or through the
// real executable; temporary folders and file helpers.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace orvo::test {

struct RunResult {
  int status = -1;
  std::string out;  // standard output bytes
  std::string err;  // error stream bytes (CP932)
};

// A fresh folder, removed with everything in it at the end of the scope.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::filesystem::path& path() const { return path_; }
  std::string file(const std::string& name) const { return (path_ / name).string(); }

 private:
  std::filesystem::path path_;
};

// Makes `dir` the working folder for the length of the scope.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::filesystem::path& dir);
  ~ScopedCwd();
  ScopedCwd(const ScopedCwd&) = delete;
  ScopedCwd& operator=(const ScopedCwd&) = delete;

 private:
  std::filesystem::path previous_;
};

// Runs one conversion in-process with `args` (program name added), standard
// input fed from `input`, in the current folder. With `utf8_terminal`, the
// run takes its standard output and error for UTF-8 terminals.
RunResult run_inprocess(const std::vector<std::string>& args, const std::string& input = "",
                        bool utf8_terminal = false);

// Runs the orvo executable in `dir` with `args` and `input` on standard input.
RunResult run_executable(const std::string& dir, const std::vector<std::string>& args,
                         const std::string& input = "");

// Runs orvo-batch in-process with `args` (program name added), standard
// input fed from `input`, in the current folder; `err` holds its own
// messages (UTF-8).
RunResult run_batch_inprocess(const std::vector<std::string>& args, const std::string& input = "");

// Runs the orvo-batch executable in `dir`, as run_executable runs orvo.
RunResult run_batch_executable(const std::string& dir, const std::vector<std::string>& args,
                               const std::string& input = "");

void write_file(const std::string& path, const std::string& bytes);
void write_file(const std::string& path, const std::vector<uint8_t>& bytes);
std::string read_file(const std::string& path);
std::vector<uint8_t> read_bytes(const std::string& path);

// The CP932 bytes of a UTF-8 text, for comparing messages.
std::string sjis(const std::string& utf8);

// The standard banner line every run writes first.
std::string banner();

}  // namespace orvo::test
