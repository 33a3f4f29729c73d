// Measures how well the computer player plays: seeded headless matches to a
// small target, either the computer (player 2) against a player 1 who never
// touches anything, or the computer against itself; or a tournament of the
// scripted strategies and the three levels (tournament.h). Usage, from the
// repository root:
//   vesicor_ai_match idle|self [matches] [target] [first seed]
//                    [--level1 easy|normal|hard] [--level2 easy|normal|hard]
//   vesicor_ai_match tournament [matches per pair and side] [game minutes cap]
//                    [first seed] [--settings FILE] [--only NAME,NAME,...] [--list]
// Without a level the game's own computers play (at their default level).
// With one, the computers are driven here at the levels given (the other
// side at the default). Exits 0 when the computer beats the idle player
// every time; against itself when each side wins 40 to 60 % at equal levels,
// or the higher level wins at least 80 % at unequal ones.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "ai/computer_player.h"
#include "app/app.h"
#include "game/game_manager.h"
#include "game/player_input.h"
#include "support/scripted_game.h"
#include "tournament.h"

namespace {

int usage() {
  std::fprintf(stderr,
               "usage: vesicor_ai_match idle|self [matches] [target above 5000] [first seed] "
               "[--level1 easy|normal|hard] [--level2 easy|normal|hard]\n"
               "       vesicor_ai_match tournament [matches per pair and side] [game minutes cap] [first seed] "
               "[--settings FILE] [--only NAME,NAME,...] [--list]\n");
  return 2;
}

// Plays the given sides with computers at their levels, after every frame
// (one step a frame), seeded as the game seeds its own.
testing_support::FrameHook levelDriver(unsigned gameSeed, const std::vector<int>& players,
                                       const ComputerLevel levels[2]) {
  auto computers = std::make_shared<std::vector<std::unique_ptr<CComputerPlayer>>>();
  for (int player : players) {
    const uint32_t seed = gameSeed * 2654435761u ^ static_cast<uint32_t>(player) * 0x9E3779B9u;
    computers->push_back(std::make_unique<CComputerPlayer>(player, seed, levels[player - 1]));
  }
  auto inputs = std::make_shared<std::vector<PlayerInput>>();
  return [computers, inputs](CApplication& app, uint32_t) {
    for (auto& computer : *computers) {
      inputs->clear();
      computer->step(*app.game(), app.drag(), *inputs);
      for (const PlayerInput& in : *inputs) applyPlayerInput(in, *app.game(), app.drag());
    }
  };
}

// Defaults: 4 matches per pair and side, 5 game minutes, seeds from 3000,
// the shipped settings.
int tournament(int argc, char** argv) {
  TournamentOptions options;
  std::vector<std::string> positional;
  for (int i = 2; i < argc; ++i) {
    if (std::strcmp(argv[i], "--settings") == 0) {
      if (i + 1 >= argc) return usage();
      options.settingsFile = argv[++i];
    } else if (std::strcmp(argv[i], "--list") == 0) {
      options.list = true;
    } else if (std::strcmp(argv[i], "--only") == 0) {
      if (i + 1 >= argc) return usage();
      std::istringstream names(argv[++i]);
      for (std::string name; std::getline(names, name, ',');) options.only.push_back(name);
    } else {
      positional.push_back(argv[i]);
    }
  }
  if (positional.size() > 3) return usage();
  if (positional.size() > 0) options.matchesPerSide = std::atoi(positional[0].c_str());
  if (positional.size() > 1) options.minutesCap = std::atoi(positional[1].c_str());
  if (positional.size() > 2) options.firstSeed = static_cast<unsigned>(std::atoi(positional[2].c_str()));
  if (options.matchesPerSide <= 0 || options.minutesCap <= 0) return usage();
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  return runTournament(options);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc > 1 && std::strcmp(argv[1], "tournament") == 0) return tournament(argc, argv);
  std::vector<std::string> positional;
  ComputerLevel levels[2] = {kDefaultComputerLevel, kDefaultComputerLevel};
  bool levelled = false;
  for (int i = 1; i < argc; ++i) {
    const bool one = std::strcmp(argv[i], "--level1") == 0, two = std::strcmp(argv[i], "--level2") == 0;
    if (!one && !two) {
      positional.push_back(argv[i]);
      continue;
    }
    if (i + 1 >= argc || !parseLevel(argv[i + 1], levels[one ? 0 : 1])) return usage();
    levelled = true;
    ++i;
  }
  auto arg = [&](size_t k) { return k < positional.size() ? positional[k].c_str() : nullptr; };
  const std::string mode = arg(0) ? arg(0) : "idle";
  const int matches = arg(1) ? std::atoi(arg(1)) : (mode == "self" ? 20 : 10);
  const int target = arg(2) ? std::atoi(arg(2)) : 9000;
  const unsigned firstSeed = arg(3) ? static_cast<unsigned>(std::atoi(arg(3))) : 2000;
  if ((mode != "idle" && mode != "self") || matches <= 0 || target <= 5000 || positional.size() > 4) return usage();
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  const std::string t = std::to_string(target);
  const std::string settings =
      "<Settings>\n<P1_InitValue>\n5000\n</P1_InitValue>\n<P2_InitValue>\n5000\n</P2_InitValue>\n"
      "<P1_TargetValue>\n" + t + "\n</P1_TargetValue>\n<P2_TargetValue>\n" + t + "\n</P2_TargetValue>\n"
      "<TurnLength>\n5000\n</TurnLength>\n<ChangeTime>\n749\n</ChangeTime>\n"
      "<DraggingAllowed>\n0\n</DraggingAllowed>\n</Settings>\n";
  const std::vector<int> players = mode == "self" ? std::vector<int>{1, 2} : std::vector<int>{2};

