// The software modulation: pitch waveforms as bends or wheel values, and the
// controller modulation, clock by clock.
#include <gtest/gtest.h>

#include "support/render_harness.h"

namespace orvo::test {
namespace {

using Lines = std::vector<std::string>;

// Ticks and values of the lines of one kind ("PitchBend", "Control ch1 11").
std::vector<std::pair<int, int>> points(const Lines& lines, const std::string& what) {
  std::vector<std::pair<int, int>> out;
  for (const std::string& line : only(lines, what)) {
    out.emplace_back(std::stoi(line.substr(1)), std::stoi(line.substr(line.rfind(' ') + 1)));
  }
  return out;
}

using Points = std::vector<std::pair<int, int>>;

void pitch(RenderHarness& h, uint8_t wave, int16_t depth, int16_t speed, uint8_t mode = 2) {
  h.enables |= kModPitch;
  h.pm.pm_wave = wave;
  h.pm.pm_depth = depth;
  h.pm.pm_speed = speed;
  h.pm.pm_mode = mode;
}

TEST(RenderPitchWave, TriangleBendsEveryClockAndReachesItsDepthEveryTwoSpeeds) {
  RenderHarness h;
  pitch(h, 2, 100, 4);
  h.note(60, 16, 16);
  EXPECT_EQ(points(h.lines(), "PitchBend"),
            (Points{{0, 8192},  {1, 8217},  {2, 8242},  {3, 8267},  {4, 8292},  {5, 8267},
                    {6, 8242},  {7, 8217},  {8, 8192},  {9, 8167},  {10, 8142}, {11, 8117},
                    {12, 8092}, {13, 8117}, {14, 8142}, {15, 8167}}));
}

TEST(RenderPitchWave, StepIntervalWritesEveryNthClockAndTheLast) {
  RenderHarness h;
  h.step_interval = 4;
  pitch(h, 2, 100, 4);
  h.note(60, 15, 15);
  EXPECT_EQ(points(h.lines(), "PitchBend"),
            (Points{{0, 8192}, {3, 8267}, {7, 8217}, {11, 8117}, {14, 8142}}));

  // An interval of 0 writes every clock, like 1.
  RenderHarness zero, one;
  zero.step_interval = 0;
  pitch(zero, 2, 100, 4);
  pitch(one, 2, 100, 4);
  zero.note(60, 15, 15);
  one.note(60, 15, 15);
  EXPECT_EQ(zero.lines(), one.lines());
}

TEST(RenderPitchWave, SawtoothRisesDropsAndRisesAgain) {
  RenderHarness h;
  pitch(h, 0, 8, 2);
  h.note(60, 12, 12);
  EXPECT_EQ(points(h.lines(), "PitchBend"),
            (Points{{0, 8192}, {1, 8194}, {2, 8196}, {3, 8198}, {4, 8200}, {5, 8186},
                    {6, 8188}, {7, 8190}, {8, 8192}, {9, 8194}, {10, 8196}, {11, 8198}}));
}

TEST(RenderPitchWave, OneShotRampStopsAtItsDepth) {
  RenderHarness h;
  pitch(h, 3, 8, 2);
  h.note(60, 12, 12);
  EXPECT_EQ(points(h.lines(), "PitchBend"),
            (Points{{0, 8192}, {1, 8194}, {2, 8196}, {3, 8198}, {4, 8200}}));
}

TEST(RenderPitchWave, SquareWritesOneBendPerTurningPointWhateverTheInterval) {
  RenderHarness h;
  h.step_interval = 4;
  pitch(h, 1, 10, 3, 1);  // mode 1: the depth x 1067/100 = 106
  h.note(60, 14, 14);
  EXPECT_EQ(points(h.lines(), "PitchBend"), (Points{{0, 8192}, {6, 8298}, {12, 8086}}));
}

TEST(RenderPitchWave, WheelKindSendsTheDepthAtTheStartClock) {
  RenderHarness h;
  pitch(h, 2, 64, 4, 0);
  h.pm.pm_start = 4;
  h.note(60, 12, 12);
  EXPECT_EQ(h.lines(),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) Control ch1 1 0",
                   "@0 (+0) NoteOn ch1 60 100", "@4 (+4) Control ch1 1 64",
                   "@12 (+8) NoteOn ch1 60 0", "@12 (+0) EndOfTrack"}));
}

// User waveform 8: four samples, one per clock.
void user_wave(RenderHarness& h, uint8_t loop_mode, int32_t loop_index = 0) {
  Waveform& w = h.s.waveforms.slots[8];
  w.length = 4;
  w.samples = {10, 20, 30, 40};
  w.loop_mode = loop_mode;
  w.loop_index = loop_index;
  pitch(h, 8, 1, 1);
}

std::vector<int> bend_values(const RenderHarness& h) {
  std::vector<int> out;
  for (const auto& p : points(h.lines(), "PitchBend")) out.push_back(p.second - 8192);
  return out;
}

