// Fixed-step pacing of the main loop; see frame_pacer.h.
#include "core/frame_pacer.h"

#include <algorithm>

void CFramePacer::start(uint32_t now) {
  lastSecondMark = now;
  lastFrameTick = now;
  frameCounter = 0;
  stepCounter = 0;
  lag = 0;
}

uint32_t CFramePacer::msUntilDue(uint32_t now) const {
  // Unsigned differences keep pacing right across the counter's wrap-around.
  uint32_t elapsed = now - lastFrameTick;
  return elapsed >= kFrameMs ? 0 : kFrameMs - elapsed;
}

bool CFramePacer::beginFrame(uint32_t now) {
  uint32_t late = now - lastFrameTick - kFrameMs;
  lag = std::min(lag + static_cast<float>(late), kMaxLag);
  lastFrameTick = now;
  frameCounter += 1;
  if (now - lastSecondMark < kReportWindowMs) return false;
  lastSecondMark = now;
  reportedFrames = frameCounter;
  reportedSteps = stepCounter;
  frameCounter = 0;
  stepCounter = 0;
  return true;
}

int CFramePacer::plannedSteps() const {
  if (lag > static_cast<float>(kFrameMs) && stepCounter < kCatchUpBelow) {
    // One plus the whole 16 ms periods in the lag, truncated towards zero.
    return 1 - static_cast<int>(lag * -0.0625f);
  }
  return 1;
}

bool CFramePacer::takeStep(int index) {
  if (stepCounter >= kStepCap) return false;
  stepCounter += 1;
  if (index > 0) lag -= static_cast<float>(kFrameMs);
  return true;
}
