// The blood automaton: flow sweeps over the active box, the flow rule of a
// blood cell, and every eleventh step the wake-up, clean-up and collectors.
#include "sim/blood.h"

#include <cstdlib>

#include "sim/board.h"
#include "sim/cell_grid.h"

namespace {

int g_stepCounter = 0;
int g_bloodTick = 0;
ActiveBox g_box = {0, 0, 0, 0};
EarnFn g_earn = nullptr;
BloodStats g_stats;

using board::kCollectorSize;
using board::kCollectorTop;
using board::kLeftCollectorX;
using board::kRightCollectorX;
// Row 0 under the spout, emptied so the spout never chokes on its own blood.
constexpr int kTopCleanFirst = 90;
constexpr int kTopCleanLast = 159;

inline void widen(int x, int y) {
  if (x > g_box.xMax) g_box.xMax = x;
  if (x < g_box.xMin) g_box.xMin = x;
  if (y > g_box.yMax) g_box.yMax = y;
  if (y < g_box.yMin) g_box.yMin = y;
}

// Calls a cell's update, directly for blood and not at all for ground, which
// does nothing; only a cell of an unknown kind pays for the virtual call.
inline void updateCell(ISingleCell* c, bool force);

// moveTo for the moves the flow rule makes: the cell lies inside the border
// and the target inside the grid, so neither position needs clamping.
inline void moveWithin(CBloodCell& c, ISingleCell** slots, int w, int nx, int ny) {
  ISingleCell** from = slots + (c.x + c.y * w);
  ISingleCell** to = slots + (nx + ny * w);
  ISingleCell* held = *to;
  *to = *from;
  *from = held;
  c.x = nx;
  c.y = ny;
  widen(nx, ny);
  c.asleep = false;
}

// The flow rule. Kept in this file so the sweeps below can inline it.
inline void flowRule(CBloodCell& c, bool force) {
  if (!force && c.asleep) return;
  if (c.lastTick == g_bloodTick) return;
  c.lastTick = g_bloodTick;
  if (c.state == 3 && c.settledCount > 50) c.asleep = true;

  CCellGrid& g = *c.grid;
  const int w = g.width;
  const int h = g.height;
  const int x = c.x;
  const int y = c.y;
  if (x < 1 || x >= w - 1 || y < 1 || y >= h - 1) return;

  ISingleCell** slots = g.slots.data();
  ISingleCell** row = slots + (x + y * w);
  const bool leftTaken = row[-1] != nullptr;
  const bool rightTaken = row[1] != nullptr;
  if (c.state == 3) {
    ++c.settledCount;
  } else {
    c.settledCount = 0;
  }

  ISingleCell** below = row + w;
  if (!*below) {
    moveWithin(c, slots, w, x, y + 1);
    if (c.state == 1) {
      c.fall += 0.125f;
      // Every 2 that fall exceeds 1 by buys one more attempted move, drifting
      // at random: one in seven left, one in seven right.
      for (float t = c.fall - 1; t > 0 && c.y < h - 1; t -= 2) {
        const int r = std::rand() % 7;
        const int nx = c.x + (r == 1 ? -1 : (r == 2 ? 1 : 0));
        if (nx >= 0 && nx <= w - 1 && !slots[nx + (c.y + 1) * w]) moveWithin(c, slots, w, nx, c.y + 1);
      }
      return;
    }
    c.fall = 0;
    c.state = 1;
    return;
  }
  if (!below[1]) {
    moveWithin(c, slots, w, x + 1, y + 1);
    c.state = 1;
    return;
  }
  if (!below[-1]) {
    moveWithin(c, slots, w, x - 1, y + 1);
    c.state = 1;
    return;
  }
  if (!rightTaken && leftTaken) {
    c.slide += 0.9f;
    if (absf(c.slide) >= 1) {
      moveWithin(c, slots, w, x + 1, y);
      c.slide -= 1;
    }
    c.state = 2;
    return;
  }
  if (rightTaken && !leftTaken) {
    c.slide -= 0.9f;
    if (absf(c.slide) >= 1) {
      moveWithin(c, slots, w, x - 1, y);
      c.slide += 1;
    }
    c.state = 2;
    return;
  }
  if (g.at(x + 1, y) && g.at(x - 1, y)) c.state = 3;
}

// The wake-up pass is bound by fetching cells, which lie wherever they were
// allocated; asking for the cells a little ahead of the visit hides that. The
// flow sweeps meet cells that were touched in the steps just before, where
// the extra requests only get in the way.
constexpr int kPrefetchAhead = 12;

inline void prefetchCell(const ISingleCell* c) {
  if (c) __builtin_prefetch(c, 1);
}

// Both ends of a row, since its direction is only drawn when it is reached.
inline void prefetchRowEnds(const CCellGrid& g, int y, int xMin, int xMax) {
  if (y < 0) return;
  const ISingleCell* const* row = &g.slots[static_cast<size_t>(y) * g.width];
  for (int k = 0; k < kPrefetchAhead && xMin + k <= xMax; ++k) {
    prefetchCell(row[xMin + k]);
    prefetchCell(row[xMax - k]);
  }
}

// Visits one row of a sweep in the direction drawn for it, updating every
// occupied slot. Slots are re-read at every column: a cell updated a moment
// ago may have moved into the next one.
template <bool kPrefetch>
inline void sweepRow(CCellGrid& g, int y, int xMin, int xMax, bool descending, bool force) {
  ISingleCell** row = &g.slots[static_cast<size_t>(y) * g.width];
  if (descending) {
    for (int x = xMax; x >= xMin; --x) {
      if (kPrefetch && x - kPrefetchAhead >= xMin) prefetchCell(row[x - kPrefetchAhead]);
      if (ISingleCell* c = row[x]) updateCell(c, force);
    }
  } else {
    for (int x = xMin; x <= xMax; ++x) {
      if (kPrefetch && x + kPrefetchAhead <= xMax) prefetchCell(row[x + kPrefetchAhead]);
      if (ISingleCell* c = row[x]) updateCell(c, force);
    }
  }
}

inline void updateCell(ISingleCell* c, bool force) {
  if (c->kind == ISingleCell::kBlood) {
    flowRule(*static_cast<CBloodCell*>(c), force);
  } else if (c->kind != ISingleCell::kGround) {
    c->update(force);
  }
}
}  // namespace

