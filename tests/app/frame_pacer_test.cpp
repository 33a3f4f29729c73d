// Pacing of the main loop driven by a fake clock: frame timing, catch-up
// steps, the per-window cap, the lag cap and the counter's wrap-around.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <vector>

#include "frame_pacer.h"

namespace {

// Runs one frame at `now` the way the main loop does; returns steps run.
int runFrame(CFramePacer& p, uint32_t now, bool* crossed = nullptr) {
  EXPECT_EQ(p.msUntilDue(now), 0u);
  bool c = p.beginFrame(now);
  if (crossed) *crossed = c;
  int planned = p.plannedSteps();
  int ran = 0;
  for (int i = 0; i < planned; ++i) {
    if (!p.takeStep(i)) break;
    ++ran;
  }
  return ran;
}

TEST(FramePacer, FramesExactly16msApartRunOneStepAndKeepNoLag) {
  CFramePacer p;
  p.start(1000);
  for (uint32_t t = 1016; t < 1016 + 16 * 40; t += 16) {
    EXPECT_EQ(runFrame(p, t), 1);
    EXPECT_FLOAT_EQ(p.lag, 0);
  }
}

TEST(FramePacer, NotDueBefore16ms) {
  CFramePacer p;
  p.start(500);
  EXPECT_EQ(p.msUntilDue(500), 16u);
  EXPECT_EQ(p.msUntilDue(515), 1u);
  EXPECT_EQ(p.msUntilDue(516), 0u);
}

TEST(FramePacer, Frames17msApartCatchUpWhenLagFirstExceeds16) {
  CFramePacer p;
  p.start(0);
  std::vector<int> steps;
  uint32_t t = 0;
  for (int i = 0; i < 18; ++i) {
    t += 17;
    steps.push_back(runFrame(p, t));
  }
  // Lag grows 1 per frame; frame 16 reaches exactly 16 (still one step), frame
  // 17 exceeds it, runs two steps and drops the lag by 16.
  for (int i = 0; i < 16; ++i) EXPECT_EQ(steps[i], 1) << "frame " << i + 1;
  EXPECT_EQ(steps[16], 2);
  EXPECT_FLOAT_EQ(p.lag, 2);  // 17 - 16 after the catch-up frame, +1 next frame
  EXPECT_EQ(steps[17], 1);
}

TEST(FramePacer, LagOfExactly16GivesOneStepAndLag40GivesThree) {
  CFramePacer p;
  p.start(0);
  p.lag = 16;
  p.beginFrame(16);
  EXPECT_EQ(p.plannedSteps(), 1);

  CFramePacer q;
  q.start(0);
  EXPECT_EQ(runFrame(q, 16 + 40), 3);
  EXPECT_FLOAT_EQ(q.lag, 8);
}

TEST(FramePacer, CatchUpOnlyWhileFewerThan60StepsInTheWindow) {
  CFramePacer p;
  p.start(0);
  p.stepCounter = 60;
  p.lag = 100;
  p.beginFrame(16);
  EXPECT_EQ(p.plannedSteps(), 1);
}

TEST(FramePacer, AfterSixtyThreeStepsFramesRunNoStepUntilTheNextWindow) {
  CFramePacer p;
  p.start(0);
  // A second of lag owed from the window before: the first frame makes up 62
  // periods of it at once and fills the window's cap.
  p.lag = 1000;
  uint32_t t = 16;
  int total = runFrame(p, t);
  EXPECT_EQ(total, 63);
  int idleFrames = 0;
  for (t += 16; t - p.lastSecondMark < 1000; t += 16) {
    int ran = runFrame(p, t);
    total += ran;
    if (ran == 0) ++idleFrames;
  }
  EXPECT_EQ(total, 63);
  EXPECT_EQ(idleFrames, 61);  // frames still come, with no step
  bool crossed = false;
  EXPECT_GE(runFrame(p, t, &crossed), 1);
  EXPECT_TRUE(crossed);
  EXPECT_FLOAT_EQ(p.reportedSteps, 63);
}

TEST(FramePacer, FrameCrossingTheSecondMarkCountsInItsReportAndItsStepsInTheNext) {
  CFramePacer p;
  p.start(0);
  bool crossed = false;
  int frames = 0;
  uint32_t t = 0;
  while (!crossed) {
    t += 16;
    runFrame(p, t, &crossed);
    ++frames;
  }
  EXPECT_EQ(t, 1008u);
  EXPECT_FLOAT_EQ(p.reportedFrames, static_cast<float>(frames));
  EXPECT_FLOAT_EQ(p.reportedSteps, static_cast<float>(frames - 1));
  EXPECT_FLOAT_EQ(p.stepCounter, 1);  // the crossing frame's step opens the new window
  EXPECT_FLOAT_EQ(p.frameCounter, 0);
}

TEST(FramePacer, PacingContinuesAcrossTheMillisecondCounterWrap) {
  CFramePacer p;
  uint32_t t = 0xFFFFFFFFu - 20;
  p.start(t);
  for (int i = 0; i < 10; ++i) {
    EXPECT_EQ(p.msUntilDue(t + 15), 1u);
    t += 16;
    EXPECT_EQ(runFrame(p, t), 1);
    EXPECT_FLOAT_EQ(p.lag, 0);
  }
}

TEST(FramePacer, LongStallsAreCappedToOneSecondOfLag) {
  CFramePacer p;
  p.start(0);
  runFrame(p, 16);
  // A laptop suspend of an hour.
  uint32_t t = 16 + 3600u * 1000u;
  runFrame(p, t);
  EXPECT_LE(p.lag, 1000);
  // Within a few windows the lag is used up and frames are back to one step.
  for (int i = 0; i < 62 * 4; ++i) {
    t += 16;
    runFrame(p, t);
  }
  EXPECT_LE(p.lag, 16);
  EXPECT_EQ(runFrame(p, t + 16), 1);
}

TEST(FramePacer, ClockSteppingBackBehavesLikeAOneSecondStall) {
  CFramePacer p;
  p.start(100000);
  runFrame(p, 100016);
  // The clock jumps back 5 s: the unsigned difference is near 2^32.
  uint32_t t = 95000;
  EXPECT_EQ(p.msUntilDue(t), 0u);
  p.beginFrame(t);
  EXPECT_FLOAT_EQ(p.lag, 1000);
  // Stall of exactly one second is still made up in full.
  CFramePacer q;
  q.start(0);
  runFrame(q, 16 + 1000);
  EXPECT_FLOAT_EQ(q.lag, 8);  // 1000 of lag, 62 of its periods made up at once
}

}  // namespace
