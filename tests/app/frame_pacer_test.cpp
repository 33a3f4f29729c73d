// Pacing of the main loop driven by a fake clock: catch-up steps, the
// per-window cap, the lag cap and the counter's wrap-around. The per-second
// report and steady frames are pinned by the main loop's test and the replays.
#include <gtest/gtest.h>

#include <cstdint>

#include "frame_pacer.h"

namespace {

// Runs one frame at `now` the way the main loop does; returns the steps run.
int runFrame(CFramePacer& p, uint32_t now, bool* crossed = nullptr) {
  EXPECT_EQ(p.msUntilDue(now), 0u) << now;
  const bool c = p.beginFrame(now);
  if (crossed) *crossed = c;
  int ran = 0;
  for (int planned = p.plannedSteps(); ran < planned && p.takeStep(ran);) ++ran;
  return ran;
}

TEST(FramePacer, OneFrameMakesUpWhatLagItMayAndNoMore) {
  struct Case {
    const char* what;
    uint32_t start;
    float lag, stepsInWindow;
    uint32_t now;
    int steps;
    float lagAfter;
  } cases[] = {
      {"on time", 1000, 0, 0, 1016, 1, 0},
      {"17 ms late", 0, 0, 0, 33, 2, 1},
      {"on time across the counter's wrap", 0xFFFFFFFFu - 5, 0, 0, 10, 1, 0},
      {"lag of exactly one period", 0, 16, 0, 16, 1, 16},
      {"40 ms late", 0, 0, 0, 56, 3, 8},
      {"no catch-up with 60 steps in the window", 0, 100, 60, 16, 1, 100},
      {"a second late: 62 periods at once", 0, 0, 0, 1016, 63, 8},
      {"an hour's suspend counts as a second", 0, 0, 0, 16 + 3600000, 63, 8},
      {"a clock stepped back counts as a second", 100000, 0, 0, 95000, 63, 8},
      {"owed lag beyond the window's cap", 0, 1000, 10, 16, 53, 168},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CFramePacer p;
    p.start(c.start);
    p.lag = c.lag;
    p.stepCounter = c.stepsInWindow;
    EXPECT_EQ(runFrame(p, c.now), c.steps);
    EXPECT_FLOAT_EQ(p.lag, c.lagAfter);
  }
}

}  // namespace
