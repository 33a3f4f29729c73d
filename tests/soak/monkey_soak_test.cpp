// A monkey plays the shipped game headless: random keys, mouse motion, button
// holds and wheel turns from a seeded generator, for minutes of game time.
// The world's invariants are checked as it goes and memory must stay flat.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <set>
#include <sstream>
#include <string>

#include "app.h"
#include "game/game_part.h"
#include "globals.h"
#include "sim/cell_grid.h"
#include "support/scripted_game.h"

namespace {

using testing_support::GameScript;
using testing_support::TimedEvent;

#if defined(__SANITIZE_ADDRESS__)
#define VESICOR_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VESICOR_ASAN 1
#endif
#endif

#ifdef VESICOR_ASAN
}  // namespace
// From the sanitizer runtime; not every compiler ships its header.
extern "C" size_t __sanitizer_get_current_allocated_bytes();
namespace {
// Under AddressSanitizer freed memory waits in a quarantine and the resident
// size grows for that alone; the heap still in use is the honest measure.
long memoryKb() { return static_cast<long>(__sanitizer_get_current_allocated_bytes() / 1024); }
#else
long memoryKb() {
  std::ifstream in("/proc/self/statm");
  long pages = 0, resident = 0;
  in >> pages >> resident;
  return resident * 4;
}
#endif

GameScript monkeyScript(unsigned seed, uint32_t minutes) {
  GameScript s;
  s.seed = seed;
  s.durationMs = minutes * 60u * 1000u;
  std::mt19937 rng(seed);
  const SDLKey keys[] = {SDLK_w, SDLK_a, SDLK_s, SDLK_d, SDLK_UP, SDLK_DOWN, SDLK_LEFT, SDLK_RIGHT};
  bool keyDown[8] = {};
  bool button = false;
  int mx = 256, my = 256;
  for (uint32_t t = 0; t < s.durationMs; t += 16) {
    int roll = static_cast<int>(rng() % 100);
    TimedEvent e;
    e.tick = t;
    if (roll < 6) {
      int k = static_cast<int>(rng() % 8);
      keyDown[k] = !keyDown[k];
      e.event = testing_support::keyEvent(keyDown[k], keys[k]);
    } else if (roll < 40) {
      // Mostly small moves, sometimes a jump anywhere, sometimes the shop row.
      if (rng() % 10 == 0) {
        mx = static_cast<int>(rng() % 512);
        my = rng() % 3 == 0 ? 90 : static_cast<int>(rng() % 512);
      } else {
        mx = std::clamp(mx + static_cast<int>(rng() % 41) - 20, 0, 511);
        my = std::clamp(my + static_cast<int>(rng() % 41) - 20, 0, 511);
      }
      e.event = testing_support::motionEvent(mx, my);
    } else if (roll < 44) {
      button = !button;
      e.event = testing_support::buttonEvent(button, 1, mx, my);
    } else if (roll < 48) {
      e.event = testing_support::buttonEvent(true, rng() % 2 ? 4 : 5, mx, my);
    } else if (roll < 49) {
      e.event = testing_support::buttonEvent(rng() % 2 == 0, 2 + static_cast<int>(rng() % 2), mx, my);
    } else {
      continue;
    }
    s.events.push_back(e);
  }
  return s;
}

// Checks the world every second of game time and logs the memory in use.
void checkWorld(CApplication& app, uint32_t gameMs) {
  static uint32_t lastSecond = 0;
  if (gameMs / 1000 == lastSecond) return;
  lastSecond = gameMs / 1000;
  int problems = 0;
  std::set<const ISingleCell*> seen;
  for (int i = 0; i < g_cellGrid.slotCount + 1; ++i) {
    const ISingleCell* c = g_cellGrid.slots[i];
    if (!c) continue;
    if (!seen.insert(c).second) ++problems;  // a cell in two slots
    if (c->getType() == 2) {
      const auto* b = static_cast<const CBloodCell*>(c);
      bool inside = b->x >= 0 && b->x < g_cellGrid.width && b->y >= 0 && b->y < g_cellGrid.height;
      if (inside && b->x + b->y * g_cellGrid.width != i) ++problems;  // stale position
    }
  }
  std::set<const CGamePart*> parts(g_partList.begin(), g_partList.end());
  if (parts.size() != g_partList.size()) ++problems;
  if (app.drag().part && !parts.count(app.drag().part)) ++problems;  // dangling drag
  std::printf("check %u problems %d memory %ld\n", gameMs, problems, memoryKb());
  std::fflush(stdout);
}

struct Sample {
  uint32_t ms;
  int problems;
  long rss;
};

std::vector<Sample> samples(const std::string& output) {
  std::vector<Sample> out;
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    Sample s{};
    if (std::sscanf(line.c_str(), "check %u problems %d memory %ld", &s.ms, &s.problems, &s.rss) == 3) out.push_back(s);
  }
  return out;
}

TEST(MonkeySoak, RandomPlayKeepsTheWorldConsistentAndMemoryFlat) {
  const char* env = std::getenv("VESICOR_SOAK_MINUTES");
  uint32_t minutes = env ? static_cast<uint32_t>(std::atoi(env)) : 2;
  const char* seedEnv = std::getenv("VESICOR_SOAK_SEED");
  unsigned seed = seedEnv ? static_cast<unsigned>(std::atoi(seedEnv)) : 20261206u;
  GameScript script = monkeyScript(seed, minutes);
  auto result = testing_support::runGame(script, checkWorld);

  ASSERT_TRUE(result.started) << result.output;
  ASSERT_FALSE(result.crashed) << "exit " << result.exitCode;
  auto s = samples(result.output);
  ASSERT_GE(s.size(), static_cast<size_t>(minutes * 60 - 1));
  for (const Sample& x : s) ASSERT_EQ(x.problems, 0) << "at " << x.ms << " ms";

  // Memory after the first minute may not keep growing: compare the second
  // half of the run with the sample at one minute.
  long atOneMinute = 0, highest = 0;
  for (const Sample& x : s) {
    if (atOneMinute == 0 && x.ms >= 60000) atOneMinute = x.rss;
    if (x.ms >= 60000) highest = std::max(highest, x.rss);
  }
  ASSERT_GT(atOneMinute, 0);
  EXPECT_LE(highest, atOneMinute + 8 * 1024) << "memory grew from " << atOneMinute << " kB to "
                                             << highest << " kB";
  std::printf("monkey soak: %u min, %d frames, %d steps, peak RSS %ld kB, memory %ld kB at 1 min and %ld kB at "
              "most after, values %g / %g, parts %d\n",
              minutes, result.frames, result.steps, result.peakRssKb, atOneMinute, highest, result.value1,
              result.value2, result.parts);
}

}  // namespace
