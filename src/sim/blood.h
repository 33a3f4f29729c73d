// The blood automaton: the per-step driver, the active box, the maintenance
// call with its wake-up pass, top clean-up and the players' collectors.
#pragma once

class CCellGrid;

void step(CCellGrid& grid, int wakeFromRow);
void widenActiveBox(int x, int y);
void resetActiveBox();

struct ActiveBox {
  int xMin, xMax, yMin, yMax;
};
ActiveBox activeBox();
int bloodTick();

// Where collected blood is credited; the game manager connects itself here.
// With no receiver nothing is added.
using EarnFn = void (*)(int player, int amount);
void setEarnReceiver(EarnFn fn);

// Back to the state at program start (step counter, tick, box), for tests.
void resetBloodState();
