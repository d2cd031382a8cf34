#include "songs.h"

#include <cstdint>

namespace orvo::bench {

namespace {

using test::Bytes;
using test::ZmdBuilder;

constexpr uint8_t kC0 = 0xC0;  // C0 9 [do], C0 10 [loop]
constexpr uint8_t kDo = 9;
constexpr uint8_t kLoop = 10;

void be16(Bytes& out, int v) {
  out.push_back(static_cast<uint8_t>(v >> 8));
  out.push_back(static_cast<uint8_t>(v));
}

void note(Bytes& t, int key, int step, int gate) {
  t.insert(t.end(), {static_cast<uint8_t>(key), static_cast<uint8_t>(step), static_cast<uint8_t>(gate)});
}

}  // namespace

Bytes pitch_modulation_start() {
  Bytes t{0xD6};                          // speeds: pitch 8, controller unchanged
  be16(t, 8);
  be16(t, 0);
  t.insert(t.end(), {0x98, 0x00, 0xFF});  // pitch waveform 0
  t.push_back(0xE6);                      // pitch depth
  be16(t, 0x0400);
  t.insert(t.end(), {0xBB, 0x01});        // pitch modulation on
  return t;
}

Song modulation_song(int notes_per_track) {
  ZmdBuilder zmd;
  zmd.tempo(120);
  for (int ch = 0; ch < 16; ++ch) {
    Bytes t = pitch_modulation_start();
    for (int n = 0; n < notes_per_track; ++n) note(t, 48 + (n + ch) % 24, 240, 230);
    zmd.track(static_cast<uint8_t>(test::kMidi1 + ch), t);
  }
  return {"modulation, 16 tracks, -B1", zmd.build(), {"-B1"}};
}

Song tempo_changes(int changes) {
  Bytes t;
  for (int i = 0; i < changes; ++i) {
    t.push_back(0x91);
    be16(t, 100 + i % 50);
    t.insert(t.end(), {0x80, 1, 0});  // a rest of one clock
  }
  Bytes melody;
  for (int i = 0; i < changes / 48; ++i) note(melody, 60, 48, 40);
  return {std::to_string(changes) + " tempo changes",
          ZmdBuilder().tempo(120).track(test::kMidi1, t).track(test::kMidi1 + 1, melody).build(),
          {}};
}

Song sync_points(int points) {
  Bytes signaller, waiter;
  for (int i = 0; i < points; ++i) {
    signaller.insert(signaller.end(), {0xAF, 1, 60, 12, 10});
    waiter.insert(waiter.end(), {0x83, 64, 6, 5});
  }
  return {std::to_string(points) + " sync points",
          ZmdBuilder().track(test::kMidi1, signaller).track(test::kMidi1 + 1, waiter).build(),
          {}};
}

Song at_marks(int marks) {
  ZmdBuilder zmd;
  Bytes marked;
  for (int i = 0; i < marks; ++i) marked.insert(marked.end(), {0xC0, 0x0C, 60, 12, 10});
  zmd.track(test::kMidi1, marked);
  for (int ch = 1; ch < 4; ++ch) {
    Bytes plain;
    for (int i = 0; i < marks; ++i) note(plain, 60 + ch, 12, 10);
    zmd.track(static_cast<uint8_t>(test::kMidi1 + ch), plain);
  }
  return {std::to_string(marks) + " [@] marks", zmd.build(), {}};
}

Song huge_song() {
  ZmdBuilder zmd;
  zmd.tempo(120);
  for (int ch = 0; ch < 8; ++ch) {
    // Triangle waves for both: the pitch turns every 8 clocks with a depth
    // that changes the bend on every clock; the controller (11, expression)
    // moves 4 a clock around 64.
    Bytes t{0x98, 0x02, 0x02, 0xD6};
    be16(t, 8);
    be16(t, 8);
    t.insert(t.end(), {0x9A, 11, 0, 64, 0xAE, 64});
    t.push_back(0xE6);
    be16(t, 0x0200);
    t.insert(t.end(), {0xBB, 0x01, 0xBC, 0x01});
    t.insert(t.end(), {kC0, kDo});
    for (int n = 0; n < 16; ++n) note(t, 48 + (n * 5 + ch * 3) % 36, 192, 190);
    t.insert(t.end(), {kC0, kLoop});
    zmd.track(static_cast<uint8_t>(test::kMidi1 + ch), t);
  }
  return {"huge song, 8 tracks, -L300", zmd.build(), {"-L300"}};
}

Song typical_song() {
  ZmdBuilder zmd;
  zmd.tempo(132);
  uint32_t seed = 12345;
  const auto next = [&seed](uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % range;
  };
  for (int tr = 0; tr < 8; ++tr) {
    const uint8_t channel = tr < 2 ? static_cast<uint8_t>(test::kFm1 + tr)
                                   : static_cast<uint8_t>(test::kMidi1 + tr - 2);
    // Program, volume, pan and a bend range of 12; vibrato from the 48th
    // clock of a note on: triangle, depth 200.
    Bytes t{0xA0, static_cast<uint8_t>(1 + tr * 9), 0xB6, 30, 0xB4, static_cast<uint8_t>(24 + tr * 10),
            0xA8, 12, 0x98, 2, 0xFF, 0xD6, 0, 6, 0, 0, 0xE8, 0, 48, 0xFF, 0xFF, 0xE6, 0, 200};
    const int base = 36 + tr * 6;
    for (int n = 0; n < 640; ++n) {
      const uint32_t kind = next(16);
      const int key = base + static_cast<int>(next(24));
      if (kind < 8) {
        note(t, key, 24, 20);
      } else if (kind < 13) {
        note(t, key, 48, 44);
      } else {
        note(t, key, 96, 90);
      }
    }
    zmd.track(channel, t);
  }
  return {"typical song, 8 tracks, -m", zmd.build(), {"-m"}};
}

}  // namespace orvo::bench
