// Cost of the blood simulation on the game's 256 x 211 grid: a flow sweep
// over a board of moving blood, an ordinary step and a maintenance call over
// a full settled board, and a full-grid sweep without the active box.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "globals.h"
#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "sim/random.h"
#include "sim/sim_step.h"

namespace {

CCellGrid& board() { return g_cellGrid; }

void wholeBoxActive() {
  resetActiveBox();
  widenActiveBox(0, 0);
  widenActiveBox(board().width - 1, board().height - 1);
}

// Blood in every other row, each cell with free space below, so that one
// sweep moves every cell of the board. Restored before every sweep.
class MovingBoard {
 public:
  MovingBoard() {
    resetSimulation();
    seedRandom(1);
    for (int y = 1; y < board().height - 1; y += 2)
      for (int x = 1; x < board().width - 1; ++x) {
        board().putBlood(x, y);
        cells_.push_back(static_cast<CBloodCell*>(board().at(x, y)));
        home_.push_back({x, y});
      }
  }
  ~MovingBoard() { resetSimulation(); }

  void restore() {
    std::fill(board().slots.begin(), board().slots.end(), nullptr);
    for (size_t i = 0; i < cells_.size(); ++i) {
      CBloodCell* c = cells_[i];
      c->x = home_[i].x;
      c->y = home_[i].y;
      c->state = 1;
      c->fall = 0;
      c->slide = 0;
      c->settledCount = 0;
      c->asleep = false;
      board().at(c->x, c->y) = c;
    }
    wholeBoxActive();
  }

  size_t size() const { return cells_.size(); }

 private:
  struct Pos {
    int x, y;
  };
  std::vector<CBloodCell*> cells_;
  std::vector<Pos> home_;
};

// Every slot filled. For the settled board the collectors and the strip under
// the spout are ground, so maintenance takes nothing and nothing ever moves.
// Scattered fills the slots in a shuffled order, so that cells neighbouring
// on the board lie far apart in memory, as after a long game.
void fillBoard(bool groundWhereBloodIsTaken, bool scattered = false) {
  resetSimulation();
  seedRandom(1);
  std::vector<int> order(static_cast<size_t>(board().width) * board().height);
  for (size_t i = 0; i < order.size(); ++i) order[i] = static_cast<int>(i);
  if (scattered) {
    for (size_t i = order.size() - 1; i > 0; --i) std::swap(order[i], order[std::rand() % (i + 1)]);
  }
  for (int i : order) {
    const int x = i % board().width;
    const int y = i / board().width;
    const bool collector = y >= 141 && y <= 150 && ((x >= 41 && x <= 50) || (x >= 205 && x <= 214));
    const bool spoutStrip = y == 0 && x >= 90 && x <= 159;
    if (groundWhereBloodIsTaken && (collector || spoutStrip)) {
      board().at(x, y) = new CGroundCell(1);
    } else {
      board().putBlood(x, y);
    }
  }
}

void settle() {
  // Enough maintenance calls for every cell to settle and fall asleep.
  for (int i = 0; i < 11 * 60; ++i) step(board(), 255);
}

// The sweep a grid without an active box would make: every row, every slot.
void fullGridSweep(CCellGrid& g) {
  advanceBloodTick();
  for (int y = g.height - 1; y >= 0; --y) {
    if (std::rand() % 2 == 0) {
      for (int x = g.width - 1; x >= 0; --x)
        if (ISingleCell* c = g.atRaw(x, y)) c->update(false);
    } else {
      for (int x = 0; x < g.width; ++x)
        if (ISingleCell* c = g.atRaw(x, y)) c->update(false);
    }
  }
}

void BM_A_FlowSweepMovingBoard(benchmark::State& state) {
  MovingBoard b;
  for (auto _ : state) {
    state.PauseTiming();
    b.restore();
    state.ResumeTiming();
    advanceBloodTick();
    flowSweep(board());
  }
  state.counters["cells"] = static_cast<double>(b.size());
}
BENCHMARK(BM_A_FlowSweepMovingBoard)->Unit(benchmark::kMicrosecond);

void BM_B_StepSettledFullBoard(benchmark::State& state) {
  fillBoard(true);
  settle();
  for (auto _ : state) {
    if (stepCounter() == 10) {
      state.PauseTiming();
      step(board(), 255);  // the maintenance call is measured on its own
      state.ResumeTiming();
    }
    step(board(), 255);
  }
  resetSimulation();
}
BENCHMARK(BM_B_StepSettledFullBoard)->Unit(benchmark::kMicrosecond);

void BM_C_MaintenanceFullBoard(benchmark::State& state) {
  fillBoard(false, state.range(0) != 0);
  settle();
  for (auto _ : state) {
    advanceBloodTick();
    maintenanceCall(board(), 255);
    state.PauseTiming();
    // Refill what the collectors and the clean-up took, so every call
    // meets a full board.
    for (int y = 0; y < board().height; ++y)
      for (int x = 0; x < board().width; ++x)
        if (!board().atRaw(x, y)) board().putBlood(x, y);
    state.ResumeTiming();
  }
  resetSimulation();
}
BENCHMARK(BM_C_MaintenanceFullBoard)->ArgName("scattered")->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);

void BM_D_FullGridSweepSettledFullBoard(benchmark::State& state) {
  fillBoard(true);
  settle();
  for (auto _ : state) fullGridSweep(board());
  resetSimulation();
}
BENCHMARK(BM_D_FullGridSweepSettledFullBoard)->Unit(benchmark::kMicrosecond);

// For comparison with (a): the same moving board swept without the box.
void BM_FullGridSweepMovingBoard(benchmark::State& state) {
  MovingBoard b;
  for (auto _ : state) {
    state.PauseTiming();
    b.restore();
    state.ResumeTiming();
    fullGridSweep(board());
  }
}
BENCHMARK(BM_FullGridSweepMovingBoard)->Unit(benchmark::kMicrosecond);

// One whole step of the main loop on a board that has been filling for a while.
void BM_SimulationStepFillingBoard(benchmark::State& state) {
  resetSimulation();
  seedRandom(7);
  for (int x = 0; x < board().width; ++x) board().at(x, 200) = new CGroundCell(1);
  for (int i = 0; i < 3000; ++i) simulationStep();
  for (auto _ : state) simulationStep();
  resetSimulation();
}
BENCHMARK(BM_SimulationStepFillingBoard)->Unit(benchmark::kMicrosecond)->Iterations(2000);

}  // namespace
