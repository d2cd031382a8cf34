#include "batch/progress.h"

#include <unistd.h>

#include <cmath>

namespace orvo::batch {

namespace {

constexpr auto kRedrawEvery = std::chrono::milliseconds(250);

std::string clock_text(double seconds) {
  const long total = std::lround(seconds);
  const long h = total / 3600, m = total / 60 % 60, s = total % 60;
  char text[48];
  if (h > 0) {
    std::snprintf(text, sizeof text, "%ld:%02ld:%02ld", h, m, s);
  } else {
    std::snprintf(text, sizeof text, "%ld:%02ld", m, s);
  }
  return text;
}

}  // namespace

bool is_terminal(std::FILE* stream) { return stream != nullptr && isatty(fileno(stream)) == 1; }

std::string progress_text(size_t done, size_t total, size_t failed, double seconds) {
  const double rate = seconds > 0 ? static_cast<double>(done) / seconds : 0.0;
  char text[160];
  std::snprintf(text, sizeof text, "%zu/%zu songs, %zu failed, %.1f songs/s, ", done, total, failed,
                rate);
  std::string line = text;
  if (done >= total) return line + "0:00 left";
  if (rate <= 0) return line + "--:-- left";
  return line + clock_text(static_cast<double>(total - done) / rate) + " left";
}

Progress::Progress(std::FILE* err, bool enabled, size_t total)
    : err_(err), enabled_(enabled), total_(total), started_(std::chrono::steady_clock::now()) {}

void Progress::update(size_t done, size_t failed) {
  if (!enabled_) return;
  const auto now = std::chrono::steady_clock::now();
  if (shown_ && now - drawn_ < kRedrawEvery) return;
  const double seconds = std::chrono::duration<double>(now - started_).count();
  std::fprintf(err_, "\r\033[K%s", progress_text(done, total_, failed, seconds).c_str());
  std::fflush(err_);
  drawn_ = now;
  shown_ = true;
}

void Progress::clear() {
  if (!shown_) return;
  std::fputs("\r\033[K", err_);
  std::fflush(err_);
  shown_ = false;
}

std::string summary_text(size_t converted, size_t skipped, const std::vector<Failure>& failures) {
  std::string text = "converted " + std::to_string(converted) + ", skipped " +
                     std::to_string(skipped) + ", failed " + std::to_string(failures.size()) + "\n";
  for (const Failure& f : failures) {
    text += "  " + f.path + ": status " + std::to_string(f.status) + ": " + f.error + "\n";
  }
  return text;
}

}  // namespace orvo::batch
