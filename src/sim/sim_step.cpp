// The simulation step of the main loop, the reset tests and replays start
// from, and the state fingerprint replays compare.
#include "sim/sim_step.h"

#include <cstring>

#include "sim/blood.h"
#include "sim/board.h"
#include "sim/cell_grid.h"
#include "sim/particles.h"
#include "sim/random.h"
#include "core/fnv.h"

namespace {

// The row to wake from on maintenance: below the grid, so all of it.
constexpr int kWakeFromRow = 255;


}  // namespace

void simulationStep() {
  const float vy = randomFloat(-1.5f, -0.5f);
  const float vx = randomFloat(-1.5f, 1.5f);
  int cx = 0;
  int cy = 0;
  screenToCell({board::kSpoutX, board::kSpoutY}, cx, cy);
  spawnDrop(&g_cellGrid, cx, cy, {vx, vy}, false);
  step(g_cellGrid, kWakeFromRow);
  stepParticles();
}

void resetSimulation() {
  clearParticles();
  g_cellGrid.clear();
  resetBloodState();
  bloodStats() = BloodStats();
}

uint64_t simulationHash() {
  Fnv f;
  const CCellGrid& g = g_cellGrid;
  for (size_t i = 0; i < g.slots.size(); ++i) {
    const ISingleCell* c = g.slots[i];
    if (!c) continue;
    f.add(static_cast<uint32_t>(i));
    f.add(c->getType());
    f.add(c->getState());
    f.add(c->getOwner());
    if (c->kind == ISingleCell::kBlood) {
      const auto* b = static_cast<const CBloodCell*>(c);
      f.add(b->x);
      f.add(b->y);
      f.add(b->settledCount);
      f.add(b->asleep);
      f.add(b->fall);
      f.add(b->slide);
      f.add(b->lastTick);
    }
  }
  f.add(static_cast<uint32_t>(g_particleList.size()));
  for (const CParticle* p : g_particleList) {
    f.add(p->x);
    f.add(p->y);
    f.add(p->vx);
    f.add(p->vy);
    f.add(p->dead);
    f.add(p->makesBlood);
    f.add(p->submerged);
  }
  f.add(generatorState());
  const ActiveBox box = activeBox();
  f.add(box);
  f.add(bloodTick());
  f.add(stepCounter());
  return f.h;
}
