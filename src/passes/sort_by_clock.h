// Stable ordering of pass records by a clock computed for each of them.
#pragma once

#include <algorithm>
#include <cstdint>
#include <numeric>
#include <vector>

namespace orvo {

// Sorts `items` by `clock`, ascending, keeping items of equal clock in their
// order; `clock` is sorted with them. O(n log n), and O(n) for items already
// in order (the records of one track are, unless synchronisation moved them).
template <class T>
void sort_by_clock(std::vector<T>& items, std::vector<int64_t>& clock) {
  if (std::is_sorted(clock.begin(), clock.end())) return;
  std::vector<size_t> order(items.size());
  std::iota(order.begin(), order.end(), size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&](size_t a, size_t b) { return clock[a] < clock[b]; });
  std::vector<T> sorted_items;
  std::vector<int64_t> sorted_clock;
  sorted_items.reserve(items.size());
  sorted_clock.reserve(items.size());
  for (size_t i : order) {
    sorted_items.push_back(items[i]);
    sorted_clock.push_back(clock[i]);
  }
  items.swap(sorted_items);
  clock.swap(sorted_clock);
}

}  // namespace orvo
