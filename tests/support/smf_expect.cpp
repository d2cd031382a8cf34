// The checks tests make of every MIDI file they produce: the strict
// checker, then an independent reader (Python's mido) on the same bytes.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>

#include "support/run.h"
#include "support/smf_check.h"

namespace orvo::test {

namespace {

using Bytes = std::vector<uint8_t>;

std::string shell_quote(const std::string& s) {
  std::string q = "'";
  for (char c : s) q += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return q + "'";
}

}  // namespace

MidoResult mido_run(const Bytes& file) {
  TempDir dir;
  write_file(dir.file("check.mid"), file);
  const std::string command = "/usr/bin/python3 " + shell_quote(ORVO_MIDO_READER) + " " +
                              shell_quote(dir.file("check.mid")) + " >" + shell_quote(dir.file("out")) +
                              " 2>" + shell_quote(dir.file("err"));
  const int raw = std::system(command.c_str());
  MidoResult r;
  r.status = raw != -1 && WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  r.out = read_file(dir.file("out"));
  r.err = read_file(dir.file("err"));
  return r;
}

std::string mido_read(const Bytes& file) {
  const MidoResult r = mido_run(file);
  if (r.status == 0) return "";
  return "exit status " + std::to_string(r.status) + ": " + (r.err.empty() ? r.out : r.err);
}

void expect_valid_smf(const Bytes& file) {
  const std::string problem = check_smf(file);
  if (!problem.empty()) ADD_FAILURE() << "invalid MIDI file: " << problem << "\n" << dump_smf(file);
  const std::string complaint = mido_read(file);
  if (!complaint.empty()) {
    ADD_FAILURE() << "mido rejects the MIDI file: " << complaint << "\n" << dump_smf(file);
  }
}

}  // namespace orvo::test
