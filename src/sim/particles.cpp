// Blood drops: flight under gravity in grid coordinates, submerged flight
// through blood, and the impact that makes a blood cell and a splash.
#include "sim/particles.h"

#include <cmath>
#include <cstdlib>

#include "sim/cell_grid.h"
#include "sim/random.h"
#include "core/lifetime.h"

std::vector<CParticle*> g_particleList VESICOR_LIFETIME(lifetime::kParticleList);

namespace {

DropView g_dropView;

constexpr float kGravityY = 0.5f;
constexpr float kRate = 0.65f;
constexpr float kSubmergedRate = 0.5f;
constexpr float kSubmergedGravity = 0.25f;
constexpr float kDiscardMargin = 512.0f;
constexpr int kImpactTries = 10;
constexpr float kImpactJitter = 0.25f;

void splash(CCellGrid* grid, int sx, int sy, Vec2 v) {
  const int count = randomInt(2, 7);
  for (int n = 0; n < count; ++n) {
    const float speed = randomFloat(0.05f, 0.25f);
    const float wx = -speed * v.x;
    const float wy = -speed * v.y;
    const float a = randomFloat(-1.0f, 1.0f);
    const float ca = std::cos(a);
    const float sa = std::sin(a);
    spawnSplash(grid, sx, sy, {ca * wx - sa * wy, sa * wx + ca * wy}, false);
  }
}

}  // namespace

CParticle::CParticle(CCellGrid* grid) : grid(grid) {
  if (g_dropView.created) g_dropView.created(*this);
}

CParticle::~CParticle() {
  if (g_dropView.destroyed) g_dropView.destroyed(*this);
}

void setDropView(const DropView& view) { g_dropView = view; }

void CParticle::update() {
  const float sumSquares = vx * vx + vy * vy;
  const float speed = std::sqrt(sumSquares);
  float ux = 0;
  float uy = 0;
  if (speed > 0) {
    ux = vx / speed;
    uy = vy / speed;
  }
  float n = speed * kRate;
  if (submerged) n = n * kSubmergedRate;

  // Without a grid there is nothing to hit and the margin is taken around an
  // empty board.
  const int width = grid ? grid->width : 0;
  const int height = grid ? grid->height : 0;
  if (n > 0) {
    for (float k = 0; k < n; k += 1) {
      x += ux;
      y += uy;
      if (x < -kDiscardMargin || y < -kDiscardMargin || x >= width + kDiscardMargin ||
          y >= height + kDiscardMargin) {
        dead = true;
        break;
      }
      ISingleCell* cell = nullptr;
      if (x >= 0 && x < width && y >= 0 && y < height) cell = grid->at(static_cast<int>(x), static_cast<int>(y));
      if (submerged) {
        if (!cell || cell->getType() != 2) submerged = false;
        continue;
      }
      if (cell && cell->getState() == 3) {
        dead = true;
        if (!makesBlood) return;
        // A dead drop still finishes its sub-steps and makes blood again in
        // every further solid cell it enters this step.
        impact(grid, static_cast<int>(x), static_cast<int>(y), {vx, vy});
      }
    }
  }
  const float f = submerged ? kSubmergedGravity : kRate;
  vx += 0 * f;
  vy += kGravityY * f;
}

std::vector<CParticle*>& particleList() { return g_particleList; }

void spawnDrop(CCellGrid* grid, int cx, int cy, Vec2 velocity, bool noBlood) {
  auto* p = new CParticle(grid);
  p->x = static_cast<float>(cx);
  p->y = static_cast<float>(cy);
  p->vx = velocity.x;
  p->vy = velocity.y;
  p->makesBlood = !noBlood;
  if (grid && grid->at(cx, cy)) p->submerged = true;
  g_particleList.push_back(p);
}

void spawnSplash(CCellGrid* grid, int x, int y, Vec2 velocity, bool makesBlood) {
  auto* p = new CParticle(grid);
  p->x = static_cast<float>(x);
  p->y = static_cast<float>(y);
  p->vx = velocity.x;
  p->vy = velocity.y;
  p->makesBlood = makesBlood;
  g_particleList.push_back(p);
}

void stepParticles() {
  std::vector<CParticle*>& list = g_particleList;
  size_t i = 0;
  while (i < list.size()) {
    CParticle* p = list[i];
    p->update();
    if (p->dead) {
      delete p;
      list[i] = list.back();
      list.pop_back();
      continue;  // the drop moved in here has not been updated in this pass
    }
    if (g_dropView.moved) g_dropView.moved(*p);
    ++i;
  }
}

void impact(CCellGrid* grid, int cx, int cy, Vec2 v) {
  if (!grid) return;
  if (!grid->at(cx, cy)) {
    grid->putBlood(cx, cy);
    splash(grid, cx, cy, v);
    return;
  }

  // Back along the flight, a little wider each try, for a free slot.
  const float length = std::sqrt(v.x * v.x + v.y * v.y);
  Vec2 dir;
  if (length > 0) dir = {v.x / length, v.y / length};
  float px = static_cast<float>(cx);
  float py = static_cast<float>(cy);
  for (int t = 0; t < kImpactTries; ++t) {
    px -= dir.x;
    py -= dir.y;
    const float j = t * kImpactJitter;
    const float qx = px + randomFloat(-j, j);
    const float qy = py + randomFloat(-j, j);
    const int ix = static_cast<int>(qx);
    const int iy = static_cast<int>(qy);
    if (!grid->at(ix, iy)) {
      grid->putBlood(ix, iy);
      splash(grid, cx, cy, v);
      return;
    }
  }

  if (std::rand() % 5 != 1) {
    splash(grid, cx, cy, v);
    return;
  }
  // Climb: wander up the column, a column at a time, to the first free slot.
  int b = clampi(cx, 3, 253);
  for (int row = cy; row >= 1; --row) {
    b = clampi(b + randomIntInclusive(-1, 1), 3, 253);
    if (!grid->at(b, row)) {
      grid->putBlood(b, row);
      break;
    }
  }
  splash(grid, b, cy, v);
}

void clearParticles() {
  for (CParticle* p : g_particleList) delete p;
  g_particleList.clear();
}
