// Shared set-up for the simulation tests: an empty process-wide grid, no
// drops, the blood state as at start, fixed seeds, and recorded earnings.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <utility>
#include <vector>

#include "sim/alpha_mask.h"
#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "sim/particles.h"
#include "sim/placement.h"
#include "sim/random.h"
#include "sim/sim_step.h"

namespace simtest {

inline std::vector<std::pair<int, int>>& earnings() {
  static std::vector<std::pair<int, int>> calls;
  return calls;
}

inline std::unique_ptr<CAlphaMask> solidMask(int w, int h) {
  auto m = std::make_unique<CAlphaMask>(w, h);
  for (int& p : m->data) p = 255;
  return m;
}

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetSimulation();
    seedRandom(20260611);
    earnings().clear();
    setEarnReceiver([](int player, int amount) { earnings().emplace_back(player, amount); });
  }
  void TearDown() override { setEarnReceiver(nullptr), resetSimulation(); }

  CCellGrid& grid() { return g_cellGrid; }
  CBloodCell* bloodAt(int x, int y) {
    ISingleCell* c = grid().at(x, y);
    return c && c->getType() == 2 ? static_cast<CBloodCell*>(c) : nullptr;
  }
  void ground(int x0, int y0, int x1, int y1, int owner = 1) {
    for (int y = y0; y <= y1; ++y)
      for (int x = x0; x <= x1; ++x)
        if (!grid().at(x, y)) grid().at(x, y) = new CGroundCell(owner);
  }
  int count(int type, int owner = -2) {
    int n = 0;
    for (ISingleCell* c : grid().slots) n += c && c->getType() == type && (owner == -2 || c->getOwner() == owner);
    return n;
  }
  CPlacedMask part(CAlphaMask* mask, float gx, float gy, int id) {
    CPlacedMask p;
    p.gridX = gx, p.gridY = gy, p.rotatedMask = mask, p.id = id;
    return p;
  }
};

}  // namespace simtest
