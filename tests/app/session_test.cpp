// Around the matches, through the whole loop with a fake clock: a new match
// after a win starts from exactly the world of a fresh start, and a pause
// (P, the window losing its focus, the help) freezes everything.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app.h"
#include "game/game_manager.h"
#include "game/game_scene.h"
#include "globals.h"
#include "platform/clock.h"
#include "render/sprite.h"
#include "support/scripted_game.h"

namespace {

using testing_support::GameScript;
using testing_support::keyEvent;

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
  s.events = {{kMatchMs, keyEvent(true, SDLK_RETURN)}, {2 * kMatchMs, keyEvent(true, SDLK_RETURN)}};
  s.hashAt = {kMatchMs + kSettleMs, 2 * kMatchMs + kSettleMs};
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
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
    EXPECT_EQ(testing_support::runGame(fresh).checkpointHashes, std::vector<uint64_t>{r.checkpointHashes[m - 1]})
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
    auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
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

}  // namespace
