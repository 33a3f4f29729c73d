// Shared set-up for the simulation tests: an empty process-wide grid, no
// drops, the blood state as at start, fixed seeds, and recorded earnings.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "globals.h"
#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "sim/particles.h"
#include "sim/random.h"
#include "sim/sim_step.h"

namespace simtest {

inline std::vector<std::pair<int, int>>& earnings() {
  static std::vector<std::pair<int, int>> calls;
  return calls;
}

inline void recordEarning(int player, int amount) { earnings().emplace_back(player, amount); }

class SimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    resetSimulation();
    seedRandom(20260611);
    earnings().clear();
    setEarnReceiver(&recordEarning);
  }
  void TearDown() override {
    setEarnReceiver(nullptr);
    resetSimulation();
  }

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

  int countBlood() {
    int n = 0;
    for (ISingleCell* c : grid().slots)
      if (c && c->getType() == 2) ++n;
    return n;
  }

  // One unforced update of a single cell, as a sweep would make it.
  void updateOnce(CBloodCell* c, bool force = false) {
    advanceBloodTick();
    c->update(force);
  }
};

}  // namespace simtest
