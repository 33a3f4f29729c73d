// The whole main loop, headless with a fake clock and scripted events: the
// per-second report, the scene's sway and pulse targets, the loop's end,
// sleeping waits and slow machines.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "app.h"
#include "game/game_manager.h"
#include "game/game_scene.h"
#include "support/scripted_game.h"

namespace {

using testing_support::GameScript;
using testing_support::keyEvent;
using testing_support::runGame;

int count(const std::string& output, const std::string& text) {
  int n = 0;
  for (size_t at = output.find(text); at != std::string::npos; at = output.find(text, at + 1)) ++n;
  return n;
}

TEST(MainLoop, DebugReportsOnceASecondAsTheSceneSwaysAndPulses) {
  GameScript s;
  s.durationMs = 3100;
  s.appSettingsXml = "<Settings><Debug>1</Debug><SpriteDevice>1</SpriteDevice></Settings>";
  auto r = runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms == 992 || ms == 1008 || ms == 2016 || ms == 3024)
      std::printf("scene %u %g %g\n", ms, app.scene()->swayTarget, app.scene()->pulseTarget);
  });
  ASSERT_TRUE(r.started) << r.output;
  // The frame crossing the mark counts in its report; its step in the next.
  const std::pair<const char*, int> lines[] = {
      {"fps: ", 3}, {"fps: 63, 62\n", 1}, {"fps: 63, 63\n", 2}, {"\n5000, 5000\n", 3}, {"scene 992 0.1 1\n", 1},
      {"scene 1008 -0.1 1.01\n", 1}, {"scene 2016 0.1 1.01\n", 1}, {"scene 3024 -0.1 1.01\n", 1}};
  for (const auto& [line, times] : lines) EXPECT_EQ(count(r.output, line), times) << line << r.output;
}

// Escape ends the loop after the rest of the queue and the frame; so does
// closing the window. Without Debug nothing is printed.
TEST(MainLoop, EscapeOrClosingTheWindowEndsTheLoopAfterTheFrame) {
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  GameScript escape, close;
  escape.durationMs = close.durationMs = 5000;
  escape.events = {{400, keyEvent(true, SDLK_ESCAPE)}, {400, keyEvent(true, SDLK_w)}};
  close.events = {{160, quit}};
  auto hook = [](CApplication& app, uint32_t ms) {
    if (!app.running()) std::printf("ended %u speed %g\n", ms, app.game()->controller1.speed);
  };
  auto e = runGame(escape, hook), c = runGame(close, hook);
  ASSERT_TRUE(e.started && c.started) << e.output << c.output;
  EXPECT_EQ(count(e.output, "ended 400 speed 1.125\n"), 1) << e.output;
  EXPECT_EQ(e.frames, 25);
  EXPECT_EQ(c.frames, 10);
  EXPECT_EQ(c.steps, c.frames);
  EXPECT_EQ(count(c.output, "fps: "), 0);
}

TEST(MainLoop, WaitingForTheNextFrameSleepsAndOnlySpinsTheLastMillisecond) {
  GameScript s;
  s.durationMs = 1600;
  s.throughPoll = true;
  auto r = runGame(s, [](CApplication&, uint32_t ms) {
    if (ms % 16 != 0) std::printf("late frame %u\n", ms);
  });
  ASSERT_TRUE(r.started);
  EXPECT_EQ(count(r.output, "late frame"), 0) << r.output;
  // The run ends just as the hundredth frame falls due.
  EXPECT_EQ(r.frames, 99);
  EXPECT_EQ(r.steps, 99);
  // Of every 16 ms, 15 are slept away one at a time and the last is spun.
  EXPECT_EQ(r.sleeps, 15 * 100);
  EXPECT_EQ(r.spins, 100);
}

// How far player 1's paddle drives in 800 ms of W held, frames `frameMs` apart.
float paddleTravel(uint32_t frameMs) {
  GameScript s;
  s.frameMs = frameMs;
  s.durationMs = 2000;
  s.events = {{1000, keyEvent(true, SDLK_w)}};
  auto r = runGame(s, [](CApplication& app, uint32_t ms) {
    static float startX = -1;
    const float x = app.game()->controller1.position.x;
    if (startX < 0 && ms >= 1000) startX = x;
    if (ms >= 1800 && startX >= 0) {
      std::printf("travel %g\n", x - startX);
      startX = 1e9f;
    }
  });
  EXPECT_TRUE(r.started) << r.output;
  const size_t at = r.output.find("travel ");
  EXPECT_NE(at, std::string::npos) << r.output;
  return at == std::string::npos ? 0 : std::strtof(r.output.c_str() + at + 7, nullptr);
}

// A machine that manages 20 frames a second runs three steps a frame; the
// game's own updates must keep pace with them, or a paddle crawls.
TEST(MainLoop, SlowFramesMoveAPaddleAsFarAsFastOnes) {
  const float fast = paddleTravel(16), slow = paddleTravel(50);
  EXPECT_GT(fast, 100);  // about 200 pixels a second at top speed
  EXPECT_NEAR(slow, fast, fast * 0.08f);
}

}  // namespace
