// The bounds on what data can make endless: a track stops once it has run
// `track_commands` commands, reached the clock `track_clock` or written a
// chunk of more than `chunk_bytes`, or once the song's synchronisation,
// tempo or mark records fill a table of `records`; a conversion writes at
// most `message_lines` lines and `message_bytes` bytes of messages. The fuzz build (ORVO_FUZZ_BOUNDS)
// divides every bound by the same factor, so that an input at a bound ends
// in milliseconds even under the sanitizers; every other build keeps the
// real bounds.
#pragma once

#include <cstddef>
#include <cstdint>

namespace orvo {

struct Bounds {
  int64_t track_commands;
  int32_t track_clock;      // every delta time then fits the four bytes a MIDI file allows
  size_t chunk_bytes;       // no file outgrows 80 such chunks
  size_t records;           // the records stay within a few tens of MB
  uint64_t message_lines;   // the final line is written after them in any case
  uint64_t message_bytes;   // a line of markers that never ends is cut too

  constexpr bool operator==(const Bounds&) const = default;
};

constexpr Bounds kRealBounds{10'000'000, 0x0FF00000, size_t{16} * 1024 * 1024, 1'000'000, 10'000,
                             uint64_t{1} << 20};

// Every bound divided by `factor`.
constexpr Bounds scaled_bounds(int64_t factor) {
  return Bounds{kRealBounds.track_commands / factor,
                static_cast<int32_t>(kRealBounds.track_clock / factor),
                kRealBounds.chunk_bytes / static_cast<size_t>(factor),
                kRealBounds.records / static_cast<size_t>(factor),
                kRealBounds.message_lines / static_cast<uint64_t>(factor),
                kRealBounds.message_bytes / static_cast<uint64_t>(factor)};
}

// The factor of the fuzz build.
constexpr int64_t kFuzzBoundScale = 1000;

#ifdef ORVO_FUZZ_BOUNDS
constexpr Bounds kBounds = scaled_bounds(kFuzzBoundScale);
#else
constexpr Bounds kBounds = kRealBounds;
#endif

}  // namespace orvo