TEST(RenderPitchWave, UserWaveformsFollowTheirLoopModes) {
  RenderHarness bounce;  // 0..n-1, n-2 down to 1, 0..n-1 again
  user_wave(bounce, 2);
  bounce.note(60, 12, 12);
  EXPECT_EQ(bend_values(bounce),
            (std::vector<int>{0, 10, 20, 30, 40, 30, 20, 10, 20, 30, 40, 30, 20}));

  RenderHarness once;  // mode 0 stops at the end
  user_wave(once, 0);
  once.note(60, 12, 12);
  EXPECT_EQ(bend_values(once), (std::vector<int>{0, 10, 20, 30, 40}));

  RenderHarness loop;  // mode 1 returns to the loop index
  user_wave(loop, 1, 2);
  loop.note(60, 9, 9);
  EXPECT_EQ(bend_values(loop), (std::vector<int>{0, 10, 20, 30, 40, 30, 40, 30, 40, 30}));

  RenderHarness beyond;  // a loop index past the samples reads nothing more
  user_wave(beyond, 1, 9);
  beyond.note(60, 9, 9);
  EXPECT_EQ(bend_values(beyond), (std::vector<int>{0, 10, 20, 30, 40}));

  RenderHarness undefined;  // length 0
  pitch(undefined, 9, 1, 1);
  undefined.note(60, 12, 12);
  EXPECT_EQ(bend_values(undefined), (std::vector<int>{0}));
}

TEST(RenderPitchWave, UserWaveformStepsLastSpeedClocksAndCountTowardsTheInterval) {
  RenderHarness h;
  user_wave(h, 2);
  h.pm.pm_speed = 2;
  h.pm.pm_mode = 1;  // samples x 1067/100
  h.step_interval = 2;
  h.note(60, 16, 16);
  // Steps at 0, 2, 4, ...; every second one is written (at 14 the same value again).
  EXPECT_EQ(points(h.lines(), "PitchBend"), (Points{{0, 8192}, {2, 8405}, {6, 8618}, {10, 8405}}));
}

void controller(RenderHarness& h, uint8_t wave, int8_t depth, uint8_t base, int16_t speed) {
  h.enables |= kModCtrl;
  h.cm.cm_mode = 1;
  h.cm.cm_wave = wave;
  h.cm.cm_depth = depth;
  h.cm.cm_initial = base;
  h.cm.cm_base = base;
  h.cm.cm_speed = speed;
}

TEST(RenderCtrlWave, PlainKindSendsTheInitialValueThenTheDepthAtTheStart) {
  RenderHarness h;
  h.enables = kModCtrl;
  h.cm.cm_depth = 90;
  h.cm.cm_start = 6;
  h.note(60, 12, 12);
  EXPECT_EQ(h.lines(),
            (Lines{"@0 (+0) PitchBend ch1 8192", "@0 (+0) Control ch1 11 127",
                   "@0 (+0) NoteOn ch1 60 100", "@6 (+6) Control ch1 11 90",
                   "@12 (+6) NoteOn ch1 60 0", "@12 (+0) EndOfTrack"}));
}

TEST(RenderCtrlWave, TriangleSwingsBelowTheBase) {
  RenderHarness h;
  controller(h, 2, 20, 100, 2);
  h.note(60, 12, 12);
  EXPECT_EQ(points(h.lines(), "Control ch1 11"),
            (Points{{0, 100}, {1, 95}, {2, 90}, {3, 85}, {4, 80}, {5, 85}, {6, 90}, {7, 95},
                    {8, 100}, {9, 95}, {10, 90}, {11, 85}}));
}

TEST(RenderCtrlWave, ValuesStayWithinTheControllerRange) {
  RenderHarness low;
  controller(low, 0, 60, 20, 1);
  low.note(60, 12, 12);
  EXPECT_EQ(points(low.lines(), "Control ch1 11"),
            (Points{{0, 20}, {1, 5}, {2, 0}, {5, 45}, {6, 30}, {7, 15}, {8, 0}, {9, 45},
                    {10, 30}, {11, 15}}));

  RenderHarness high;
  controller(high, 3, -100, 120, 1);
  high.note(60, 8, 8);
  for (const auto& p : points(high.lines(), "Control ch1 11")) {
    EXPECT_GE(p.second, 0);
    EXPECT_LE(p.second, 127);
  }
}

TEST(RenderCtrlWave, SquareTurnsEveryTwoSpeeds) {
  RenderHarness h;
  controller(h, 1, 10, 64, 2);
  h.note(60, 10, 10);
  EXPECT_EQ(points(h.lines(), "Control ch1 11"), (Points{{0, 64}, {4, 74}, {8, 64}}));
}

TEST(RenderCtrlWave, UserWaveformWritesEachStepsValueAtTheNextStep) {
  RenderHarness h;
  Waveform& w = h.s.waveforms.slots[10];
  w.length = 3;
  w.samples = {5, 10, 15};
  w.loop_mode = 1;
  controller(h, 10, 1, 50, 1);
  h.note(60, 6, 6);
  EXPECT_EQ(points(h.lines(), "Control ch1 11"),
            (Points{{0, 51}, {0, 50}, {1, 55}, {2, 60}, {3, 65}, {4, 55}, {5, 60}}));
}

TEST(RenderCtrlWave, HeldAtTheBaseUntilTheStartClock) {
  RenderHarness h;
  controller(h, 2, 20, 100, 2);
  h.cm.cm_initial = 90;
  h.cm.cm_start = 3;
  h.note(60, 6, 6);
  EXPECT_EQ(points(h.lines(), "Control ch1 11"), (Points{{0, 100}, {4, 95}, {5, 90}}));
}

}  // namespace
}  // namespace orvo::test
