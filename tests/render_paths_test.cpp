// The renderer's short paths write what its general steps write: a plain
// note or chord, a computed pitch waveform run a stretch at a time, and a
// fade whose quiet clocks pass at once.
#include <gtest/gtest.h>

#include "support/render_harness.h"

namespace orvo::test {
namespace {

using Lines = std::vector<std::string>;

// A phrase of plain notes and chords: gates shorter than, equal to and 0
// within their steps, a chord spread past its gate, then rests.
void phrase(RenderHarness& h) {
  h.note(60, 24, 20);
  h.chord({60, 64, 67, 72}, 48, 44);
  h.chord({62, 65, 69}, 24, 24, 6);
  h.chord({55, 59, 62, 65}, 12, 10, 4);  // the last key would sound after the gate
  h.note(64, 12, 0);
  h.rest(24, 20);
  h.note(67, 96, 90);
}

// Keeping the pitch oscillator's phase sends every note through the general
// steps; with no pitch modulation it changes nothing that is written.
TEST(RenderPaths, PlainNotesWriteWhatTheGeneralStepsWrite) {
  RenderHarness plain, general;
  general.pm.pm_keep = 1;
  phrase(plain);
  phrase(general);
  EXPECT_EQ(plain.lines(), general.lines());

  // The same under a fade-out with a delay, the volume written before.
  RenderHarness fading, fading_general;
  fading_general.pm.pm_keep = 1;
  for (RenderHarness* h : {&fading, &fading_general}) {
    h->s.render.last_volume = 100;
    h->fade.state = -1;
    h->fade.scale = 128;
    h->fade.step = 20;
    h->fade.delay = 30;
    phrase(*h);
  }
  EXPECT_EQ(fading.lines(), fading_general.lines());
}

TEST(RenderPaths, FadeWritesOnlyAtItsCarries) {
  RenderHarness h;
  h.s.render.last_volume = 100;
  h.fade.state = -1;
  h.fade.scale = 128;
  h.fade.step = 20;
  h.fade.delay = 5;
  h.chord({60, 64}, 64, 64, 40);
  // Five clocks of delay, then a carry every 13 clocks of 20/256 each: the
  // scale falls by one and the volume follows (scale x 100 / 128).
  EXPECT_EQ(h.lines(),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) NoteOn ch1 60 100",
                   "@17 (+17) Control ch1 7 99", "@30 (+13) Control ch1 7 98",
                   "@40 (+10) NoteOn ch1 64 100", "@43 (+3) Control ch1 7 97",
                   "@56 (+13) Control ch1 7 96", "@64 (+8) NoteOn ch1 60 0",
                   "@64 (+0) NoteOn ch1 64 0", "@64 (+0) EndOfTrack"}));
  EXPECT_EQ(h.fade.scale, 124);
  EXPECT_EQ(h.fade.aux, 16 + 20 * 7);
}

// A direct portamento of no amount runs every clock of the note clock by
// clock and moves nothing: the bends are those of the waveform alone, run a
// stretch of its slope at a time.
TEST(RenderPaths, ComputedPitchStretchesWriteWhatTheClockByClockStepsWrite) {
  struct Wave {
    uint8_t wave;
    int16_t depth, speed;
  };
  // Steep and flat slopes (less than half a unit a clock: 6 over 16 clocks).
  for (const Wave w : {Wave{2, 100, 4}, Wave{2, 6, 16}, Wave{0, 5, 12}, Wave{3, 40, 10},
                       Wave{2, 1, 30}}) {
    RenderHarness runs, clocks;
    clocks.porta.porta_mode = 1;
    for (RenderHarness* h : {&runs, &clocks}) {
      h->enables |= kModPitch;
      h->pm.pm_wave = w.wave;
      h->pm.pm_depth = w.depth;
      h->pm.pm_speed = w.speed;
      h->pm.pm_start = 7;
      h->note(60, 96, 80);
      h->note(62, 40, 40);
      h->note(64, 120, 100);
    }
    EXPECT_EQ(runs.lines(), clocks.lines()) << "wave " << int{w.wave} << " depth " << w.depth;
  }
}

// A pitch and a controller waveform together on every clock run a stretch
// at a time; the direct portamento of no amount sends every clock through
// the clock loop instead. Sawtooth, triangle and one-shot ramp for each,
// steep and flat slopes, falling controller depths, an OPM track's scaling
// and the controller's start.
TEST(RenderPaths, PitchAndControllerStretchesWriteWhatTheClockByClockStepsWrite) {
  struct Waves {
    uint8_t pitch_wave;
    int16_t pitch_depth, pitch_speed;
    uint8_t ctrl_wave;
    int8_t ctrl_depth;
    int16_t ctrl_speed;
    bool opm;
  };
  for (const Waves w : {Waves{2, 0x200, 8, 2, 64, 8, false}, Waves{0, 300, 5, 0, -20, 3, false},
                        Waves{3, 40, 10, 2, 100, 16, false}, Waves{2, 6, 16, 3, -50, 7, true},
                        Waves{0, 1, 30, 2, 1, 30, true}, Waves{7, 90, 2, 9, 30, 1, false}}) {
    RenderHarness runs, clocks;
    clocks.porta.porta_mode = 1;
    for (RenderHarness* h : {&runs, &clocks}) {
      h->enables |= kModPitch | kModCtrl;
      h->s.render.opm_scaling = w.opm;
      h->pm.pm_wave = w.pitch_wave;
      h->pm.pm_depth = w.pitch_depth;
      h->pm.pm_speed = w.pitch_speed;
      h->pm.pm_start = 5;
      h->cm.cm_mode = 1;
      h->cm.cm_wave = w.ctrl_wave;
      h->cm.cm_depth = w.ctrl_depth;
      h->cm.cm_speed = w.ctrl_speed;
      h->cm.cm_start = 9;
      h->note(60, 96, 80);
      h->chord({62, 65}, 40, 40);
      h->note(64, 200, 190);
    }
    EXPECT_EQ(runs.lines(), clocks.lines()) << "pitch wave " << int{w.pitch_wave} << ", controller wave "
                                            << int{w.ctrl_wave};
  }
}

}  // namespace
}  // namespace orvo::test
