// Measures the pace of a match with the shipped settings, over seeded
// headless runs: how soon blood first reaches a collector and how long a
// match lasts with nobody playing, and how much of a turn is left when the
// computer's hand (normal level) has bought, turned and laid one wall.
// Usage, from the repository root: vesicor_pace [runs] [first seed]. Exits 0
// when every figure meets its target, 3 otherwise.
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "ai/computer_mind.h"
#include "ai/computer_player.h"
#include "app/app.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/player_controller.h"
#include "game/player_input.h"
#include "platform/clock.h"
#include "support/scripted_game.h"

namespace {

constexpr double kFirstScoreMaxS = 20.0;
constexpr double kMatchMinMinutes = 4.0, kMatchMaxMinutes = 6.0, kMatchCapMinutes = 15.0;
constexpr double kSpareMinS = 1.5;
// The wall: the shop's second template, laid over the buyer's own side and
// turned a quarter (11 clicks of 0.15 rad). Written for player 2; player 1's
// board is the mirror image.
constexpr int kWallTemplate = 1;
constexpr float kWallX = 186.0f, kWallY = 112.0f;
constexpr int kQuarterClicks = 11;

// Buys one wall in its player's first turn and nothing else; offered every
// step of that turn until the hand takes it, since the hand drops a plan it
// cannot start yet.
class COneWallMind : public CPlainMind {
 public:
  explicit COneWallMind(int player) : player_(player) {}
  void reset() override {
    firstTurn_.reset();
    bought_ = false;
  }
  void think(const CGameManager& game, int) override {
    purchase_.reset();
    if (game.gameOver || game.currentPlayer != player_ || bought_) return;
    if (!firstTurn_) firstTurn_ = game.turnStart;
    if (game.turnStart != *firstTurn_) return;
    const CShop& shop = player_ == 1 ? game.shop1 : game.shop2;
    if (shop.templates.size() <= static_cast<size_t>(kWallTemplate)) return;
    const float x = player_ == 2 ? kWallX : 256.0f - kWallX;
    purchase_ = PartPlan{kWallTemplate, Vec2{x, kWallY}, player_ == 2 ? kQuarterClicks : -kQuarterClicks,
                         shop.templates[kWallTemplate]->cost};
  }
  void noteBought(int) override { bought_ = true; }
  void noteDropped() override {}

