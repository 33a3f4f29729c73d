// Fixed-step pacing of the main loop: when a frame is due, how many 16 ms
// simulation steps it runs, the catch-up lag and the one-second report window.
#pragma once

#include <cstdint>

class CFramePacer {
 public:
  static constexpr uint32_t kFrameMs = 16;
  static constexpr uint32_t kReportWindowMs = 1000;
  static constexpr float kStepCap = 63;
  static constexpr float kCatchUpBelow = 60;
  // A suspended laptop or a stepped clock must not leave weeks of lag to make
  // up; longer stalls behave like a one-second stall.
  static constexpr float kMaxLag = 1000;

  void start(uint32_t now);

  // Milliseconds until the next frame is due; 0 when it is due now.
  uint32_t msUntilDue(uint32_t now) const;

  // Starts a frame at `now` (which must be due). Returns true when the frame
  // crosses the one-second mark; reportedFrames/reportedSteps then hold the
  // finished window's counts.
  bool beginFrame(uint32_t now);

  // Steps the frame asks for, before the cap of the report window.
  int plannedSteps() const;

  // Called before each step of the frame (index from 0); false when the
  // window's cap is reached and no further step may run this frame.
  bool takeStep(int index);

  uint32_t lastFrameTick = 0;
  uint32_t lastSecondMark = 0;
  float frameCounter = 0;
  float stepCounter = 0;
  float lag = 0;
  float reportedFrames = 0;
  float reportedSteps = 0;
};
