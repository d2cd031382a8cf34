#include "songs.h"

#include <cstdint>
#include <vector>

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

namespace {

// A track of the real-shaped song as it is written: its commands, and the
// repeats still open, each with the offset of its CF byte and the exits
// that skip to its end.
struct Score {
  Bytes t;
  std::vector<size_t> repeat_marks;
  std::vector<std::vector<size_t>> exits;
  uint32_t seed;

  uint32_t next(uint32_t range) {
    seed = seed * 1103515245u + 12345u;
    return (seed >> 16) % range;
  }
  void repeat_start(int passes) {
    t.insert(t.end(), {0xC1, 0xCF, static_cast<uint8_t>(passes)});
    repeat_marks.push_back(t.size() - 2);
    exits.emplace_back();
  }
  // C4 w: on the last pass, skip to the end of the repeat.
  void repeat_exit() {
    t.insert(t.end(), {0xC4, 0, 0});
    exits.back().push_back(t.size());
  }
  // C2 w: back to the CF byte of the repeat's start.
  void repeat_end() {
    const size_t end = t.size() + 3;
    t.push_back(0xC2);
    be16(t, static_cast<int>(end - repeat_marks.back()));
    for (size_t exit : exits.back()) {
      t[exit - 2] = static_cast<uint8_t>((end - exit) >> 8);
      t[exit - 1] = static_cast<uint8_t>(end - exit);
    }
    repeat_marks.pop_back();
    exits.pop_back();
  }
};

enum class Role { Lead, Counter, Chords, Bass, Drums, Arpeggio, Pad };

constexpr int kHalf = 96;  // clocks of half a 4/4 bar at the default timebase
constexpr uint8_t kScale[7] = {0, 2, 4, 5, 7, 9, 11};

int scale_key(int base, int degree) { return base + 12 * (degree / 7) + kScale[degree % 7]; }

// A new vibrato depth: E6 restarts the pitch oscillator with it.
void vibrato_depth(Score& s) {
  static constexpr int kDepths[] = {12, 24, 8, 40, 16, 32, 20, 6};
  s.t.push_back(0xE6);
  be16(s.t, kDepths[s.next(8)]);
}

// Half a bar of the part `role` plays, after a velocity of its own.
void half_bar(Score& s, Role role, int base, int& last_key) {
  s.t.insert(s.t.end(), {0xD9, static_cast<uint8_t>(80 + s.next(40))});
  switch (role) {
    case Role::Lead:
    case Role::Counter:
      for (int clocks = 0; clocks < kHalf;) {
        const int steps[] = {24, 24, 48, 96, 12, 12};
        int step = steps[s.next(role == Role::Lead ? 4 : 6)];
        if (clocks + step > kHalf) step = kHalf - clocks;
        const int key = scale_key(base, static_cast<int>(s.next(12)));
        if (role == Role::Lead && step >= 48 && s.next(4) == 0) {
          // A portamento from the last key: a step per clock given directly,
          // after 8 clocks.
          const int bend = (key - last_key) * 683 / (step - 8);
          s.t.insert(s.t.end(), {0xE0, static_cast<uint8_t>(key)});
          be16(s.t, step);
          be16(s.t, step - 4);
          be16(s.t, 8);
          be16(s.t, bend);
          s.t.insert(s.t.end(), {0x40, static_cast<uint8_t>(key < last_key ? 0xFF : 0x01)});
        } else {
          note(s.t, key, step, step - step / 8);
        }
        last_key = key;
        clocks += step;
      }
      break;
    case Role::Chords:
      for (int i = 0; i < 2; ++i) {
        const int root = static_cast<int>(s.next(7));
        s.t.insert(s.t.end(), {0xE2, 0, 48, 0, 44, 0});
        for (int k : {0, 2, 4, 7}) s.t.push_back(static_cast<uint8_t>(scale_key(base, root + k)));
        s.t.insert(s.t.end(), {0xFF, 0xFF, 0xFF, 0xFF});
      }
      break;
    case Role::Bass:
      for (int i = 0; i < 4; ++i) {
        note(s.t, scale_key(base, (i % 2) * 4 + static_cast<int>(s.next(3))), 24, 20);
      }
      break;
    case Role::Drums:
      for (int i = 0; i < 8; ++i) note(s.t, i % 4 == 0 ? 36 : (i % 4 == 2 ? 38 : 42), 12, 4);
      break;
    case Role::Arpeggio: {
      const int root = static_cast<int>(s.next(7));
      for (int i = 0; i < 8; ++i) note(s.t, scale_key(base, root + (i % 4) * 2), 12, 10);
      break;
    }
    case Role::Pad:
      note(s.t, scale_key(base, static_cast<int>(s.next(7))), kHalf, kHalf - 4);
      break;
  }
}

}  // namespace

