// The tournament of vesicor_ai_match: each match runs in its own process
// (two at a time), both sides driven after every frame by computer players
// whose minds are either the look-ahead at a level or a scripted strategy.
#include "tournament.h"

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <vector>

#include "ai/computer_player.h"
#include "ai/strategies.h"
#include "app/app.h"
#include "game/game_manager.h"
#include "game/player_input.h"
#include "support/scripted_game.h"

namespace {

struct Entrant {
  std::string name;
  bool scripted = false;
  Strategy strategy = Strategy::kIdle;
  ComputerLevel level = ComputerLevel::kHard;
};

std::vector<Entrant> entrants(const std::vector<std::string>& only) {
  std::vector<Entrant> all;
  for (Strategy s : {Strategy::kIdle, Strategy::kLid, Strategy::kGuard, Strategy::kBuilder, Strategy::kBomber}) {
    all.push_back(Entrant{strategyName(s), true, s, ComputerLevel::kHard});
  }
  for (ComputerLevel l : {ComputerLevel::kEasy, ComputerLevel::kNormal, ComputerLevel::kHard}) {
    all.push_back(Entrant{levelName(l), false, Strategy::kIdle, l});
  }
  if (only.empty()) return all;
  std::vector<Entrant> chosen;
  for (const Entrant& e : all) {
    if (std::find(only.begin(), only.end(), e.name) != only.end()) chosen.push_back(e);
  }
  return chosen;
}

// Scripted strategies use the quickest hands; levels are seeded as the game
// seeds its own computers. The hook says who won once the game is over.
testing_support::FrameHook driver(unsigned gameSeed, const Entrant* sides[2]) {
  auto computers = std::make_shared<std::vector<std::unique_ptr<CComputerPlayer>>>();
  for (int player = 1; player <= 2; ++player) {
    const Entrant& e = *sides[player - 1];
    const uint32_t seed = gameSeed * 2654435761u ^ static_cast<uint32_t>(player) * 0x9E3779B9u;
    computers->push_back(e.scripted ? std::make_unique<CComputerPlayer>(player, ComputerLevel::kHard,
                                                                       makeStrategyMind(e.strategy, player))
                                    : std::make_unique<CComputerPlayer>(player, seed, e.level));
  }
  auto inputs = std::make_shared<std::vector<PlayerInput>>();
  return [computers, inputs](CApplication& app, uint32_t) {
    for (auto& computer : *computers) {
      inputs->clear();
      computer->step(*app.game(), app.drag(), *inputs);
      for (const PlayerInput& in : *inputs) applyPlayerInput(in, *app.game(), app.drag());
    }
    if (app.game()->gameOver) std::printf("WINNER %d\n", app.game()->winner);
  };
}

struct Match {
  size_t a = 0, b = 0;  // entrants playing player 1 and player 2
  unsigned seed = 0;
  int winner = -1;      // 0 a draw, 1 or 2 the player; -1 did not run
  float value1 = 0, value2 = 0;
};

int winnerOf(const testing_support::GameRunResult& r) {
  const size_t at = r.output.find("WINNER ");
  if (r.gameOver && at != std::string::npos) return std::atoi(r.output.c_str() + at + 7);
  if (r.value1 == r.value2) return 0;
  return r.value1 > r.value2 ? 1 : 2;
}

double cpuSeconds() {
  rusage self{}, children{};
  getrusage(RUSAGE_SELF, &self);
  getrusage(RUSAGE_CHILDREN, &children);
  auto sum = [](const rusage& u) {
    return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
           static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) / 1e6;
  };
  return sum(self) + sum(children);
}

}  // namespace

