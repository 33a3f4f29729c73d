// Cost of the blood simulation on the game's 256 x 211 grid: a flow sweep
// over a board of moving blood, the average step and a maintenance call over
// a full settled board, and a full-grid sweep without the active box. Cases
// that restore the board between iterations time only the measured part, in
// CPU time; every case also gives its ratio to a straight pass over one byte
// per cell, measured in the same run, which holds up on a busy machine.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "bench_game.h"

#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "sim/random.h"
#include "sim/sim_step.h"

namespace {

CCellGrid& board() { return g_cellGrid; }

// The reference: a straight pass over 256 x 211 bytes, best of many, in
// microseconds of CPU time.
double referencePassUs() {
  static std::vector<uint8_t> cells = [] {
    std::vector<uint8_t> v(256 * 211);
    for (size_t i = 0; i < v.size(); ++i) v[i] = static_cast<uint8_t>(i * 7 % 5);
    return v;
  }();
  double best = 1e9;
  for (int rep = 0; rep < 200; ++rep) {
    const double t0 = bench::threadCpuMs();
    unsigned count = 0;
    for (uint8_t c : cells) count += c != 0;
    benchmark::DoNotOptimize(count);
    benchmark::ClobberMemory();
    best = std::min(best, (bench::threadCpuMs() - t0) * 1000.0);
  }
  return best;
}

void setReferenceRatio(benchmark::State& state, double reference, double caseUs) {
  state.counters["reference_us"] = reference;
  state.counters["per_reference"] = caseUs / reference;
}

// Times one iteration's measured part in CPU time (timer pauses would
// otherwise cost more than some of the work) and adds it to the total.
class CpuLap {
 public:
  CpuLap(benchmark::State& state, double& totalUs) : state_(state), total_(totalUs), t0_(bench::threadCpuMs()) {}
  ~CpuLap() {
    const double us = (bench::threadCpuMs() - t0_) * 1000.0;
    total_ += us;
    state_.SetIterationTime(us / 1e6);
  }

 private:
  benchmark::State& state_;
  double& total_;
  double t0_;
};

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
  const double reference = referencePassUs();
  MovingBoard b;
  double totalUs = 0;
  for (auto _ : state) {
    b.restore();
    CpuLap lap(state, totalUs);
    advanceBloodTick();
    flowSweep(board());
  }
  state.counters["cells"] = static_cast<double>(b.size());
  setReferenceRatio(state, reference, totalUs / double(state.iterations()));
}
BENCHMARK(BM_A_FlowSweepMovingBoard)->UseManualTime()->Unit(benchmark::kMicrosecond);

// The average step of a settled board, the maintenance call of every
// eleventh step included: what a quiet board costs per step.
void BM_B_StepSettledFullBoard(benchmark::State& state) {
  const double reference = referencePassUs();
  fillBoard(true);
  settle();
  const double t0 = bench::threadCpuMs();
  for (auto _ : state) step(board(), 255);
  const double us = (bench::threadCpuMs() - t0) * 1000.0 / double(state.iterations());
  resetSimulation();
  setReferenceRatio(state, reference, us);
}
BENCHMARK(BM_B_StepSettledFullBoard)->Unit(benchmark::kMicrosecond)->Iterations(11 * 400);

void BM_C_MaintenanceFullBoard(benchmark::State& state) {
  const double reference = referencePassUs();
  fillBoard(false, state.range(0) != 0);
  settle();
  double totalUs = 0;
  for (auto _ : state) {
    {
      CpuLap lap(state, totalUs);
      advanceBloodTick();
      maintenanceCall(board(), 255);
    }
    // Refill what the collectors and the clean-up took, so every call
    // meets a full board.
    for (int y = 0; y < board().height; ++y)
      for (int x = 0; x < board().width; ++x)
        if (!board().atRaw(x, y)) board().putBlood(x, y);
  }
  resetSimulation();
  setReferenceRatio(state, reference, totalUs / double(state.iterations()));
}
BENCHMARK(BM_C_MaintenanceFullBoard)->ArgName("scattered")->Arg(0)->Arg(1)->UseManualTime()->Unit(
    benchmark::kMicrosecond);

void BM_D_FullGridSweepSettledFullBoard(benchmark::State& state) {
  const double reference = referencePassUs();
  fillBoard(true);
  settle();
  const double t0 = bench::threadCpuMs();
  for (auto _ : state) fullGridSweep(board());
  const double us = (bench::threadCpuMs() - t0) * 1000.0 / double(state.iterations());
  resetSimulation();
  setReferenceRatio(state, reference, us);
}
BENCHMARK(BM_D_FullGridSweepSettledFullBoard)->Unit(benchmark::kMicrosecond);

// For comparison with (a): the same moving board swept without the box.
void BM_FullGridSweepMovingBoard(benchmark::State& state) {
  const double reference = referencePassUs();
  MovingBoard b;
  double totalUs = 0;
  for (auto _ : state) {
    b.restore();
    CpuLap lap(state, totalUs);
    fullGridSweep(board());
  }
  setReferenceRatio(state, reference, totalUs / double(state.iterations()));
}
BENCHMARK(BM_FullGridSweepMovingBoard)->UseManualTime()->Unit(benchmark::kMicrosecond);

// One whole step of the main loop on a board that has been filling for a while.
void BM_SimulationStepFillingBoard(benchmark::State& state) {
  const double reference = referencePassUs();
  resetSimulation();
  seedRandom(7);
  for (int x = 0; x < board().width; ++x) board().at(x, 200) = new CGroundCell(1);
  for (int i = 0; i < 3000; ++i) simulationStep();
  const double t0 = bench::threadCpuMs();
  for (auto _ : state) simulationStep();
  const double us = (bench::threadCpuMs() - t0) * 1000.0 / double(state.iterations());
  resetSimulation();
  setReferenceRatio(state, reference, us);
}
BENCHMARK(BM_SimulationStepFillingBoard)->Unit(benchmark::kMicrosecond)->Iterations(2000);

// The reference on its own, for the table.
void BM_Reference_StraightPass54016Bytes(benchmark::State& state) {
  for (auto _ : state) state.SetIterationTime(referencePassUs() / 1e6);
}
BENCHMARK(BM_Reference_StraightPass54016Bytes)->UseManualTime()->Unit(benchmark::kMicrosecond)->Iterations(20);

}  // namespace
