// The whole main loop, headless with a fake clock and scripted events: the
// per-second report, the scene's sway and pulse targets, Escape ending the
// loop after the frame, and mouse positions of a resized window.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>

#include "app.h"
#include "game/game_manager.h"
#include "game/game_scene.h"
#include "support/scripted_game.h"

namespace {

using testing_support::GameScript;
using testing_support::TimedEvent;

TimedEvent at(uint32_t tick, SDL_Event e) {
  TimedEvent t;
  t.tick = tick;
  t.event = e;
  return t;
}

int countLines(const std::string& text, const std::string& prefix) {
  std::istringstream in(text);
  std::string line;
  int n = 0;
  while (std::getline(in, line))
    if (line.rfind(prefix, 0) == 0) ++n;
  return n;
}

TEST(MainLoop, DebugPrintsFramesStepsAndValuesOnceASecond) {
  GameScript s;
  s.durationMs = 3100;
  s.appSettingsXml = "<Settings><Debug>1</Debug><SpriteDevice>1</SpriteDevice></Settings>";
  auto r = testing_support::runGame(s);
  ASSERT_TRUE(r.started) << r.output;
  EXPECT_EQ(countLines(r.output, "fps: "), 3);
  // The frame crossing the mark counts in its report; its step in the next.
  EXPECT_NE(r.output.find("fps: 63, 62\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("fps: 63, 63\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("\n5000, 5000\n"), std::string::npos);
}

TEST(MainLoop, WithoutDebugTheLoopPrintsNothing) {
  GameScript s;
  s.durationMs = 2100;
  s.appSettingsXml = "<Settings><Debug>0</Debug></Settings>";
  auto r = testing_support::runGame(s);
  ASSERT_TRUE(r.started);
  EXPECT_EQ(countLines(r.output, "fps: "), 0);
  EXPECT_EQ(r.steps, r.frames);  // one step per 16 ms frame
}

TEST(MainLoop, SwayTargetAlternatesEverySecondAndPulseTargetRisesAtTheFirstMark) {
  GameScript s;
  s.durationMs = 3100;
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms == 992 || ms == 1008 || ms == 2016 || ms == 3024)
      std::printf("scene %u %g %g\n", ms, app.scene()->swayTarget, app.scene()->pulseTarget);
  });
  ASSERT_TRUE(r.started);
  EXPECT_NE(r.output.find("scene 992 0.1 1\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("scene 1008 -0.1 1.01\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("scene 2016 0.1 1.01\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("scene 3024 -0.1 1.01\n"), std::string::npos) << r.output;
}

TEST(MainLoop, EscapeEndsTheLoopAfterTheRestOfTheQueueAndTheFrame) {
  GameScript s;
  s.durationMs = 5000;
  s.events.push_back(at(400, testing_support::keyEvent(true, SDLK_ESCAPE)));
  s.events.push_back(at(400, testing_support::keyEvent(true, SDLK_w)));
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (!app.running()) std::printf("ended %u speed %g\n", ms, app.game()->controller1.speed);
  });
  ASSERT_TRUE(r.started);
  EXPECT_NE(r.output.find("ended 400 speed 1.125\n"), std::string::npos) << r.output;
  EXPECT_EQ(r.frames, 25);
}

TEST(MainLoop, WindowCloseEndsTheLoopToo) {
  GameScript s;
  s.durationMs = 5000;
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  s.events.push_back(at(160, quit));
  auto r = testing_support::runGame(s);
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.frames, 10);
}

TEST(MainLoop, MousePositionsOfAResizedWindowMapIntoTheDrawingSpace) {
  GameScript s;
  s.durationMs = 400;
  SDL_Event resize{};
  resize.type = SDL_VIDEORESIZE;
  resize.resize.w = 1024;
  resize.resize.h = 512;
  s.events.push_back(at(16, resize));
  // The 512 x 512 picture sits centred with bars of 256 pixels at the sides.
  s.events.push_back(at(100, testing_support::motionEvent(256 + 100, 50)));
  s.events.push_back(at(200, testing_support::motionEvent(10, 10)));
  s.events.push_back(at(300, testing_support::motionEvent(1000, 600)));
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms == 112 || ms == 208 || ms == 304) std::printf("mouse %u %g %g\n", ms, app.drag().mouse.x, app.drag().mouse.y);
  });
  ASSERT_TRUE(r.started);
  EXPECT_NE(r.output.find("mouse 112 100 50\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("mouse 208 0 10\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("mouse 304 511 511\n"), std::string::npos) << r.output;
}

}  // namespace

namespace {

TEST(MainLoop, WaitingForTheNextFrameSleepsAndOnlySpinsTheLastMillisecond) {
  GameScript s;
  s.durationMs = 1600;
  s.throughPoll = true;
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms % 16 != 0) std::printf("late frame %u\n", ms);
    (void)app;
  });
  ASSERT_TRUE(r.started);
  EXPECT_EQ(r.output.find("late frame"), std::string::npos) << r.output;
  // The run ends just as the hundredth frame falls due.
  EXPECT_EQ(r.frames, 99);
  EXPECT_EQ(r.steps, 99);
  // Of every 16 ms, 15 are slept away one at a time and the last is spun.
  EXPECT_EQ(r.sleeps, 15 * 100);
  EXPECT_EQ(r.spins, 100);
}

}  // namespace

namespace {

// How far player 1's paddle drives in `driveMs` of W held, with frames
// `frameMs` apart; the game prints the two positions from inside the run.
float paddleTravel(uint32_t frameMs, uint32_t driveMs) {
  GameScript s;
  s.frameMs = frameMs;
  s.durationMs = 1000 + driveMs + 200;
  s.events.push_back(at(1000, testing_support::keyEvent(true, SDLK_w)));
  auto r = testing_support::runGame(s, [driveMs](CApplication& app, uint32_t ms) {
    static float startX = -1;
    float x = app.game()->controller1.position.x;
    if (startX < 0 && ms >= 1000) startX = x;
    if (ms >= 1000 + driveMs && startX >= 0) {
      std::printf("travel %g\n", x - startX);
      startX = 1e9f;
    }
  });
  EXPECT_TRUE(r.started) << r.output;
  size_t at = r.output.find("travel ");
  EXPECT_NE(at, std::string::npos) << r.output;
  return at == std::string::npos ? 0 : std::strtof(r.output.c_str() + at + 7, nullptr);
}

}  // namespace

// A machine that manages 20 frames a second runs three steps a frame; the
// game's own updates must keep pace with them, or a paddle crawls.
TEST(MainLoop, SlowFramesMoveAPaddleAsFarAsFastOnes) {
  const float fast = paddleTravel(16, 800);
  const float slow = paddleTravel(50, 800);
  EXPECT_GT(fast, 100);  // about 200 pixels a second at top speed
  EXPECT_NEAR(slow, fast, fast * 0.08f);
}
