// The schedule list of the synchronisation pass: one entry per group of
// records, ordered by the common time of the group's current record, entries
// of equal time in group order.
//
// The list is taken from its head; an entry taken is dropped until the list
// is sorted again. Instead of re-sorting every group each time, the entries
// stay ordered as their times change and a sort only starts a new round in
// which no entry is dropped, so every step costs O(log groups).
#pragma once

#include <cstddef>
#include <cstdint>
#include <set>
#include <utility>
#include <vector>

namespace orvo {

struct Schedule {
  std::set<std::pair<int64_t, size_t>> entries;  // (time, group)
  std::vector<int64_t> time;                     // per group: its entry's time
  std::vector<bool> listed;                      // per group: it has an entry
  std::vector<uint64_t> dropped_in;              // per group: round it was dropped in
  uint64_t round = 1;
  std::set<std::pair<int64_t, size_t>>::iterator head;
};

void init_schedule(Schedule& list, size_t groups);

// Gives group `g` an entry at `time`, or moves its entry there.
void schedule_set(Schedule& list, size_t g, int64_t time);

// Takes group `g` out of the list for good (it has no records left).
void schedule_remove(Schedule& list, size_t g);

// Sorts the list anew: every group with records left is listed again, by time.
void sort_schedule(Schedule& list);

// The group at the head of the list; false when the list is empty.
bool schedule_head(Schedule& list, size_t& g);

// Drops the head entry; the entries behind it move up.
void drop_head(Schedule& list);

}  // namespace orvo
