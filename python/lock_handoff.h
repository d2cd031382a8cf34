// Taking the interpreter's lock back after a conversion without sleeping
// behind a converting thread that holds it for a moment.
//
// A thread converting songs in a loop holds the lock for a few microseconds
// between two conversions (the wrapper, the result's objects, the next call)
// against tens of microseconds without it. When another thread's conversion
// ends inside those microseconds, asking for the lock puts it to sleep until
// the holder lets go, and the wake-up that follows can land it on the
// holder's processor: the two threads then share one processor, the other
// one idle, until the kernel moves one of them away. So a thread whose
// conversion has ended first spins while the lock is held by a converting
// thread that took it back less than kMostSpin ago, and asks for it once
// that thread has let go for its next conversion or the spin would outlast
// kMostSpin. The spin is bounded whatever the holder does next (a long
// Python loop, a sleep, no further conversion): the time it left soon ages
// past the bound.
//
// The note is one time for the whole process, as the lock is one: only its
// holder writes it, and it is a hint about who holds the lock, never data
// of a conversion, so conversions still never meet.
#ifndef ORVO_PYTHON_LOCK_HANDOFF_H
#define ORVO_PYTHON_LOCK_HANDOFF_H

#include <atomic>
#include <chrono>

namespace lock_handoff {

// The longest a thread spins before asking for the lock anyway.
inline constexpr long long kMostSpin = 20'000;  // nanoseconds

// When a converting thread took the lock back (steady clock, nanoseconds);
// 0 once it let the lock go for a conversion.
inline std::atomic<long long> taken_at{0};

inline long long now() {
  return std::chrono::duration_cast<std::chrono::nanoseconds>(
             std::chrono::steady_clock::now().time_since_epoch())
      .count();
}

// Tells the processor this is a spin (another hardware thread of its core
// runs meanwhile).
inline void relax() {
#if defined(__x86_64__) || defined(__i386__)
  __builtin_ia32_pause();
#elif defined(__aarch64__)
  __asm__ __volatile__("yield");
#endif
}

// With the lock held, just before letting it go for a conversion.
inline void letting_go() { taken_at.store(0, std::memory_order_relaxed); }

// Without the lock, once the conversion has ended, just before asking for
// it: spins while a converting thread has held it for less than kMostSpin.
inline void wait_for_holder() {
  for (long long t; (t = taken_at.load(std::memory_order_relaxed)) != 0 && now() - t < kMostSpin;) relax();
}

// With the lock held, just after taking it back.
inline void taken() { taken_at.store(now(), std::memory_order_relaxed); }

}  // namespace lock_handoff

#endif
