// Measures how well the computer player plays: seeded headless matches to a
// small target, either the computer (player 2) against a player 1 who never
// touches anything, or the computer against itself. Usage, from the
// repository root: vesicor_ai_match idle|self [matches] [target] [first seed].
// Exits 0 when the computer beats the idle player every time, or when each
// side wins 40 to 60 % against itself.
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/scripted_game.h"

int main(int argc, char** argv) {
  const std::string mode = argc > 1 ? argv[1] : "idle";
  const int matches = argc > 2 ? std::atoi(argv[2]) : (mode == "self" ? 20 : 10);
  const int target = argc > 3 ? std::atoi(argv[3]) : 9000;
  const unsigned firstSeed = argc > 4 ? static_cast<unsigned>(std::atoi(argv[4])) : 2000;
  if ((mode != "idle" && mode != "self") || matches <= 0 || target <= 5000) {
    std::fprintf(stderr, "usage: vesicor_ai_match idle|self [matches] [target above 5000] [first seed]\n");
    return 2;
  }
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  const std::string t = std::to_string(target);
  const std::string settings =
      "<Settings>\n<P1_InitValue>\n5000\n</P1_InitValue>\n<P2_InitValue>\n5000\n</P2_InitValue>\n"
      "<P1_TargetValue>\n" + t + "\n</P1_TargetValue>\n<P2_TargetValue>\n" + t + "\n</P2_TargetValue>\n"
      "<TurnLength>\n5000\n</TurnLength>\n<ChangeTime>\n749\n</ChangeTime>\n"
      "<DraggingAllowed>\n0\n</DraggingAllowed>\n</Settings>\n";

  int wins[3] = {0, 0, 0};  // nobody, player 1, player 2
  std::printf("%6s %10s %10s %8s %7s\n", "seed", "player 1", "player 2", "winner", "minutes");
  for (int i = 0; i < matches; ++i) {
    testing_support::GameScript script;
    script.seed = firstSeed + static_cast<unsigned>(i);
    script.settingsXml = settings;
    script.durationMs = 15 * 60000;
    script.stopWhenOver = true;
    script.computers = mode == "self" ? std::vector<int>{1, 2} : std::vector<int>{2};
    const testing_support::GameRunResult r = testing_support::runGame(script);
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
  std::printf("%s, %d matches to %d: player 1 won %d, player 2 won %d, undecided %d\n",
              mode == "self" ? "computer against computer" : "computer (player 2) against an idle player 1",
              matches, target, wins[1], wins[2], wins[0]);
  bool good = false;
  if (mode == "idle") {
    good = wins[2] == matches;
  } else {
    good = wins[1] * 10 >= matches * 4 && wins[1] * 10 <= matches * 6 && wins[2] * 10 >= matches * 4 &&
           wins[2] * 10 <= matches * 6;
  }
  std::printf("%s\n", good ? "as required" : "NOT as required");
  return good ? 0 : 3;
}
