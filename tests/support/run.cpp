#include "support/run.h"

#include <sys/wait.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

#include "batch/batch.h"
#include "driver/run_orvo.h"
#include "run/cp932.h"

namespace orvo::test {

namespace fs = std::filesystem;

TempDir::TempDir() {
  std::random_device rd;
  for (;;) {
    path_ = fs::temp_directory_path() / ("orvo-test-" + std::to_string(rd()));
    if (fs::create_directory(path_)) break;
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

ScopedCwd::ScopedCwd(const fs::path& dir) : previous_(fs::current_path()) { fs::current_path(dir); }
ScopedCwd::~ScopedCwd() {
  std::error_code ec;
  fs::current_path(previous_, ec);
}

namespace {

std::string drain(std::FILE* f) {
  std::string bytes;
  std::fflush(f);
  std::rewind(f);
  char buffer[4096];
  size_t got;
  while ((got = std::fread(buffer, 1, sizeof buffer, f)) > 0) bytes.append(buffer, got);
  return bytes;
}

std::string shell_quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

// Runs `run(in, out, err, argc, argv)` on temporary files.
template <class Run>
RunResult run_on_files(const char* program, const std::vector<std::string>& args,
                       const std::string& input, Run run) {
  std::FILE* in = std::tmpfile();
  std::FILE* out = std::tmpfile();
  std::FILE* err = std::tmpfile();
  std::fwrite(input.data(), 1, input.size(), in);
  std::rewind(in);

  std::vector<const char*> argv{program};
  for (const std::string& a : args) argv.push_back(a.c_str());
  RunResult r;
  r.status = run(in, out, err, static_cast<int>(argv.size()), argv.data());
  r.out = drain(out);
  r.err = drain(err);
  std::fclose(in);
  std::fclose(out);
  std::fclose(err);
  return r;
}

RunResult run_program(const char* program, const std::string& dir,
                      const std::vector<std::string>& args, const std::string& input) {
  TempDir io;
  write_file(io.file("in"), input);
  std::string command = "cd " + shell_quote(dir) + " && " + shell_quote(program);
  for (const std::string& a : args) command += " " + shell_quote(a);
  command += " <" + shell_quote(io.file("in")) + " >" + shell_quote(io.file("out")) + " 2>" +
             shell_quote(io.file("err"));
  const int raw = std::system(command.c_str());
  RunResult r;
  r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = read_file(io.file("out"));
  r.err = read_file(io.file("err"));
  return r;
}

}  // namespace

RunResult run_inprocess(const std::vector<std::string>& args, const std::string& input,
                        bool utf8_terminal) {
  return run_on_files("orvo", args, input,
                      [&](std::FILE* in, std::FILE* out, std::FILE* err, int argc, const char* const* argv) {
                        return run_orvo(Console{in, out, err, utf8_terminal, utf8_terminal}, argc, argv);
                      });
}

RunResult run_batch_inprocess(const std::vector<std::string>& args, const std::string& input) {
  return run_on_files("orvo-batch", args, input,
                      [](std::FILE* in, std::FILE* out, std::FILE* err, int argc, const char* const* argv) {
                        return batch::run_batch(batch::BatchConsole{in, out, err}, argc, argv);
                      });
}

RunResult run_executable(const std::string& dir, const std::vector<std::string>& args,
                         const std::string& input) {
  return run_program(ORVO_EXECUTABLE, dir, args, input);
}

RunResult run_batch_executable(const std::string& dir, const std::vector<std::string>& args,
                               const std::string& input) {
  return run_program(ORVO_BATCH_EXECUTABLE, dir, args, input);
}

void write_file(const std::string& path, const std::string& bytes) {
  std::ofstream f(path, std::ios::binary);
  f.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

void write_file(const std::string& path, const std::vector<uint8_t>& bytes) {
  write_file(path, std::string(bytes.begin(), bytes.end()));
}

std::string read_file(const std::string& path) {
  std::ifstream f(path, std::ios::binary);
  std::ostringstream s;
  s << f.rdbuf();
  return s.str();
}

std::vector<uint8_t> read_bytes(const std::string& path) {
  const std::string s = read_file(path);
  return std::vector<uint8_t>(s.begin(), s.end());
}

std::string sjis(const std::string& utf8) { return to_cp932(utf8); }

std::string banner() { return "ZMD(V2) to MID converter version 1.50, by the orvo developers.\n"; }

}  // namespace orvo::test
