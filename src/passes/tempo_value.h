// Tempo and timer commands of the tracks turned into microseconds per
// quarter note, in the order the conductor track plays them.
#pragma once

#include <cstdint>

#include "run/records.h"

namespace orvo {

// Carried from one tempo record to the next; both start at 0.
struct TempoState {
  int64_t tempo = 0;  // quarter notes per minute
  int64_t timer = 0;  // timer value (TIMER-A units with -A, else TIMER-B)
};

constexpr int32_t kTempoKindSetTempo = 0;
constexpr int32_t kTempoKindChangeTempo = 1;
constexpr int32_t kTempoKindSetTimer = 2;
constexpr int32_t kTempoKindChangeTimer = 3;

// Applies one record to the state and returns the value of its tempo event,
// held to the 24 bits of the event (0..0xFFFFFF). A division by 0 gives 0.
// `rounding` (-U) rounds the tempo kinds to the nearest microsecond.
int32_t tempo_microseconds(TempoState& state, const TempoRecord& record, bool timer_a,
                           bool rounding);

}  // namespace orvo