  int wins[3] = {0, 0, 0};  // nobody, player 1, player 2
  std::printf("%6s %10s %10s %8s %7s\n", "seed", "player 1", "player 2", "winner", "minutes");
  for (int i = 0; i < matches; ++i) {
    testing_support::GameScript script;
    script.seed = firstSeed + static_cast<unsigned>(i);
    script.settingsXml = settings;
    script.durationMs = 15 * 60000;
    script.stopWhenOver = true;
    testing_support::FrameHook hook;
    if (levelled) {
      hook = levelDriver(script.seed, players, levels);
    } else {
      script.computers = players;
    }
    const testing_support::GameRunResult r = testing_support::runGame(script, hook);
    if (!r.started || r.crashed) {
      std::fprintf(stderr, "seed %u did not run\n%s", script.seed, r.output.c_str());
      return 1;
    }
    // Player 1 is looked at first when both pass the target in one step.
    const int winner = !r.gameOver ? 0 : (r.value1 > static_cast<float>(target) ? 1 : 2);
    ++wins[winner];
    std::printf("%6u %10.0f %10.0f %8s %7.1f\n", script.seed, r.value1, r.value2,
                winner == 0 ? "none" : (winner == 1 ? "1" : "2"), r.steps * 16 / 60000.0);
    std::fflush(stdout);
  }
  const std::string who1 = levelled ? std::string(" (") + levelName(levels[0]) + ")" : "";
  const std::string who2 = levelled ? std::string(" (") + levelName(levels[1]) + ")" : "";
  std::printf("%s, %d matches to %d: player 1%s won %d, player 2%s won %d, undecided %d\n",
              mode == "self" ? "computer against computer" : "computer (player 2) against an idle player 1",
              matches, target, mode == "self" ? who1.c_str() : "", wins[1], who2.c_str(), wins[2], wins[0]);
  bool good = false;
  if (mode == "idle") {
    good = wins[2] == matches;
  } else if (levels[0] != levels[1]) {
    // The levels are declared weakest first.
    const int stronger = levels[0] > levels[1] ? 1 : 2;
    good = wins[stronger] * 10 >= matches * 8;
  } else {
    good = wins[1] * 10 >= matches * 4 && wins[1] * 10 <= matches * 6 && wins[2] * 10 >= matches * 4 &&
           wins[2] * 10 <= matches * 6;
  }
  std::printf("%s\n", good ? "as required" : "NOT as required");
  return good ? 0 : 3;
}
