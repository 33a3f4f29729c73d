// The whole main loop, headless with a fake clock and scripted events: the
// loop's end, sleeping waits, slow machines, and the sound as a player meets
// it (SDL's dummy driver stands in for the card).
#include <gtest/gtest.h>
#include <SDL/SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "app.h"
#include "game/game_manager.h"
#include "platform/audio.h"
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

// The loudest sample of everything the mixer is playing.
int loudestPlaying() {
  int loudest = 0;
  for (int ch = 0; ch < Mix_AllocateChannels(-1); ++ch) {
    const Mix_Chunk* c = Mix_Playing(ch) ? Mix_GetChunk(ch) : nullptr;
    for (Uint32 i = 0; c && i + 1 < c->alen; i += 2) {
      int16_t v;
      std::memcpy(&v, c->abuf + i, 2);
      loudest = std::max(loudest, std::abs(int(v)));
    }
  }
  return loudest;
}

TEST(SoundInGame, TheLoopIsHeardMIsRememberedAndNoDeviceNeverStopsTheGame) {
  for (const char* driver : {"dummy", "nonesuch"}) {
    SCOPED_TRACE(driver);
    setenv("SDL_AUDIODRIVER", driver, 1);
    GameScript s;
    s.durationMs = 3000;
    s.events = {{2000, keyEvent(true, SDLK_m)}};
    auto r = runGame(s, [](CApplication& app, uint32_t ms) {
      if (ms == 1504) std::printf("loud %d\n", loudestPlaying() > 300);
      if (ms == 2512) std::printf("muted %d %d\n", app.session().options().muted, audio::muted());
    });
    unsetenv("SDL_AUDIODRIVER");
    ASSERT_TRUE(r.started && !r.crashed) << r.output;
    EXPECT_EQ(r.frames, 188);
    EXPECT_NE(r.output.find(std::string("loud ") + (driver[0] == 'd' ? "1" : "0")), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("muted 1 1\n"), std::string::npos) << r.output;
  }
}

}  // namespace
