#include "passes/tempo_value.h"

#include <algorithm>

namespace orvo {

namespace {

constexpr int64_t kMaxMicroseconds = 0xFFFFFF;

// Integer division truncating toward zero; a divisor of 0 gives 0.
int64_t quotient(int64_t a, int64_t b) { return b == 0 ? 0 : a / b; }

int64_t timer_of_tempo(int64_t tempo, bool timer_a) {
  return timer_a ? 1024 - quotient(78125, tempo) : 256 - quotient(quotient(78125, tempo), 16);
}

int64_t tempo_of_timer(int64_t timer, bool timer_a) {
  return timer_a ? quotient(78125, 1024 - timer) : quotient(4882, 256 - timer);
}

int64_t micros_of_tempo(int64_t tempo, bool rounding) {
  return rounding ? quotient(quotient(600000000, tempo) + 5, 10) : quotient(60000000, tempo);
}

int64_t micros_of_timer(int64_t timer, bool timer_a) {
  return timer_a ? quotient(60000000, quotient(78125, 1024 - timer)) : (256 - timer) * 12288;
}

}  // namespace

int32_t tempo_microseconds(TempoState& state, const TempoRecord& record, bool timer_a,
                           bool rounding) {
  int64_t micros;
  switch (record.kind) {
    case kTempoKindSetTempo:
    case kTempoKindChangeTempo:
      state.tempo = record.kind == kTempoKindSetTempo ? record.value : state.tempo + record.value;
      state.timer = timer_of_tempo(state.tempo, timer_a);
      micros = micros_of_tempo(state.tempo, rounding);
      break;
    case kTempoKindSetTimer:
    case kTempoKindChangeTimer:
      state.timer = record.kind == kTempoKindSetTimer ? record.value : state.timer + record.value;
      state.tempo = tempo_of_timer(state.timer, timer_a);
      micros = micros_of_timer(state.timer, timer_a);
      break;
    default:  // changes nothing; writes what the timer gives
      micros = micros_of_timer(state.timer, timer_a);
      break;
  }
  return static_cast<int32_t>(std::clamp<int64_t>(micros, 0, kMaxMicroseconds));
}

}  // namespace orvo
