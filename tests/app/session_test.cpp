// Around the matches, through the whole loop with a fake clock: a new match
// after a win starts from exactly the world of a fresh start, a pause freezes
// everything (losing the window's focus too), and the help pauses as well.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "app.h"
#include "game/game_manager.h"
#include "game/game_scene.h"
#include "platform/clock.h"
#include "globals.h"
#include "render/sprite.h"
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

TimedEvent key(uint32_t tick, SDLKey k) { return at(tick, testing_support::keyEvent(true, k)); }

// Targets a few cells above the start, so a match is won within a minute.
const char* kQuickMatch =
    "<Settings><P1_InitValue>5000</P1_InitValue><P2_InitValue>5000</P2_InitValue>"
    "<P1_TargetValue>5010</P1_TargetValue><P2_TargetValue>5010</P2_TargetValue></Settings>";

std::vector<std::string> linesStarting(const std::string& text, const std::string& prefix) {
  std::istringstream in(text);
  std::vector<std::string> found;
  std::string line;
  while (std::getline(in, line))
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  return found;
}

constexpr uint32_t kMatchMs = 90000;
constexpr uint32_t kSettleMs = 50 * 16;

TEST(Session, EveryNewMatchStartsFromTheWorldOfAFreshStart) {
  GameScript s;
  s.seed = 77;
  s.settingsXml = kQuickMatch;
  s.durationMs = 3 * kMatchMs;
  s.events = {key(kMatchMs, SDLK_RETURN), key(2 * kMatchMs, SDLK_RETURN)};
  s.hashAt = {kMatchMs + kSettleMs, 2 * kMatchMs + kSettleMs};
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    static int reported = -1;
    CGameManager* game = app.game();
    if (game->gameOver && reported < app.session().matchNumber()) {
      reported = app.session().matchNumber();
      std::printf("over %d %u %s\n", reported, ms, app.session().resultOverlay().shown() ? "shown" : "missing");
    }
    if (ms % kMatchMs == 16) {
      std::printf("values %g %g %d sprites %zu parts %zu\n", game->player1Value, game->player2Value,
                  game->currentPlayer, spriteList().size(), g_partList.size());
    }
  });
  ASSERT_TRUE(r.started) << r.output;
  const auto overs = linesStarting(r.output, "over ");
  ASSERT_EQ(overs.size(), 3u) << r.output;  // each match was won, before its Enter
  for (int m = 0; m < 3; ++m) {
    int match = -1;
    unsigned when = 0;
    char shown[16] = {};
    ASSERT_EQ(std::sscanf(overs[m].c_str(), "over %d %u %15s", &match, &when, shown), 3);
    EXPECT_EQ(match, m);
    EXPECT_LT(when, (m + 1) * kMatchMs);
    EXPECT_STREQ(shown, "shown");
  }
  // At the start and right after each Enter: the start values, and the
  // first turn is player 1's.
  const auto values = linesStarting(r.output, "values ");
  ASSERT_EQ(values.size(), 3u);
  for (const std::string& line : values) EXPECT_EQ(line.rfind("values 5000 5000 1 ", 0), 0u) << line;
  // Nothing a match made outlives it: the second and third matches begin
  // with as many sprites and parts (the first has not yet made the result's).
  EXPECT_EQ(values[1], values[2]);

  ASSERT_EQ(r.checkpointHashes.size(), 2u);
  for (int m = 1; m <= 2; ++m) {
    GameScript fresh;
    fresh.seed = 77 + m;
    fresh.settingsXml = kQuickMatch;
    fresh.durationMs = kSettleMs;
    fresh.hashAt = {kSettleMs};
    auto f = testing_support::runGame(fresh);
    ASSERT_EQ(f.checkpointHashes.size(), 1u);
    EXPECT_EQ(r.checkpointHashes[m - 1], f.checkpointHashes[0]) << "match " << m;
  }
}

SDL_Event focusLost() {
  SDL_Event e{};
  e.type = SDL_ACTIVEEVENT;
  e.active.gain = 0;
  e.active.state = SDL_APPINPUTFOCUS;
  return e;
}

// Paused by P (or by the window losing focus, or by the help), the world
// stands still and the turn keeps the time it had left.
TEST(Session, APauseFreezesTheWorldAndTheTurnCountdown) {
  struct Case {
    const char* name;
    SDL_Event pause;
    SDLKey resume;
  };
  const Case cases[] = {
      {"P", testing_support::keyEvent(true, SDLK_p), SDLK_p},
      {"focus", focusLost(), SDLK_p},
      {"help", testing_support::keyEvent(true, SDLK_F1), SDLK_F1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    GameScript s;
    s.seed = 5;
    s.durationMs = 30000;
    // Paused in the middle of a turn, while player 1 holds W.
    s.events = {key(9500, SDLK_w), at(9984, c.pause), key(20000, c.resume),
                at(25000, testing_support::keyEvent(false, SDLK_w))};
    s.hashAt = {10000, 19984};
    auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
      if (ms == 9984 || ms == 20016 || ms == 15008) {
        std::printf("at %u timer %.4f x %.3f paused %d clock %u\n", ms, app.scene()->timerDown->scaleX,
                    app.game()->controller1.position.x, app.session().paused() ? 1 : 0, platform::gameTicks());
      }
    });
    ASSERT_TRUE(r.started) << r.output;
    ASSERT_EQ(r.checkpointHashes.size(), 2u);
    EXPECT_EQ(r.checkpointHashes[0], r.checkpointHashes[1]);  // no blood, drop or part moved
    float timerBefore = 0, timerAfter = 0, xBefore = 0, xPaused = 0, xAfter = 0;
    int pausedMid = 0;
    unsigned clockBefore = 0, clockMid = 0, clockAfter = 0;
    ASSERT_EQ(std::sscanf(r.output.substr(r.output.find("at 9984")).c_str(), "at 9984 timer %f x %f paused %*d clock %u",
                          &timerBefore, &xBefore, &clockBefore), 3) << r.output;
    ASSERT_EQ(std::sscanf(r.output.substr(r.output.find("at 15008")).c_str(), "at 15008 timer %*f x %f paused %d clock %u",
                          &xPaused, &pausedMid, &clockMid), 3);
    ASSERT_EQ(std::sscanf(r.output.substr(r.output.find("at 20016")).c_str(), "at 20016 timer %f x %f paused %*d clock %u",
                          &timerAfter, &xAfter, &clockAfter), 3);
    EXPECT_EQ(pausedMid, 1);
    EXPECT_EQ(clockMid, clockBefore);  // the game clock stopped where the pause came
    EXPECT_EQ(clockAfter, clockBefore + 16);
    EXPECT_NEAR(timerAfter, timerBefore, 0.01f);
    EXPECT_FLOAT_EQ(xPaused, xBefore);
    EXPECT_GT(xAfter, xPaused);  // W was held all along: it drives on after the pause
  }
}

}  // namespace
