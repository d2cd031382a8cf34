// What orvo-batch tells while it runs and at the end: the progress line on a
// terminal and the summary.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdio>
#include <string>
#include <vector>

namespace orvo::batch {

// True when the stream is a terminal: only then is a progress line shown.
bool is_terminal(std::FILE* stream);

// "120/2000 songs, 1 failed, 35.2 songs/s, 0:53 left" after `seconds`.
std::string progress_text(size_t done, size_t total, size_t failed, double seconds);

// The progress line on standard error, redrawn in place at most a few times
// a second; nothing at all when it is not enabled.
class Progress {
 public:
  Progress(std::FILE* err, bool enabled, size_t total);
  void update(size_t done, size_t failed);  // redrawn only if the last was long enough ago
  void clear();                             // removes the line

 private:
  std::FILE* err_;
  bool enabled_;
  size_t total_;
  std::chrono::steady_clock::time_point started_;
  std::chrono::steady_clock::time_point drawn_;
  bool shown_ = false;
};

struct Failure {
  std::string path;
  int status = 0;
  std::string error;  // the first line of its fatal message, in UTF-8
};

// "converted 1998, skipped 0, failed 2", then a line per failed song:
// "  music/bad.zmd: status 1: <its error>".
std::string summary_text(size_t converted, size_t skipped, const std::vector<Failure>& failures);

}  // namespace orvo::batch
