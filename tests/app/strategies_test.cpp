// The scripted strategies do what defines them, through their hands alone:
// seeded headless runs of the shipped board, one strategy against another.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ai/computer_player.h"
#include "ai/strategies.h"
#include "app/app.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "sim/cell_grid.h"
#include "support/scripted_game.h"

namespace {

using namespace testing_support;

constexpr float kBlastRadius = 45.0f;  // pixels, as explode() reaches

float gap(Vec2 a, Vec2 b) { return std::sqrt(sqr(a.x - b.x) + sqr(a.y - b.y)); }

// What defines the strategy playing player 2, printed as an ACT line the
// first time it is seen (for idle: any input at all).
enum class Act {
  kInput,
  kOnOtherCollector,
  kUnderStream,          // its steered part parked between the throat and the ridge's top
  kLaidUnderStream,      // a part of its own laid there
  kBombOnOtherPart,
  kBombOnOtherPaddle,
  kLidGoneFromOwnCollector,  // the other steered part sat over its collector, then left it far behind
};

// Between the throat and the ridge's top (row 95), near the middle.
bool underStream(Vec2 grid) { return std::fabs(grid.x - 127.5f) < 14 && grid.y > 25 && grid.y < 90; }

struct Case {
  Strategy tested;    // player 2
  Strategy opponent;  // player 1
  Act act;
  uint32_t withinMs;  // game time watched: the act comes before it (idle: never)
  bool acts = true;
  bool bombReturnsPaddle = false;  // the house rule
};

FrameHook watch(const Case& c) {
  auto players = std::make_shared<std::vector<std::unique_ptr<CComputerPlayer>>>();
  players->push_back(std::make_unique<CComputerPlayer>(1, ComputerLevel::kHard, makeStrategyMind(c.opponent, 1)));
  players->push_back(std::make_unique<CComputerPlayer>(2, ComputerLevel::kHard, makeStrategyMind(c.tested, 2)));
  auto seen = std::make_shared<bool>(false);
  auto lidded = std::make_shared<bool>(false);
  // Who bought each part: a part laid in the arena no longer says.
  auto buyers = std::make_shared<std::map<int, int>>();
  const Act act = c.act;
  return [players, seen, lidded, buyers, act](CApplication& app, uint32_t ms) {
    CGameManager& game = *app.game();
    if (app.drag().part && app.drag().held) buyers->emplace(app.drag().part->id, app.drag().holder);
    std::vector<PlayerInput> inputs;
    for (auto& p : *players) {
      inputs.clear();
      p->step(game, app.drag(), inputs);
      for (const PlayerInput& in : inputs) applyPlayerInput(in, game, app.drag());
      if (p->player() == 2 && act == Act::kInput && !inputs.empty()) std::printf("ACT %u\n", ms);
    }
    if (*seen) return;
    bool now = false;
    if (act == Act::kOnOtherCollector) now = gap(screenToGrid(game.controller2.position), lidSpot(1)) < 8;
    if (act == Act::kUnderStream) now = underStream(screenToGrid(game.controller2.position));
    if (act == Act::kLidGoneFromOwnCollector) {
      const float fromLid = gap(screenToGrid(game.controller1.position), lidSpot(2));
      *lidded = *lidded || fromLid < 8;
      now = *lidded && fromLid > 60;
    }
    // Parts lying still on the board, bought by either player: the drop
    // just happened when the hand no longer holds them.
    auto buyer = [&](const CGamePart* p) {
      const auto found = buyers->find(p->id);
      return found == buyers->end() ? 0 : found->second;
    };
    for (const CGamePart* p : g_partList) {
      if (p->inShop || p->steered || p->placedTime == 0 || app.drag().part == p) continue;
      const Vec2 at = screenToGrid(p->screenCentre());
      if (act == Act::kLaidUnderStream && buyer(p) == 2 && !p->bomb) now = now || underStream(at);
      if (!p->bomb || buyer(p) != 2) continue;
      if (act == Act::kBombOnOtherPaddle) now = now || gap(p->screenCentre(), game.controller1.position) < kBlastRadius;
      if (act != Act::kBombOnOtherPart) continue;
      for (const CGamePart* q : g_partList) {
        const bool others = !q->inShop && !q->steered && !q->bomb && buyer(q) == 1 && q->placedTime != 0;
        now = now || (others && gap(p->screenCentre(), q->screenCentre()) < kBlastRadius);
      }
    }
    if (now) {
      *seen = true;
      std::printf("ACT %u\n", ms);
    }
  };
}

TEST(Strategies, EachDoesWhatDefinesItThroughItsHands) {
  const Case cases[] = {
      {Strategy::kIdle, Strategy::kBuilder, Act::kInput, 30000, false},
      {Strategy::kLid, Strategy::kIdle, Act::kOnOtherCollector, 15000},
      {Strategy::kBuilder, Strategy::kIdle, Act::kLaidUnderStream, 15000},
      {Strategy::kBomber, Strategy::kBuilder, Act::kBombOnOtherPart, 25000},
      // Its answer to a lid is the stream the lid's paddle left; a bomb
      // cannot touch a steered part under the standard rules, so it spends
      // none on it, and sends the lid home under the house rule.
      {Strategy::kGuard, Strategy::kLid, Act::kUnderStream, 10000},
      {Strategy::kGuard, Strategy::kLid, Act::kBombOnOtherPaddle, 40000, false},
      {Strategy::kGuard, Strategy::kLid, Act::kLidGoneFromOwnCollector, 30000, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(strategyName(c.tested)) + (c.bombReturnsPaddle ? " under the house rule" : ""));
    GameScript s;
    s.seed = 17;
    s.durationMs = c.withinMs;
    if (c.bombReturnsPaddle) s.settingsXml = "<Settings><BombReturnsPaddle>1</BombReturnsPaddle></Settings>";
    const GameRunResult r = runGame(s, watch(c));
    ASSERT_TRUE(r.started && !r.crashed) << r.output;
    const bool acted = r.output.find("ACT ") != std::string::npos;
    EXPECT_EQ(acted, c.acts) << r.output;
  }
}

}  // namespace
