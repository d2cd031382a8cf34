// The record tables that track conversion fills for the passes.
#pragma once

#include <cstdint>
#include <vector>

#include "run/alloc.h"

namespace orvo {

// A synchronisation wait (position >= 0) or signal (position < 0); command 83 / AF.
struct SyncRecord {
  int32_t position;  // wait: offset in the track buffer; signal: -(own track + 1)
  int32_t time;      // absTime at the command
  int32_t track;     // wait: own track; signal: the track it releases
  int32_t delta;     // wait: pending clocks, later the resume time; signal: -1
  int32_t order;     // commands since the last one that advanced time
};

// A tempo or timer command met in a track; commands 90..95.
struct TempoRecord {
  int32_t value;     // operand, negated for the lowering commands
  int32_t time;      // absTime at the command
  int32_t kind;      // 0 set tempo, 1 change tempo, 2 set timer, 3 change timer
  int32_t track;     // recording track
  int32_t reserved;  // never written nor read
  int32_t order;     // as in SyncRecord
};

// A [!] or [@] mark; command C0 subcodes 11 and 12.
struct MarkRecord {
  int32_t time;      // absTime at the mark
  int32_t track;     // track holding the mark
  int32_t reserved;  // never written nor read
  uint8_t kind;      // 1 [!], 2 [@]
};

// A growable table whose capacity doubles when an append makes the count
// reach it; the capacity stays with the table from one track to the next.
template <class T>
struct RecordTable {
  std::vector<T> items;
  size_t capacity = 0;
};

template <class T>
void reset_table(RecordTable<T>& table, size_t capacity) {
  xmalloc(table.items, 0);
  table.items.reserve(capacity);
  table.capacity = capacity;
}

// Appends a record; returns true when the table had to grow.
template <class T>
bool append_record(RecordTable<T>& table, const T& record) {
  table.items.push_back(record);
  if (table.items.size() < table.capacity) return false;
  table.capacity *= 2;
  try {
    table.items.reserve(table.capacity);
  } catch (...) {
    fatal_error(10, "realloc failed.\n");
  }
  return true;
}

}  // namespace orvo
