#include "processes.h"

#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <algorithm>
#include <chrono>

extern char** environ;

namespace orvo::bench {

namespace {

double seconds(const timeval& t) { return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6; }

}  // namespace

ProcessRun run_process(const std::vector<std::string>& argv) {
  std::vector<char*> args;
  for (const std::string& a : argv) args.push_back(const_cast<char*>(a.c_str()));
  args.push_back(nullptr);

  // A spawn that shares the benchmark's memory until the exec: the child's
  // CPU time then holds no copy of the benchmark's page tables. Its peak
  // memory is at least the benchmark's own, which is why the benchmark
  // starts these runs while it is still small (the empty program shows
  // that floor).
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
  posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);

  ProcessRun run;
  const auto t0 = std::chrono::steady_clock::now();
  pid_t pid = 0;
  int raw = 0;
  rusage usage{};
  if (posix_spawn(&pid, args[0], &actions, nullptr, args.data(), environ) == 0 &&
      wait4(pid, &raw, 0, &usage) == pid) {
    run.wall = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    run.cpu = seconds(usage.ru_utime) + seconds(usage.ru_stime);
    run.peak_kb = usage.ru_maxrss;
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
  }
  posix_spawn_file_actions_destroy(&actions);
  return run;
}

double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace orvo::bench