void CBloodCell::update(bool force) { flowRule(*this, force); }

void CBloodCell::moveTo(int nx, int ny) {
  ISingleCell*& from = grid->at(x, y);
  ISingleCell*& to = grid->at(nx, ny);
  ISingleCell* held = to;
  to = from;
  from = held;
  x = nx;
  y = ny;
  widen(nx, ny);
  asleep = false;
}

void widenActiveBox(int x, int y) { widen(x, y); }

void resetActiveBox() { g_box = {board::kWidth, 0, board::kHeight, 0}; }

ActiveBox activeBox() { return g_box; }
int bloodTick() { return g_bloodTick; }
int stepCounter() { return g_stepCounter; }
void setEarnReceiver(EarnFn fn) { g_earn = fn; }
BloodStats& bloodStats() { return g_stats; }

void resetBloodState() {
  g_stepCounter = 0;
  g_bloodTick = 0;
  g_box = {0, 0, 0, 0};
}

void advanceBloodTick() { ++g_bloodTick; }

void step(CCellGrid& grid, int wakeFromRow) {
  advanceBloodTick();
  if (++g_stepCounter >= board::kWakePeriod) {
    g_stepCounter = 0;
    maintenanceCall(grid, wakeFromRow);
    return;
  }
  flowSweep(grid);
}

void flowSweep(CCellGrid& grid) {
  ActiveBox b = g_box;
  resetActiveBox();
  // The box is clamped to the real rows and columns; for the game's grid
  // that is 0 ... 255 and 0 ... 210.
  b.xMin = clampi(b.xMin, 0, grid.width - 1);
  b.xMax = clampi(b.xMax, 0, grid.width - 1);
  b.yMin = clampi(b.yMin, 0, grid.height - 1);
  b.yMax = clampi(b.yMax, 0, grid.height - 1);
  if (b.yMax < b.yMin) return;
  for (int y = b.yMax; y >= b.yMin; --y) {
    const bool descending = std::rand() % 2 == 0;
    sweepRow<false>(grid, y, b.xMin, b.xMax, descending, false);
  }
}

namespace {
void collect(CCellGrid& grid, int x, int y, int player) {
  ISingleCell*& slot = grid.at(x, y);
  if (!slot || slot->getType() != 2) return;
  delete slot;
  slot = nullptr;
  ++g_stats.collected[player - 1];
  if (g_earn) g_earn(player, 1);
}
}  // namespace

void maintenanceCall(CCellGrid& grid, int wakeFromRow) {
  resetActiveBox();
  const int w = grid.width;
  const int firstRow = wakeFromRow < grid.height - 1 ? wakeFromRow : grid.height - 1;
  if (firstRow >= 1) prefetchRowEnds(grid, firstRow, 0, w - 1);
  for (int y = firstRow; y >= 1; --y) {
    // Right to left stops at column 1, left to right starts at column 0.
    const bool descending = std::rand() % 2 == 0;
    if (y > 1) prefetchRowEnds(grid, y - 1, 0, w - 1);
    if (descending) {
      sweepRow<true>(grid, y, 1, w - 1, true, true);
    } else {
      sweepRow<true>(grid, y, 0, w - 1, false, true);
    }
  }

  for (int i = kTopCleanFirst; i <= kTopCleanLast; ++i) {
    ISingleCell*& slot = grid.atIndex(i);
    if (slot && slot->getType() == 2) {
      delete slot;
      slot = nullptr;
      ++g_stats.cleanedTop;
    }
  }

  for (int r = 0; r < kCollectorSize; ++r) {
    for (int k = 0; k < kCollectorSize; ++k) {
      collect(grid, kLeftCollectorX + k, kCollectorTop + r, 1);
      collect(grid, kRightCollectorX + k, kCollectorTop + r, 2);
    }
  }
}
