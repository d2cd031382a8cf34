#include "support/demo_song.h"

namespace orvo::test {

namespace {

// Track command bytes the recipe uses.
constexpr uint8_t kProgram = 0xA0;    // A0 n: program n - 1
constexpr uint8_t kVolume = 0xB6;     // B6 n: volume 127 - n
constexpr uint8_t kBendRange = 0xA8;  // A8 n: pitch-bend range n semitones
constexpr uint8_t kPan = 0xB4;        // B4 n
constexpr uint8_t kSlur = 0xC5;       // C5 n: 1 on, 0 off
constexpr uint8_t kTie = 0xFF;        // gate of a note tied to the next
constexpr uint8_t kC0 = 0xC0;         // C0 9 [do], C0 10 [loop]
constexpr uint8_t kDo = 9, kLoop = 10;

constexpr uint8_t kQuarter = 48;  // clocks at the default timebase of 192
constexpr uint8_t kHalf = 96;

void note(Bytes& t, uint8_t key, uint8_t step, uint8_t gate) { t.insert(t.end(), {key, step, gate}); }

void be16(Bytes& t, uint16_t v) {
  t.push_back(static_cast<uint8_t>(v >> 8));
  t.push_back(static_cast<uint8_t>(v));
}

// E2 step gate spread keys: a chord of up to eight keys, each `spread`
// clocks after the one before.
void chord(Bytes& t, uint16_t step, uint16_t gate, uint8_t spread, std::initializer_list<uint8_t> keys) {
  t.push_back(0xE2);
  be16(t, step);
  be16(t, gate);
  t.push_back(spread);
  size_t n = 0;
  for (uint8_t k : keys) {
    t.push_back(k);
    ++n;
  }
  for (; n < 8; ++n) t.push_back(0xFF);
}

// Lead: a repeat with two endings (the second slurred), then the looped
// tune with vibrato on its long notes.
Bytes melody() {
  Bytes t{kProgram, 74, kVolume, 27, kBendRange, 12, kPan, 72};  // flute, bend range 12
  // Vibrato: triangle wave, a quarter-turn every 6 clocks, depth 200, from
  // the 48th clock of a note on.
  t.insert(t.end(), {0x98, 2, 0xFF, 0xD6, 0, 6, 0, 0, 0xE8, 0, 48, 0xFF, 0xFF, 0xE6, 0, 200});

  // |: bar 1 |1 bar 2 |2 bar 2' :|
  t.insert(t.end(), {0xC1, 0xCF, 2});
  const size_t repeat_mark = t.size() - 2;  // the CF byte
  note(t, 76, kQuarter, 44);
  note(t, 79, kQuarter, 44);
  note(t, 84, kQuarter, kTie);  // a half note written as two tied quarters
  note(t, 84, kQuarter, 44);
  t.insert(t.end(), {0xC3, 1, 0, 9});  // first ending: 9 bytes
  note(t, 83, kQuarter, 44);
  note(t, 81, kQuarter, 44);
  note(t, 79, kHalf, 90);
  t.insert(t.end(), {0xC3, 2, 0, 13});  // second ending: 13 bytes
  t.insert(t.end(), {kSlur, 1});
  note(t, 81, kQuarter, kTie);  // A slurs up to B and C
  note(t, 83, kQuarter, kTie);
  note(t, 84, kHalf, 90);
  t.insert(t.end(), {kSlur, 0});
  t.push_back(0xC2);
  be16(t, static_cast<uint16_t>(t.size() + 2 - repeat_mark));

  t.insert(t.end(), {kC0, kDo});
  const uint8_t tune[][3] = {{72, kQuarter, 44}, {76, kQuarter, 44}, {79, kHalf, 90},
                             {81, kQuarter, 44}, {79, kQuarter, 44}, {77, kHalf, 90},
                             {76, kQuarter, 44}, {74, kQuarter, 44}, {72, kQuarter, 44},
                             {74, kQuarter, 44}, {72, 192, 180}};
  for (const auto& n : tune) note(t, n[0], n[1], n[2]);
  t.insert(t.end(), {kC0, kLoop});
  return t;
}

// Strings: one chord a bar, arpeggiated by a few clocks.
Bytes chords() {
  Bytes t{kProgram, 49, kVolume, 47, kPan, 48};  // strings
  chord(t, 192, 184, 0, {60, 64, 67});
  chord(t, 192, 184, 0, {59, 62, 67});
  chord(t, 192, 184, 0, {60, 64, 67});
  chord(t, 192, 184, 0, {60, 65, 69});
  t.insert(t.end(), {kC0, kDo});
  chord(t, 192, 184, 4, {60, 64, 67});
  chord(t, 192, 184, 4, {60, 65, 69});
  chord(t, 192, 184, 4, {59, 62, 67});
  chord(t, 192, 184, 4, {60, 64, 67, 72});
  t.insert(t.end(), {kC0, kLoop});
  return t;
}

// Bass: roots and fifths, with a slide from G up to A in the looped part.
Bytes bass() {
  Bytes t{kProgram, 34, kVolume, 27, kBendRange, 12};  // fingered bass
  const uint8_t intro[] = {36, 43, 43, 38, 36, 43, 41, 43};
  for (uint8_t key : intro) note(t, key, kHalf, 88);
  t.insert(t.end(), {kC0, kDo});
  note(t, 36, kHalf, 88);
  note(t, 43, kHalf, 88);
  note(t, 41, kHalf, 88);
  note(t, 45, kHalf, 88);
  // E0 key step gate delay a b mode: after 48 clocks the pitch rises by
  // 28 + 118/256 bend units a clock: two semitones in the last 48 clocks.
  t.insert(t.end(), {0xE0, 43});
  be16(t, kHalf);
  be16(t, 90);
  be16(t, 48);
  be16(t, 28);
  t.insert(t.end(), {118, 1});
  note(t, 38, kHalf, 88);
  note(t, 36, 192, 180);
  t.insert(t.end(), {kC0, kLoop});
  return t;
}

}  // namespace

Bytes demo_song() {
  return ZmdBuilder()
      .title("orvo demo")
      .tempo(120)
      .exclusive({0xF0, 0x41, 0x10, 0x42, 0x12, 0x40, 0x00, 0x7F, 0x00, 0x41, 0xF7})  // GS reset
      .text("A short tune of the orvo developers")
      .track(kMidi1, melody())
      .track(kMidi1 + 1, chords())
      .track(kMidi1 + 2, bass())
      .build();
}

}  // namespace orvo::test
