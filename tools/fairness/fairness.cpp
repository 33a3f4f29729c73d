// Measures whether the board favours a side: plays seeded matches that nobody
// touches, headless, and reports each side's value and the spread of
// (P2 - P1) / (P1 + P2). Usage: vesicor_fairness [runs] [minutes] [first seed]
// [gfx folder] from the repository root; the folder lets a new board be tried
// before it replaces data/gfx.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/scripted_game.h"

int main(int argc, char** argv) {
  const int runs = argc > 1 ? std::atoi(argv[1]) : 20;
  const double minutes = argc > 2 ? std::atof(argv[2]) : 5.0;
  const unsigned firstSeed = argc > 3 ? static_cast<unsigned>(std::atoi(argv[3])) : 1000;
  if (runs <= 0 || minutes <= 0) {
    std::fprintf(stderr, "usage: vesicor_fairness [runs] [minutes] [first seed] [gfx folder]\n");
    return 2;
  }
  setenv("SDL_VIDEODRIVER", "dummy", 1);

  // Targets out of reach, so every run lasts the whole time.
  const std::string settings =
      "<Settings>\n<P1_InitValue>\n5000\n</P1_InitValue>\n<P2_InitValue>\n5000\n</P2_InitValue>\n"
      "<P1_TargetValue>\n100000000\n</P1_TargetValue>\n<P2_TargetValue>\n100000000\n</P2_TargetValue>\n"
      "<TurnLength>\n5000\n</TurnLength>\n<ChangeTime>\n749\n</ChangeTime>\n"
      "<DraggingAllowed>\n0\n</DraggingAllowed>\n</Settings>\n";

  double sum = 0, sumSq = 0;
  int p1Ahead = 0, p2Ahead = 0;
  std::printf("%6s %10s %10s %9s\n", "seed", "player 1", "player 2", "share");
  for (int i = 0; i < runs; ++i) {
    testing_support::GameScript script;
    script.seed = firstSeed + static_cast<unsigned>(i);
    script.settingsXml = settings;
    if (argc > 4) script.gfxDir = argv[4];
    script.durationMs = static_cast<uint32_t>(minutes * 60000.0);
    const testing_support::GameRunResult r = testing_support::runGame(script);
    if (!r.started || r.crashed) {
      std::fprintf(stderr, "seed %u did not run\n%s", script.seed, r.output.c_str());
      return 1;
    }
    const double share = (r.value2 - r.value1) / static_cast<double>(r.value1 + r.value2);
    sum += share;
    sumSq += share * share;
    if (r.value1 > r.value2) ++p1Ahead;
    if (r.value2 > r.value1) ++p2Ahead;
    std::printf("%6u %10.0f %10.0f %+8.2f%%\n", script.seed, r.value1, r.value2, share * 100);
    std::fflush(stdout);
  }
  const double mean = sum / runs;
  const double sd = std::sqrt(std::fmax(0.0, sumSq / runs - mean * mean));
  std::printf("mean (P2 - P1) / (P1 + P2): %+.2f%% (sd %.2f%%); player 1 ahead in %d, player 2 in %d of %d\n",
              mean * 100, sd * 100, p1Ahead, p2Ahead, runs);
  const bool fair = std::fabs(mean) <= 0.005 && p1Ahead * 10 <= runs * 6 && p2Ahead * 10 <= runs * 6;
  std::printf("%s\n", fair ? "fair" : "not fair");
  return fair ? 0 : 3;
}