Song real_shaped_song() {
  ZmdBuilder zmd;
  zmd.tempo(140);
  const Role roles[12] = {Role::Lead,  Role::Lead,  Role::Counter, Role::Counter,
                          Role::Chords, Role::Chords, Role::Chords, Role::Bass,
                          Role::Bass,  Role::Drums, Role::Arpeggio, Role::Chords};
  for (int tr = 0; tr < 12; ++tr) {
    const Role role = roles[tr];
    const bool vibrato = role == Role::Lead || role == Role::Counter;
    Score s{{}, {}, {}, static_cast<uint32_t>(7919 * (tr + 1))};
    const int base = role == Role::Bass ? 28 + tr : (role == Role::Chords ? 50 + tr : 60 + tr);
    int last_key = base;
    // Program, volume, pan, a bend range of 12.
    s.t.insert(s.t.end(), {0xA0, static_cast<uint8_t>(1 + tr * 7), 0xB6,
                           static_cast<uint8_t>(20 + tr), 0xB4, static_cast<uint8_t>(16 + tr * 8),
                           0xA8, 12});
    if (vibrato) {
      // A triangle vibrato from the 19th clock of each note.
      s.t.insert(s.t.end(), {0x98, 0x02, 0xFF, 0xD6, 0, static_cast<uint8_t>(16 + tr), 0, 0, 0xE8,
                             0, 19, 0xFF, 0xFF});
    }
    auto halves = [&](int n) {
      for (int i = 0; i < n; ++i) half_bar(s, role, base, last_key);
    };
    // |: h :| and n halves after it, after a step of the volume and an
    // expression value; the vibrato's depth mostly changes there too.
    int blocks = 0;
    auto repeated = [&](int after) {
      s.t.insert(s.t.end(), {static_cast<uint8_t>(++blocks % 2 == 0 ? 0xAA : 0xAB), 2, 0xB5, 11,
                             static_cast<uint8_t>(90 + s.next(38))});
      if (vibrato && s.next(4) != 0) vibrato_depth(s);
      s.repeat_start(2);
      halves(1);
      s.repeat_end();
      halves(after);
    };
    // Intro; then the loop: A, a nested repeat, B, a repeat with an exit on
    // some tracks, C, [$] D [d.s.], E.
    if (vibrato) vibrato_depth(s);
    repeated(2);
    s.t.insert(s.t.end(), {kC0, kDo});
    for (int i = 0; i < 4; ++i) repeated(2);
    s.repeat_start(2);
    halves(1);
    s.repeat_start(2);
    halves(1);
    s.repeat_end();
    s.repeat_end();
    for (int i = 0; i < 4; ++i) repeated(1);
    s.repeat_start(3);
    halves(2);
    if (tr < 7) s.repeat_exit();
    halves(1);
    s.repeat_end();
    for (int i = 0; i < 5; ++i) repeated(3);
    s.t.insert(s.t.end(), {kC0, 4});  // [$]
    repeated(2);
    s.t.insert(s.t.end(), {kC0, 5});  // [d.s.]
    halves(4);
    s.t.insert(s.t.end(), {kC0, kLoop});
    zmd.track(static_cast<uint8_t>(test::kMidi1 + tr), s.t);
  }
  return {"real-shaped song, 12 tracks", zmd.build(), {"-m"}};
}

}  // namespace orvo::bench