 private:
  int player_;
  std::optional<float> firstTurn_;
  bool bought_ = false;
};

std::string readFile(const std::string& path) {
  std::ifstream in(path);
  std::ostringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// The number after the last "KEY " line the child printed, or nothing.
std::optional<double> reported(const std::string& output, const std::string& key) {
  const size_t at = output.rfind(key + " ");
  if (at == std::string::npos) return std::nullopt;
  return std::atof(output.c_str() + at + key.size() + 1);
}

double median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  const size_t n = v.size();
  return n % 2 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
}

// Nobody plays: prints when either value first rises above where it started
// and when the match is won, in game ms from the first frame.
testing_support::FrameHook idleWatcher() {
  struct Seen {
    bool started = false, scored = false, over = false;
    uint32_t firstFrame = 0;
    float start1 = 0, start2 = 0;
  };
  auto seen = std::make_shared<Seen>();
  return [seen](CApplication& app, uint32_t gameMs) {
    const CGameManager& game = *app.game();
    if (!seen->started) {
      *seen = Seen{true, false, false, gameMs, game.player1Value, game.player2Value};
      return;
    }
    if (!seen->scored && (game.player1Value > seen->start1 || game.player2Value > seen->start2)) {
      seen->scored = true;
      std::printf("FIRSTSCORE %u\n", gameMs - seen->firstFrame);
    }
    if (!seen->over && game.gameOver) {
      seen->over = true;
      std::printf("OVER %u\n", gameMs - seen->firstFrame);
    }
  };
}

// Both players' hands at the normal level, each with a one-wall mind; prints
// the ms left in the turn when a player's held part leaves the drag state.
testing_support::FrameHook wallDriver() {
  struct Hands {
    std::vector<std::unique_ptr<CComputerPlayer>> players;
    std::vector<PlayerInput> inputs;
    int holding = 0;
    bool reported[3] = {false, false, false};
  };
  auto hands = std::make_shared<Hands>();
  for (int player : {1, 2}) {
    hands->players.push_back(
        std::make_unique<CComputerPlayer>(player, ComputerLevel::kNormal, std::make_unique<COneWallMind>(player)));
  }
  return [hands](CApplication& app, uint32_t) {
    CGameManager& game = *app.game();
    CDragState& drag = app.drag();
    for (auto& computer : hands->players) {
      hands->inputs.clear();
      computer->step(game, drag, hands->inputs);
      for (const PlayerInput& in : hands->inputs) applyPlayerInput(in, game, drag);
    }
    const int holder = drag.held && drag.part && !drag.part->inShop ? drag.holder : 0;
    if (hands->holding != 0 && holder != hands->holding && !hands->reported[hands->holding]) {
      const float msLeft = game.turnStart + game.turnLength - static_cast<float>(platform::gameTicks());
      std::printf("SPARE%d %.0f\n", hands->holding, static_cast<double>(msLeft));
      hands->reported[hands->holding] = true;
    }
    hands->holding = holder;
  };
}

}  // namespace

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 5;
  const unsigned firstSeed = argc > 2 ? static_cast<unsigned>(std::atoi(argv[2])) : 5000;
  if (runs <= 0 || argc > 3) {
    std::fprintf(stderr, "usage: vesicor_pace [runs] [first seed]\n");
    return 2;
  }
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  // Runs get a private data folder whose settings are written from the script.
  const std::string settings = readFile("data/settings.xml");
  if (settings.empty()) {
    std::fprintf(stderr, "cannot read data/settings.xml (run from the repository root)\n");
    return 2;
  }

  std::vector<double> firstScores, matchMinutes, spares;
  std::printf("%6s %12s %14s %11s %11s\n", "seed", "first score", "match minutes", "spare P2 s", "spare P1 s");
  for (int i = 0; i < runs; ++i) {
    testing_support::GameScript idle;
    idle.seed = firstSeed + static_cast<unsigned>(i);
    idle.settingsXml = settings;
    idle.durationMs = static_cast<uint32_t>(kMatchCapMinutes * 60000.0);
    idle.stopWhenOver = true;
    const testing_support::GameRunResult r = testing_support::runGame(idle, idleWatcher());
    if (!r.started || r.crashed) {
      std::fprintf(stderr, "seed %u did not run\n%s", idle.seed, r.output.c_str());
      return 1;
    }
    const std::optional<double> first = reported(r.output, "FIRSTSCORE");
    const std::optional<double> over = reported(r.output, "OVER");
    // Never scoring or never won counts as the whole run.
    firstScores.push_back(first ? *first / 1000.0 : kMatchCapMinutes * 60.0);
    matchMinutes.push_back(over ? *over / 60000.0 : kMatchCapMinutes);

    testing_support::GameScript wall;
    wall.seed = idle.seed;
    wall.settingsXml = settings;
    wall.durationMs = 14000;  // both players' first turns and their change times
    const testing_support::GameRunResult w = testing_support::runGame(wall, wallDriver());
    if (!w.started || w.crashed) {
      std::fprintf(stderr, "seed %u did not run\n%s", wall.seed, w.output.c_str());
      return 1;
    }
    // A wall never laid leaves nothing to spare.
    double spare[3] = {0, 0, 0};
    for (int p : {1, 2}) {
      const std::optional<double> ms = reported(w.output, "SPARE" + std::to_string(p));
      spare[p] = ms ? *ms / 1000.0 : 0.0;
      spares.push_back(spare[p]);
    }
    char minutes[32] = ">15 (cap)";
    if (over) std::snprintf(minutes, sizeof minutes, "%.2f", matchMinutes.back());
    std::printf("%6u %11.1fs %14s %10.2fs %10.2fs\n", idle.seed, firstScores.back(), minutes, spare[2], spare[1]);
    std::fflush(stdout);
  }

  const double firstScore = median(firstScores), match = median(matchMinutes), spare = median(spares);
  const double worstSpare = *std::min_element(spares.begin(), spares.end());
  const bool firstOk = firstScore <= kFirstScoreMaxS;
  const bool matchOk = match >= kMatchMinMinutes && match <= kMatchMaxMinutes;
  const bool spareOk = spare >= kSpareMinS;
  std::printf("\n%d runs from seed %u, shipped settings\n", runs, firstSeed);
  std::printf("time to first score (median):  %6.1f s    target within %.0f s        %s\n", firstScore,
              kFirstScoreMaxS, firstOk ? "met" : "NOT met");
  std::printf("idle match length (median):    %6.2f min  target %.0f to %.0f min        %s\n", match,
              kMatchMinMinutes, kMatchMaxMinutes, matchOk ? "met" : "NOT met");
  std::printf("turn spare, one wall (median): %6.2f s    target at least %.1f s    %s (worst %.2f s)\n", spare,
              kSpareMinS, spareOk ? "met" : "NOT met", worstSpare);
  return firstOk && matchOk && spareOk ? 0 : 3;
}
