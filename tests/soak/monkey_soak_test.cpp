// A monkey plays the shipped game headless: random keys, mouse motion, button
// holds and wheel turns from a seeded generator, for minutes of game time.
// The world's invariants are checked as it goes and memory must stay flat.
#include <gtest/gtest.h>
#include <algorithm>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include "app/app.h"
#include "game/game_part.h"
#include "sim/cell_grid.h"
#include "support/scripted_game.h"

// Freed memory waits in the sanitizer's quarantine and the resident size grows
// for that alone; there the heap still in use is the honest measure (GCC and
// Clang both name the sanitized build alike).
#ifdef __SANITIZE_ADDRESS__
extern "C" size_t __sanitizer_get_current_allocated_bytes();
static long memoryKb() { return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024); }
#else
static long memoryKb() {
  long pages = 0, resident = 0;
  return (std::ifstream("/proc/self/statm") >> pages >> resident, resident * 4);
}
#endif

namespace {
using namespace testing_support;

GameScript monkeyScript(unsigned seed, uint32_t minutes) {
  GameScript s;
  s.seed = seed, s.durationMs = minutes * 60000u;
  std::mt19937 rng(seed);
  const SDLKey keys[] = {SDLK_w, SDLK_a, SDLK_s, SDLK_d, SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
  bool keyDown[8] = {}, button = false;
  int mx = 256, my = 256;
  auto near = [&](int v) { return std::clamp(v + static_cast<int>(rng() % 41) - 20, 0, 511); };
  for (uint32_t t = 0; t < s.durationMs; t += 16) {
    const int roll = static_cast<int>(rng() % 100), k = static_cast<int>(rng() % 8);
    if (roll < 6) {
      keyDown[k] = !keyDown[k];
      s.events.push_back({t, keyEvent(keyDown[k], keys[k])});
    } else if (roll < 40) {  // mostly small moves, now and then a jump, often onto the shop row
      mx = k ? near(mx) : static_cast<int>(rng() % 512);
      my = k ? near(my) : rng() % 3 ? static_cast<int>(rng() % 512) : 90;
      s.events.push_back({t, motionEvent(mx, my)});
    } else if (roll < 44) {
      s.events.push_back({t, buttonEvent(button = !button, 1, mx, my)});
    } else if (roll < 49) {  // wheel turns, and now and then the other buttons
      s.events.push_back({t, buttonEvent(roll < 48 || k / 2 % 2, (roll < 48 ? 4 : 2) + k % 2, mx, my)});
    }
  }
  return s;
}

// Once a game second: a cell in two slots, a blood cell that thinks it is
// elsewhere, a part listed twice or a dangling drag is a problem.
void checkWorld(CApplication& app, uint32_t gameMs) {
  if (gameMs % 1000 >= 16) return;  // frames come every 16 ms
  std::set<const ISingleCell*> seen;
  const std::set<const CGamePart*> parts(g_partList.begin(), g_partList.end());
  int problems = (parts.size() != g_partList.size()) + (app.drag().part && !parts.count(app.drag().part));
  for (int i = 0; i <= g_cellGrid.slotCount; ++i) {
    const ISingleCell* c = g_cellGrid.slots[i];
    const auto* b = c && c->getType() == 2 ? static_cast<const CBloodCell*>(c) : nullptr;
    problems += (c && !seen.insert(c).second) + (b && b->x >= 0 && b->x < g_cellGrid.width && b->y >= 0 &&
                                                 b->y < g_cellGrid.height && b->x + b->y * g_cellGrid.width != i);
  }
  std::printf("check %u problems %d memory %ld\n", gameMs, problems, memoryKb()), std::fflush(stdout);
}

TEST(MonkeySoak, RandomPlayKeepsTheWorldConsistentAndMemoryFlat) {
  const char *minutesEnv = std::getenv("VESICOR_SOAK_MINUTES"), *seedEnv = std::getenv("VESICOR_SOAK_SEED");
  const uint32_t minutes = minutesEnv ? static_cast<uint32_t>(std::atoi(minutesEnv)) : 2;
  const auto r = runGame(monkeyScript(seedEnv ? static_cast<unsigned>(std::atoi(seedEnv)) : 20261206u, minutes),
                         checkWorld);
  ASSERT_TRUE(r.started && !r.crashed) << "exit " << r.exitCode << "\n" << r.output;
  std::istringstream in(r.output);
  std::string line;
  unsigned ms = 0, samples = 0, problems = 0;
  long kb = 0, atOneMinute = 0, highest = 0;
  while (std::getline(in, line)) {
    if (std::sscanf(line.c_str(), "check %u problems %u memory %ld", &ms, &problems, &kb) != 3) continue;
    ++samples;
    ASSERT_EQ(problems, 0u) << "at " << ms << " ms";
    if (ms >= 60000) atOneMinute = atOneMinute ? atOneMinute : kb, highest = std::max(highest, kb);
  }
  ASSERT_TRUE(samples >= minutes * 60 - 1 && atOneMinute > 0) << samples << " checks";
  // After the first minute memory may not keep growing.
  EXPECT_LE(highest, atOneMinute + 8 * 1024) << "memory grew from " << atOneMinute << " kB to " << highest << " kB";
  std::printf("monkey soak: %u min, %d frames, peak RSS %ld kB\n", minutes, r.frames, r.peakRssKb);
}

}  // namespace