int runTournament(const TournamentOptions& options) {
  std::ifstream file(options.settingsFile, std::ios::binary);
  std::stringstream settings;
  settings << file.rdbuf();
  if (!file || settings.str().empty()) {
    std::fprintf(stderr, "cannot read %s\n", options.settingsFile.c_str());
    return 1;
  }
  const std::vector<Entrant> all = entrants(options.only);
  if (all.size() < 2 || all.size() < options.only.size()) {
    std::fprintf(stderr, "name at least two entrants of: idle lid guard builder bomber easy normal hard\n");
    return 2;
  }
  std::vector<Match> matches;
  for (size_t a = 0; a < all.size(); ++a) {
    for (size_t b = 0; b < all.size(); ++b) {
      for (int k = 0; a != b && k < options.matchesPerSide; ++k) {
        matches.push_back(Match{a, b, options.firstSeed + static_cast<unsigned>(k)});
      }
    }
  }
  std::printf("tournament: %zu entrants, %zu matches (%d per pair and side), %d game minutes at most, seeds %u on, %s\n",
              all.size(), matches.size(), options.matchesPerSide, options.minutesCap, options.firstSeed,
              options.settingsFile.c_str());
  int failed = 0;
  const size_t together = static_cast<size_t>(options.processes > 0 ? options.processes : 1);
  for (size_t first = 0; first < matches.size(); first += together) {
    std::vector<testing_support::GameScript> scripts;
    std::vector<testing_support::FrameHook> hooks;
    for (size_t i = first; i < matches.size() && i < first + together; ++i) {
      testing_support::GameScript script;
      script.seed = matches[i].seed;
      script.settingsXml = settings.str();
      script.durationMs = static_cast<uint32_t>(options.minutesCap) * 60000u;
      script.stopWhenOver = true;
      const Entrant* sides[2] = {&all[matches[i].a], &all[matches[i].b]};
      scripts.push_back(script);
      hooks.push_back(driver(script.seed, sides));
    }
    const std::vector<testing_support::GameRunResult> results = testing_support::runGamesTogether(scripts, hooks);
    for (size_t j = 0; j < results.size(); ++j) {
      Match& m = matches[first + j];
      const testing_support::GameRunResult& r = results[j];
      if (!r.started || r.crashed) {
        std::fprintf(stderr, "%s vs %s seed %u did not run\n%s", all[m.a].name.c_str(), all[m.b].name.c_str(), m.seed,
                     r.output.c_str());
        ++failed;
        continue;
      }
      m.winner = winnerOf(r);
      m.value1 = r.value1;
      m.value2 = r.value2;
      if (options.list) {
        std::printf("%-8s %-8s seed %5u: %6.0f %6.0f, %s after %.1f minutes\n", all[m.a].name.c_str(),
                    all[m.b].name.c_str(), m.seed, m.value1, m.value2,
                    m.winner == 0 ? "draw" : m.winner == 1 ? "player 1 won" : "player 2 won", r.steps * 16 / 60000.0);
      }
    }
    std::fprintf(stderr, "\r%zu/%zu matches", std::min(first + together, matches.size()), matches.size());
  }
  std::fprintf(stderr, "\n");

  // wins[row][column]: matches the row entrant won against the column one,
  // on either side; played likewise.
  const size_t n = all.size();
  std::vector<std::vector<int>> wins(n, std::vector<int>(n, 0)), played(n, std::vector<int>(n, 0));
  std::vector<int> draws(n, 0), sideWins[2] = {std::vector<int>(n, 0), std::vector<int>(n, 0)};
  for (const Match& m : matches) {
    if (m.winner < 0) continue;
    ++played[m.a][m.b];
    ++played[m.b][m.a];
    if (m.winner == 1) ++wins[m.a][m.b], ++sideWins[0][m.a];
    if (m.winner == 2) ++wins[m.b][m.a], ++sideWins[1][m.b];
    if (m.winner == 0) ++draws[m.a], ++draws[m.b];
  }
  std::printf("\nwin %% of the row against the column (both sides; draws count for neither)\n%-8s", "");
  for (const Entrant& e : all) std::printf(" %7s", e.name.c_str());
  std::printf("\n");
  for (size_t a = 0; a < n; ++a) {
    std::printf("%-8s", all[a].name.c_str());
    for (size_t b = 0; b < n; ++b) {
      if (a == b || played[a][b] == 0) {
        std::printf(" %7s", "-");
      } else {
        std::printf(" %7.0f", 100.0 * wins[a][b] / played[a][b]);
      }
    }
    std::printf("\n");
  }
  std::printf("\n%-8s %6s %5s %5s %6s %8s %8s\n", "entrant", "played", "won", "drawn", "win %", "won as 1", "won as 2");
  for (size_t a = 0; a < n; ++a) {
    int won = 0, games = 0;
    for (size_t b = 0; b < n; ++b) won += wins[a][b], games += played[a][b];
    std::printf("%-8s %6d %5d %5d %6.1f %8d %8d\n", all[a].name.c_str(), games, won, draws[a],
                games ? 100.0 * won / games : 0.0, sideWins[0][a], sideWins[1][a]);
  }
  std::printf("\ntotal CPU time %.0f s\n", cpuSeconds());
  return failed == 0 ? 0 : 1;
}
