// The scripted strategies: fixed places read off the board, written as
// player 2 sees it (its collector on the right) and mirrored for player 1,
// whose board is the mirror image (cell c onto 255 - c).
#include "ai/strategies.h"

#include <algorithm>
#include <iterator>
#include <vector>

#include "game/game_manager.h"
#include "game/game_part.h"
#include "sim/cell_grid.h"

namespace {

constexpr float kQuarterTurn = 1.5707964f;
constexpr float kEighthTurn = 0.7853982f;
// Player 1's collector (columns 41 to 50, rows 141 to 150) stands on the
// floor; a lid is the steered part lying flat right over it.
constexpr float kLeftLidX = 45.5f;
constexpr float kLidRow = 139.0f;
// Slanted under the stream between the throat and the ridge's top: what
// falls on it slides off towards player 2's side, past the ridge.
constexpr float kStreamX = 127.5f;
constexpr float kStreamRow = 75.0f;
// A steered part this close to a lid's place (in cells) is treated as a lid.
constexpr float kNearLid = 24.0f;
// Parts often cost more than they bring: the builder keeps this much value
// back, enough for its first wall at the start and little more until it earns.
constexpr float kBuilderReserve = 3500.0f;
// Steps after a part goes down before the next is planned, so its effect
// (a blast) has been seen; the guard waits longer, so a lid it missed is not
// answered with every bomb it can pay for in one turn.
constexpr int kDropPause = 40;
constexpr int kGuardPause = 150;

float sideX(int player, float x) { return player == 2 ? x : 256.0f - x; }
int sideClicks(int player, int clicks) { return player == 2 ? clicks : -clicks; }
float sideHeading(int player, float heading) {
  if (player == 2) return heading;
  const float mirrored = 2 * kQuarterTurn - heading;
  return mirrored > 2 * kQuarterTurn ? mirrored - 4 * kQuarterTurn : mirrored;
}

const CShop& shopOf(const CGameManager& game, int player) { return player == 1 ? game.shop1 : game.shop2; }
const CPlayerController& controllerOf(const CGameManager& game, int player) {
  return player == 1 ? game.controller1 : game.controller2;
}

int templateIndex(const CShop& shop, bool bomb, const char* name) {
  for (size_t i = 0; i < shop.templates.size(); ++i) {
    const CGamePart* t = shop.templates[i];
    if (bomb ? t->bomb != 0 : (t->bomb == 0 && t->name == name)) return static_cast<int>(i);
  }
  return -1;
}

bool onBoard(const CGamePart* p) { return !p->inShop && !p->steered && !p->dying && !p->finished; }

// What every strategy shares: its side, a fixed pose, the parts it laid and
// a purchase waiting for its hands.
class CScriptedMind : public CPlainMind {
 public:
  explicit CScriptedMind(int player, int pause = kDropPause) : player_(player), pause_(pause) {}
  void reset() override {
    pose_.reset();
    purchase_.reset();
    mine_.clear();
    steps_ = 0;
    droppedAt_ = -pause_;
  }
  // The hands take a purchase only with nothing in hand, so offering one
  // every step buys nothing twice; a purchase they gave up is offered again.
  void think(const CGameManager& game, int) override {
    ++steps_;
    purchase_.reset();
    if (game.gameOver || game.currentPlayer != player_ || steps_ - droppedAt_ < pause_) return;
    purchase_ = choose(game);
  }
  void noteBought(int partId) override { mine_.push_back(partId); }
  void noteDropped() override { droppedAt_ = steps_; }

 protected:
  virtual std::optional<PartPlan> choose(const CGameManager&) { return std::nullopt; }

  void park(float x, float y, float heading) {
    pose_ = PaddlePose{Vec2{sideX(player_, x), y}, sideHeading(player_, heading)};
  }
  // Under the stream, where the whole of it slides off towards this side.
  void parkUnderStream() { park(kStreamX + 4.5f, kStreamRow, -kEighthTurn); }
  bool mine(int id) const { return std::find(mine_.begin(), mine_.end(), id) != mine_.end(); }
  std::optional<PartPlan> bombAt(const CGameManager& game, Vec2 grid) const {
    const CShop& shop = shopOf(game, player_);
    const int bomb = templateIndex(shop, true, "");
    if (bomb < 0) return std::nullopt;
    return PartPlan{bomb, grid, 0, shop.templates[static_cast<size_t>(bomb)]->cost};
  }

  int player_;
  int pause_;
  std::vector<int> mine_;
  int steps_ = 0;
  int droppedAt_ = -pause_;
};

class CLidMind : public CScriptedMind {
 public:
  using CScriptedMind::CScriptedMind;
  void think(const CGameManager& game, int budget) override {
    if (!pose_) park(kLeftLidX, kLidRow, kQuarterTurn);
    CScriptedMind::think(game, budget);
  }
};

// A lid's paddle has left the stream, so the guard takes the stream: that is
// the board's answer to a lid. Under the house rule that sends a steered
// part home from a blast it also bombs the lid away; under the standard
// rules a bomb cannot touch it, and none is wasted on it.
class CGuardMind : public CScriptedMind {
 public:
  explicit CGuardMind(int player) : CScriptedMind(player, kGuardPause) {}
  void think(const CGameManager& game, int budget) override {
    if (!pose_) parkUnderStream();
    CScriptedMind::think(game, budget);
  }

