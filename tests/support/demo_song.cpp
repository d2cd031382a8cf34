#include "support/demo_song.h"

namespace orvo::test {

namespace {

// Track commands of the tune: a note is key, step, gate; a rest 0x80, step,
// gate; A0 n selects program n - 1.
constexpr uint8_t kProgram = 0xA0;
constexpr uint8_t kRest = 0x80;

void note(Bytes& t, uint8_t key, uint8_t step, uint8_t gate) { t.insert(t.end(), {key, step, gate}); }

Bytes melody() {
  Bytes t{kProgram, 1};  // acoustic grand piano
  const uint8_t line[] = {72, 74, 76, 77, 79, 77, 76, 74, 72, 76, 79, 84};
  for (uint8_t key : line) note(t, key, 24, 20);
  note(t, 72, 96, 90);
  return t;
}

Bytes bass() {
  Bytes t{kProgram, 33};  // acoustic bass
  const uint8_t line[] = {48, 43, 45, 41, 48};
  for (uint8_t key : line) note(t, key, 48, 44);
  t.insert(t.end(), {kRest, 48, 0});
  return t;
}

Bytes chords() {
  Bytes t{kProgram, 49};  // strings
  const uint8_t roots[] = {60, 55, 57, 53, 60};
  for (uint8_t root : roots) note(t, root, 48, 46);
  t.insert(t.end(), {kRest, 48, 0});
  return t;
}

}  // namespace

Bytes demo_song() {
  return ZmdBuilder()
      .title("orvo demo")
      .tempo(120)
      .exclusive({0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7})  // GS reset
      .text("A short tune built by the orvo test support")
      .track(kMidi1, melody())
      .track(kMidi1 + 1, bass())
      .track(kMidi1 + 2, chords())
      .build();
}

}  // namespace orvo::test
