// Proves the shipped board: the stomach's walls hold five minutes of spout
// blood, which reaches both collectors fairly and from the start. (What the
// shipped parts and settings hold is pinned by the replays.)
#include <gtest/gtest.h>

#include <deque>
#include <memory>
#include <vector>

#include "platform/device.h"
#include "platform/null_device.h"
#include "render/image.h"
#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"
#include "sim/random.h"
#include "sim/sim_step.h"

namespace {

constexpr int kSpoutColumn = 121, kMinuteOfSteps = 60 * 1000 / 16;  // 3750

long g_earned[3];

bool isGround(int x, int y) {
  const ISingleCell* c = g_cellGrid.atRaw(x, y);
  return c && c->getType() == 1;
}

// The stomach stamped as the game's scene stamps it on a fresh grid, then
// every slot blood can reach from the spout through cells that are not wall.
TEST(Board, FiveMinutesOfSpoutBloodStayInsideAndReachTheCollectorsFairly) {
  platform::setDevice(platform::createNullDevice());
  resetSimulation();
  std::unique_ptr<CAlphaMask> mask = loadAlphaMask("data/gfx/stomach_mask.png");
  ASSERT_TRUE(mask);
  CPlacedMask stomach;
  stomach.id = 2;
  stomach.rotatedMask = mask.get();
  stomach.gridX = 127.0f;
  stomach.gridY = 105.5f;
  stamp(stomach, {0.0f, -1.0f});
  const int w = g_cellGrid.width, h = g_cellGrid.height;
  std::vector<bool> inside(static_cast<size_t>(w) * h, false);
  std::deque<std::pair<int, int>> open{{kSpoutColumn, 0}};
  while (!open.empty()) {
    auto [x, y] = open.front();
    open.pop_front();
    if (x < 0 || x >= w || y < 0 || y >= h || inside[size_t(x + y * w)] || isGround(x, y)) continue;
    inside[size_t(x + y * w)] = true;
    for (auto [nx, ny] : {std::pair{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}}) open.push_back({nx, ny});
  }
  loadAllImages();  // so the drops share one particle picture
  seedRandom(20261206u);
  setEarnReceiver([](int player, int amount) { if (player == 1 || player == 2) g_earned[player] += amount; });

  long firstMinute = 0;
  for (int i = 1; i <= 5 * kMinuteOfSteps; ++i) {
    simulationStep();
    if (i == kMinuteOfSteps) firstMinute = g_earned[1] + g_earned[2];
  }
  long bloodInGrid = 0, outside = 0;  // spare slots past the grid's height count as outside
  for (size_t i = 0; i < g_cellGrid.slots.size(); ++i) {
    const bool blood = g_cellGrid.slots[i] && g_cellGrid.slots[i]->getType() == 2;
    bloodInGrid += blood;
    outside += blood && (i >= inside.size() || !inside[i]);
  }
  const BloodStats& s = bloodStats();
  EXPECT_EQ(outside + long(s.lost), 0) << "blood escaped the stomach's walls";
  // Only the collectors and the clean-up under the spout take blood away.
  EXPECT_EQ(s.destroyed, s.collected[0] + s.collected[1] + s.cleanedTop);
  EXPECT_EQ(static_cast<long>(s.created - s.destroyed), bloodInGrid);
  EXPECT_EQ(long(s.collected[0]) * 1000 + long(s.collected[1]), g_earned[1] * 1000 + g_earned[2]);
  // Nothing holds the blood back: the ridge splits the stream from the start,
  // so the first minute already pays for most of its fifth of the blood.
  EXPECT_GT(firstMinute * 6, static_cast<long>(s.created)) << "the board holds the blood back";
  const long total = g_earned[1] + g_earned[2];
  EXPECT_TRUE(g_earned[1] * 100 > total * 45 && g_earned[2] * 100 > total * 45) << "a collector starves";
  resetSimulation();
  setEarnReceiver(nullptr);
  releaseAllTextures();
  platform::releaseDevice();
}

}  // namespace