 protected:
  std::optional<PartPlan> choose(const CGameManager& game) override {
    const CPlayerController& other = controllerOf(game, 3 - player_);
    if (!game.bombReturnsPaddle || !other.part) return std::nullopt;
    const Vec2 at = screenToGrid(other.position);
    const Vec2 lid = lidSpot(player_);
    if (sqr(at.x - lid.x) + sqr(at.y - lid.y) > sqr(kNearLid)) return std::nullopt;
    return bombAt(game, at);
  }
};

class CBomberMind : public CScriptedMind {
 public:
  using CScriptedMind::CScriptedMind;
  void think(const CGameManager& game, int budget) override {
    if (!pose_) parkUnderStream();
    CScriptedMind::think(game, budget);
  }

 protected:
  // The other player's part nearest the stream, where parts matter most.
  std::optional<PartPlan> choose(const CGameManager& game) override {
    const Vec2 stream{kStreamX, kStreamRow};
    const CGamePart* target = nullptr;
    float best = 0;
    for (const CGamePart* p : g_partList) {
      if (!onBoard(p) || mine(p->id)) continue;
      const Vec2 g = screenToGrid(p->screenCentre());
      const float d = sqr(g.x - stream.x) + sqr(g.y - stream.y);
      if (!target || d < best) target = p, best = d;
    }
    if (!target) return std::nullopt;
    return bombAt(game, screenToGrid(target->screenCentre()));
  }
};

class CBuilderMind : public CScriptedMind {
 public:
  using CScriptedMind::CScriptedMind;
  void think(const CGameManager& game, int budget) override {
    if (!pose_) parkUnderStream();
    CScriptedMind::think(game, budget);
  }
  void reset() override {
    CScriptedMind::reset();
    std::fill(std::begin(laid_), std::end(laid_), 0);
  }
  // The slot is fixed when the hands take the plan: the price paid at the
  // press may change what a later look would choose.
  std::optional<PartPlan> takePurchase() override {
    std::optional<PartPlan> plan = CScriptedMind::takePurchase();
    if (plan) taken_ = pending_;
    return plan;
  }
  void noteBought(int partId) override {
    CScriptedMind::noteBought(partId);
    laid_[taken_] = partId;
  }

 protected:
  // Its places in order, each laid again once its part is gone: a wall
  // slanting down over the ridge's top towards its own side, which takes the
  // stream when no steered part is above it. (A scoop tried in the chamber,
  // under the throat or on its own slope cost more blood than it led home.)
  std::optional<PartPlan> choose(const CGameManager& game) override {
    struct Place {
      const char* name;
      float x, y;
      int clicks;
    };
    static const Place kPlaces[] = {{"wall", 130, 70, 4}};
    static_assert(std::size(kPlaces) == sizeof(laid_) / sizeof(laid_[0]), "one part kept per place");
    const CShop& shop = shopOf(game, player_);
    const float value = player_ == 1 ? game.player1Value : game.player2Value;
    for (size_t i = 0; i < std::size(kPlaces); ++i) {
      if (laid_[i] != 0 && standing(laid_[i])) continue;
      const int index = templateIndex(shop, false, kPlaces[i].name);
      if (index < 0 || value - shop.templates[static_cast<size_t>(index)]->cost < kBuilderReserve) continue;
      pending_ = i;
      return PartPlan{index, Vec2{sideX(player_, kPlaces[i].x), kPlaces[i].y}, sideClicks(player_, kPlaces[i].clicks),
                      shop.templates[static_cast<size_t>(index)]->cost};
    }
    return std::nullopt;
  }

 private:
  static bool standing(int id) {
    for (const CGamePart* p : g_partList) {
      if (p->id == id) return !p->dying && !p->finished;
    }
    return false;
  }
  int laid_[1] = {0};
  size_t pending_ = 0, taken_ = 0;
};

}  // namespace

const char* strategyName(Strategy strategy) {
  switch (strategy) {
    case Strategy::kIdle:
      return "idle";
    case Strategy::kLid:
      return "lid";
    case Strategy::kGuard:
      return "guard";
    case Strategy::kBuilder:
      return "builder";
    case Strategy::kBomber:
      return "bomber";
  }
  return "idle";
}

bool parseStrategy(const std::string& name, Strategy& strategy) {
  for (Strategy s : {Strategy::kIdle, Strategy::kLid, Strategy::kGuard, Strategy::kBuilder, Strategy::kBomber}) {
    if (name == strategyName(s)) {
      strategy = s;
      return true;
    }
  }
  return false;
}

Vec2 lidSpot(int player) { return Vec2{player == 1 ? kLeftLidX : 256.0f - kLeftLidX, kLidRow}; }

std::unique_ptr<IComputerMind> makeStrategyMind(Strategy strategy, int player) {
  switch (strategy) {
    case Strategy::kIdle:
      break;
    case Strategy::kLid:
      return std::make_unique<CLidMind>(player);
    case Strategy::kGuard:
      return std::make_unique<CGuardMind>(player);
    case Strategy::kBuilder:
      return std::make_unique<CBuilderMind>(player);
    case Strategy::kBomber:
      return std::make_unique<CBomberMind>(player);
  }
  return std::make_unique<CScriptedMind>(player);
}
