#include "batch/batch.h"

#include <cerrno>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "batch/command_line.h"
#include "batch/log.h"
#include "batch/pool.h"
#include "batch/progress.h"
#include "batch/song.h"
#include "batch/sources.h"
#include "driver/file_lookup.h"

namespace orvo::batch {

namespace {

constexpr auto kProgressTick = std::chrono::milliseconds(100);

// Results that may wait for the ones before them, per job.
constexpr size_t kWaitingPerJob = 4;

void put(std::FILE* stream, const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stream);
}

int default_jobs() {
  const unsigned n = std::thread::hardware_concurrency();
  return n == 0 ? 1 : static_cast<int>(std::min<unsigned>(n, kMaxJobs));
}

// The counts, the failures and the log, fed in the order of the songs.
struct Outcomes {
  size_t converted = 0;
  size_t skipped = 0;
  std::vector<Failure> failures;
  std::FILE* log = nullptr;
  bool log_failed = false;
};

void record(Outcomes& o, const Source& song, const SongResult& r, bool first) {
  switch (r.outcome) {
    case SongResult::Outcome::converted:
      ++o.converted;
      break;
    case SongResult::Outcome::skipped:
      ++o.skipped;
      break;
    case SongResult::Outcome::failed:
      o.failures.push_back(Failure{song.path, r.status, r.error});
      break;
  }
  if (o.log != nullptr) {
    const std::string entry = log_entry(song.path, r, first);
    if (std::fwrite(entry.data(), 1, entry.size(), o.log) < entry.size()) o.log_failed = true;
  }
}

int convert_all(const BatchConsole& console, const BatchOptions& options) {
  Outcomes outcomes;
  if (!options.log_file.empty()) {
    outcomes.log = std::fopen(options.log_file.c_str(), "wb");
    if (outcomes.log == nullptr) {
      put(console.err, "orvo-batch: cannot write log " + options.log_file + ": " +
                           std::strerror(errno) + "\n");
      return 1;
    }
  }

  const SourceList sources = collect_sources(options.paths, options.out_dir, console.in);
  for (const std::string& problem : sources.problems) put(console.err, "orvo-batch: " + problem + "\n");

  const int jobs = options.jobs > 0 ? options.jobs : default_jobs();
  FolderListings listings;
  Progress progress(console.err, console.progress, sources.songs.size());
  run_in_order<SongResult>(
      sources.songs.size(), jobs, kWaitingPerJob * static_cast<size_t>(jobs),
      [&](size_t i) { return convert_song(sources.songs[i], options, &listings); },
      [&](size_t i, const SongResult& r) { record(outcomes, sources.songs[i], r, i == 0); },
      [&] {
        const size_t done = outcomes.converted + outcomes.skipped + outcomes.failures.size();
        progress.update(done, outcomes.failures.size());
      },
      kProgressTick);
  progress.clear();

  if (outcomes.log != nullptr && std::fclose(outcomes.log) != 0) outcomes.log_failed = true;
  if (outcomes.log_failed) put(console.err, "orvo-batch: cannot write log " + options.log_file + "\n");
  put(console.out, summary_text(outcomes.converted, outcomes.skipped, outcomes.failures));
  std::fflush(console.out);
  const bool trouble = !outcomes.failures.empty() || !sources.problems.empty() || outcomes.log_failed;
  return trouble ? 1 : 0;
}

}  // namespace

int run_batch(const BatchConsole& console, int argc, const char* const* argv) {
  const CommandLine c = parse_command_line(argc, argv);
  switch (c.action) {
    case CommandLine::Action::help:
      put(console.out, usage_text());
      std::fflush(console.out);
      return 0;
    case CommandLine::Action::version:
      put(console.out, "orvo-batch 1.50\n");
      std::fflush(console.out);
      return 0;
    case CommandLine::Action::usage_error:
      put(console.err, c.error + "\n" + usage_text());
      return 2;
    case CommandLine::Action::convert:
      break;
  }
  return convert_all(console, c.options);
}

}  // namespace orvo::batch
