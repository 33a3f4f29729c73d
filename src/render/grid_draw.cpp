// Drawing what the simulation holds: the blood of the cell grid as merged
// horizontal bars, and a sprite for every blood drop that follows it.
#include "render/grid_draw.h"

#include <cstddef>

#include "render/sprite.h"
#include "sim/cell_grid.h"
#include "sim/particles.h"

namespace {

void closeRun(float startX, float endX, float top) {
  const float bottom = top + kCellHeight;
  ColoredCorner c[4] = {{startX, top, kBloodColor},
                        {endX, top, kBloodColor},
                        {endX, bottom, kBloodColor},
                        {startX, bottom, kBloodColor}};
  drawColoredQuad(c);
}

void dropCreated(CParticle& drop) { drop.sprite = createSprite("data/gfx/particle.png", 100); }

void dropDestroyed(CParticle& drop) {
  destroySprite(drop.sprite);
  drop.sprite = nullptr;
}

void dropMoved(CParticle& drop) {
  if (CSprite* s = drop.sprite) {
    const Vec2 screen = gridToScreen({drop.x, drop.y});
    s->x = screen.x - s->width * 0.5f * s->scaleX;
    s->y = screen.y - s->height * 0.5f * s->scaleY;
  }
}

}  // namespace

void drawBlood(const CCellGrid& grid) {
  if (grid.height - 1 <= 0) return;
  float top = kGridTop;
  for (int row = 0; row < grid.height - 1; ++row) {
    float x = kGridLeft;
    float runStart = 0;
    bool open = false;
    ISingleCell* const* rowSlots = &grid.slots[static_cast<size_t>(row) * grid.width];
    for (int col = 0; col < grid.width - 1; ++col) {
      x += kCellWidth;
      const ISingleCell* c = rowSlots[col];
      const bool blood = c && (c->kind == ISingleCell::kBlood ||
                               (c->kind == ISingleCell::kOther && c->getType() != 1));
      if (blood) {
        if (!open) {
          open = true;
          runStart = x;
        }
      } else if (open) {
        closeRun(runStart, x, top);
        open = false;
      }
    }
    if (open) closeRun(runStart, x, top);
    top += kCellHeight;
  }
}

void CCellGrid::draw() { drawBlood(*this); }

void showDrops() { setDropView({dropCreated, dropDestroyed, dropMoved}); }
