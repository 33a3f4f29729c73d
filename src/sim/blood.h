// The blood automaton: the per-step driver, the active box, the maintenance
// call with its wake-up pass, top clean-up and the players' collectors.
#pragma once

#include <cstdint>

class CCellGrid;

void step(CCellGrid& grid, int wakeFromRow);
void widenActiveBox(int x, int y);
void resetActiveBox();

struct ActiveBox {
  int xMin, xMax, yMin, yMax;
};
ActiveBox activeBox();
int bloodTick();
int stepCounter();

// The pieces a step is made of, for benchmarks and tests that drive one of
// them alone: the tick advance, a flow sweep over the active box, and the
// maintenance call (wake-up, top clean-up, collectors).
void advanceBloodTick();
void flowSweep(CCellGrid& grid);
void maintenanceCall(CCellGrid& grid, int wakeFromRow);

// Where collected blood is credited; the game manager connects itself here.
// With no receiver nothing is added.
using EarnFn = void (*)(int player, int amount);
void setEarnReceiver(EarnFn fn);

// Where blood cells came from and went to since the last reset, so a run can
// check that none appears or vanishes unaccounted.
struct BloodStats {
  uint64_t created = 0;      // blood cells constructed
  uint64_t destroyed = 0;    // blood cells destroyed, for any reason
  uint64_t collected[2] = {0, 0};  // taken by player 1's and player 2's collector
  uint64_t cleanedTop = 0;   // taken by the clean-up under the spout
  uint64_t lost = 0;         // pushed aside by ground with no free slot found
  uint64_t cleared = 0;      // destroyed by emptying the grid
};
BloodStats& bloodStats();

// Back to the state at program start (step counter, tick, box), for tests.
void resetBloodState();
