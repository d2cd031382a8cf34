#include "passes/schedule.h"

namespace orvo {

namespace {

// Takes g's entry out of the ordering, keeping the head valid.
void unlink(Schedule& list, size_t g) {
  if (!list.listed[g]) return;
  const auto it = list.entries.find({list.time[g], g});
  if (it == list.head) ++list.head;
  list.entries.erase(it);
  list.listed[g] = false;
}

}  // namespace

void init_schedule(Schedule& list, size_t groups) {
  list.entries.clear();
  list.time.assign(groups, 0);
  list.listed.assign(groups, false);
  list.dropped_in.assign(groups, 0);
  list.round = 1;
  list.head = list.entries.end();
}

void schedule_set(Schedule& list, size_t g, int64_t time) {
  unlink(list, g);
  list.time[g] = time;
  list.entries.insert({time, g});
  list.listed[g] = true;
}

void schedule_remove(Schedule& list, size_t g) { unlink(list, g); }

void sort_schedule(Schedule& list) {
  ++list.round;
  list.head = list.entries.begin();
}

bool schedule_head(Schedule& list, size_t& g) {
  while (list.head != list.entries.end() && list.dropped_in[list.head->second] == list.round) {
    ++list.head;
  }
  if (list.head == list.entries.end()) return false;
  g = list.head->second;
  return true;
}

void drop_head(Schedule& list) {
  if (list.head == list.entries.end()) return;
  list.dropped_in[list.head->second] = list.round;
  ++list.head;
}

}  // namespace orvo
