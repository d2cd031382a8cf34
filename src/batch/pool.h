// The worker pool: songs converted several at a time, their results handed
// on in the order of the songs.
#pragma once

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace orvo::batch {

// Runs work(i) for every i below `count` on `jobs` threads and calls
// deliver(i, result) on the calling thread, in the order of i, as soon as
// every earlier result has been delivered. A worker starts on i only while
// fewer than `window` results wait for delivery, so what is held stays
// bounded whatever the number of items. idle() is called on the calling
// thread after each delivery round and at least every `tick` while waiting.
// `work` must not throw.
template <class Result, class Work, class Deliver, class Idle>
void run_in_order(size_t count, int jobs, size_t window, Work work, Deliver deliver, Idle idle,
                  std::chrono::milliseconds tick) {
  if (window == 0) window = 1;
  std::mutex lock;
  std::condition_variable may_take;  // for the workers: an item may be taken
  std::condition_variable finished;  // for the caller: a result is in
  std::vector<std::optional<Result>> waiting(window);  // result of i at i % window
  size_t next = 0;       // the next item to take
  size_t delivered = 0;  // items handed on so far

  auto worker = [&] {
    std::unique_lock<std::mutex> hold(lock);
    for (;;) {
      may_take.wait(hold, [&] { return next >= count || next < delivered + window; });
      if (next >= count) return;
      const size_t i = next++;
      hold.unlock();
      Result r = work(i);
      hold.lock();
      waiting[i % window] = std::move(r);
      finished.notify_one();
    }
  };

  std::vector<std::thread> threads;
  const size_t n = std::min(count, static_cast<size_t>(jobs > 0 ? jobs : 1));
  threads.reserve(n);
  for (size_t t = 0; t < n; ++t) threads.emplace_back(worker);

  std::unique_lock<std::mutex> hold(lock);
  while (delivered < count) {
    finished.wait_for(hold, tick, [&] { return waiting[delivered % window].has_value(); });
    bool any = false;
    while (delivered < count && waiting[delivered % window].has_value()) {
      Result r = std::move(*waiting[delivered % window]);
      waiting[delivered % window].reset();
      const size_t i = delivered++;
      any = true;
      hold.unlock();
      deliver(i, r);
      hold.lock();
    }
    if (any) may_take.notify_all();
    hold.unlock();
    idle();
    hold.lock();
  }
  hold.unlock();
  for (std::thread& t : threads) t.join();
}

}  // namespace orvo::batch
