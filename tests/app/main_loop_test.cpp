// The whole main loop, headless with a fake clock and scripted events: the
// loop's end, sleeping waits, slow machines, the sound as a player meets it
// (SDL's dummy driver stands in for the card), a new match after a win that
// starts from exactly the world of a fresh start, and a pause (P, the window
// losing its focus, the help) that freezes everything.
#include <gtest/gtest.h>
#include <SDL/SDL_mixer.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/app.h"
#include "game/game_manager.h"
#include "game/game_scene.h"
#include "game/game_part.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "render/sprite.h"
#include "support/scripted_game.h"
#include "support/temp_folder.h"

namespace {

using testing_support::GameScript;
using testing_support::keyEvent;
using testing_support::runGame;

const auto count = testing_support::occurrences;

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

// Targets a few cells above the start, so a match is won within a minute.
const char* kQuickMatch =
    "<Settings><P1_InitValue>5000</P1_InitValue><P2_InitValue>5000</P2_InitValue>"
    "<P1_TargetValue>5010</P1_TargetValue><P2_TargetValue>5010</P2_TargetValue></Settings>";
constexpr uint32_t kMatchMs = 90000, kSettleMs = 50 * 16;

// The text from `from` to the end of its line.
std::string lineAt(const std::string& text, const std::string& from) {
  const size_t at = text.find(from);
  return at == std::string::npos ? "" : text.substr(at, text.find('\n', at) - at);
}

TEST(Session, EveryNewMatchStartsFromTheWorldOfAFreshStart) {
  GameScript s;
  s.seed = 77;
  s.settingsXml = kQuickMatch;
  s.durationMs = 3 * kMatchMs;
  // Enter during a match does nothing; after a win it starts the next one.
  s.events = {{2000, keyEvent(true, SDLK_RETURN)}, {kMatchMs, keyEvent(true, SDLK_RETURN)},
              {2 * kMatchMs, keyEvent(true, SDLK_RETURN)}};
  s.hashAt = {kMatchMs + kSettleMs, 2 * kMatchMs + kSettleMs};
  auto r = runGame(s, [](CApplication& app, uint32_t ms) {
    static int reported = -1;
    const CGameManager* game = app.game();
    if (game->gameOver && reported < app.session().matchNumber()) {
      reported = app.session().matchNumber();
      std::printf("over %d %u %d\n", reported, ms / kMatchMs, app.session().resultOverlay().shown() ? 1 : 0);
    }
    if (ms % kMatchMs == 16) {
      std::printf("start %u: %g %g %d sprites %zu parts %zu\n", ms / kMatchMs, game->player1Value,
                  game->player2Value, game->currentPlayer, spriteList().size(), g_partList.size());
    }
  });
  ASSERT_TRUE(r.started) << r.output;
  // Each match is won before its Enter, and its result shows.
  for (const char* line : {"over 0 0 1", "over 1 1 1", "over 2 2 1"}) EXPECT_EQ(lineAt(r.output, line), line);
  // Each begins with the start values and player 1's turn; nothing a match
  // made outlives it (the first has not yet made the result's sprites).
  for (const char* start : {"start 0: ", "start 1: ", "start 2: "}) {
    EXPECT_EQ(lineAt(r.output, start).rfind(std::string(start) + "5000 5000 1 ", 0), 0u) << r.output;
  }
  EXPECT_EQ(lineAt(r.output, "start 1: ").substr(9), lineAt(r.output, "start 2: ").substr(9));
  ASSERT_EQ(r.checkpointHashes.size(), 2u);
  for (int m = 1; m <= 2; ++m) {
    GameScript fresh;
    fresh.seed = 77 + m;
    fresh.settingsXml = kQuickMatch;
    fresh.durationMs = kSettleMs;
    fresh.hashAt = {kSettleMs};
    EXPECT_EQ(runGame(fresh).checkpointHashes, std::vector<uint64_t>{r.checkpointHashes[m - 1]})
        << "match " << m;
  }
}

// Paused while player 1 holds W, the world stands still, the game clock
// stops and the turn keeps the time it had left; W drives on afterwards.
TEST(Session, APauseFreezesTheWorldAndTheTurnCountdown) {
  SDL_Event focusLost{};
  focusLost.type = SDL_ACTIVEEVENT;
  focusLost.active.state = SDL_APPINPUTFOCUS;
  const struct {
    const char* name;
    SDL_Event pause;
    SDLKey resume;
  } cases[] = {{"P", keyEvent(true, SDLK_p), SDLK_p}, {"focus", focusLost, SDLK_p}, {"help", keyEvent(true, SDLK_F1), SDLK_F1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GameScript s;
    s.seed = 5;
    s.durationMs = 30000;
    s.events = {{9500, keyEvent(true, SDLK_w)}, {9984, c.pause}, {20000, keyEvent(true, c.resume)},
                {25000, keyEvent(false, SDLK_w)}};
    s.hashAt = {10000, 19984};
    auto r = runGame(s, [](CApplication& app, uint32_t ms) {
      if (ms == 9984 || ms == 15008 || ms == 20016) {
        std::printf("at %u %.4f %.3f %d %u\n", ms, app.scene()->timerDown->scaleX, app.game()->controller1.position.x,
                    app.session().paused() ? 1 : 0, platform::gameTicks());
      }
    });
    ASSERT_TRUE(r.started) << r.output;
    ASSERT_EQ(r.checkpointHashes.size(), 2u);
    EXPECT_EQ(r.checkpointHashes[0], r.checkpointHashes[1]);  // no blood, drop or part moved
    float timer[3] = {}, x[3] = {};
    int paused[3] = {};
    unsigned clock[3] = {};
    const char* when[3] = {"at 9984 ", "at 15008 ", "at 20016 "};
    for (int i = 0; i < 3; ++i) {
      ASSERT_EQ(std::sscanf(lineAt(r.output, when[i]).c_str(), "at %*u %f %f %d %u", &timer[i], &x[i], &paused[i], &clock[i]), 4)
          << r.output;
    }
    EXPECT_EQ(paused[1], 1);
    EXPECT_EQ(clock[1], clock[0]);
    EXPECT_EQ(clock[2], clock[0] + 16);
    EXPECT_NEAR(timer[2], timer[0], 0.01f);
    EXPECT_FLOAT_EQ(x[1], x[0]);
    EXPECT_GT(x[2], x[1]);
  }
}

// The turn banner is drawn over everything; while the pause or the help
// covers the game it hangs with the stopped clock, so it must not be drawn
// over the panel's text, and it comes back, with its name, afterwards.
TEST(Session, APanelHidesTheTurnBannerUntilItCloses) {
  const struct {
    const char* name;
    SDLKey key;
  } cases[] = {{"P", SDLK_p}, {"help", SDLK_F1}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    GameScript s;
    s.seed = 3;
    s.durationMs = 1600;
    s.events = {{500, keyEvent(true, c.key)}, {1000, keyEvent(true, c.key)}};
    auto r = runGame(s, [](CApplication& app, uint32_t ms) {
      if (ms != 496 && ms != 752 && ms != 1504) return;
      const CSprite* banner = app.scene()->banner;
      std::printf("at %u banner %s name %s\n", ms, !banner ? "none" : banner->hidden ? "hidden" : "shown",
                  app.scene()->bannerName->hidden() ? "hidden" : "shown");
    });
    ASSERT_TRUE(r.started) << r.output;
    EXPECT_EQ(lineAt(r.output, "at 496 "), "at 496 banner shown name shown") << r.output;
    EXPECT_EQ(lineAt(r.output, "at 752 "), "at 752 banner hidden name hidden") << r.output;
    EXPECT_EQ(lineAt(r.output, "at 1504 "), "at 1504 banner shown name shown") << r.output;
  }
}

}  // namespace
