// Placement on the grid: a part's mask written as ground and taken out again,
// blood pushed aside by new ground, masks turned in 16.16 fixed point, and
// the tests whether a screen point lies on a part and whether two parts
// share a solid cell.
#include "sim/placement.h"

#include <cmath>
#include <cstdint>
#include <iostream>

#include "sim/alpha_mask.h"
#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "sim/random.h"

namespace {

// A pixel read the way the masks have always been read: an index that is not
// below width x height (compared unsigned) reads 0. The stored pixels bound it
// as well, so a mask whose data is shorter than its size cannot be overread.
int maskPixel(const CAlphaMask& m, int col, int row) {
  const uint32_t index = static_cast<uint32_t>(col) + static_cast<uint32_t>(row) * static_cast<uint32_t>(m.stride);
  const uint32_t size = static_cast<uint32_t>(m.width) * static_cast<uint32_t>(m.height);
  if (index >= size || index >= m.data.size()) return 0;
  return m.data[index];
}

// Walks the solid pixels of the part's mask that fall inside the grid.
template <typename Fn>
void forEachSolidPixel(const CPlacedMask& part, const CCellGrid& grid, Fn fn) {
  const CAlphaMask& m = *part.rotatedMask;
  const int left = static_cast<int>(part.gridX - m.width * 0.5f);
  const int top = static_cast<int>(part.gridY - m.height * 0.5f);
  for (int r = 0; r < m.height; ++r) {
    const int gy = top + r;
    if (gy < 0 || gy >= grid.height) continue;
    for (int k = 0; k < m.width; ++k) {
      const int gx = left + k;
      if (gx < 0 || gx >= grid.width) continue;
      if (maskPixel(m, k, r) >= 128) fn(gx, gy);
    }
  }
}

void place(CCellGrid& grid, CBloodCell* cell, int x, int y) {
  grid.at(x, y) = cell;
  cell->x = x;
  cell->y = y;
  widenActiveBox(x, y);
  cell->asleep = false;
  cell->state = 1;
}

}  // namespace

void stamp(CPlacedMask& part, Vec2 dir) {
  part.inGrid = true;
  if (!part.rotatedMask) return;
  CCellGrid& grid = cellGrid();
  forEachSolidPixel(part, grid, [&](int gx, int gy) { putGround(grid, gx, gy, part.id, dir); });
}

void unstamp(const CPlacedMask& part) {
  if (!part.rotatedMask) return;
  CCellGrid& grid = cellGrid();
  forEachSolidPixel(part, grid, [&](int gx, int gy) { removeGround(grid, gx, gy, part.id); });
}

void putGround(CCellGrid& grid, int x, int y, int owner, Vec2 dir) {
  if (x < 0 || x >= grid.width || y < 0 || y >= grid.height) return;
  ISingleCell*& slot = grid.at(x, y);
  CBloodCell* pushed = nullptr;
  if (slot && slot->getType() == 2) {
    pushed = static_cast<CBloodCell*>(slot);
    slot = nullptr;
  }
  if (!slot) slot = new CGroundCell(owner);
  if (pushed) displaceBlood(grid, x, y, pushed, dir);
}

void removeGround(CCellGrid& grid, int x, int y, int owner) {
  if (x < 0 || x >= grid.width || y < 0 || y >= grid.height) return;
  ISingleCell*& slot = grid.at(x, y);
  if (!slot || slot->getType() != 1 || slot->getOwner() != owner) return;
  delete slot;
  slot = nullptr;
}

void displaceBlood(CCellGrid& grid, int x, int y, CBloodCell* cell, Vec2 dir) {
  // Two candidates per try: one walking from below the old slot along the
  // push, and one from a box that rises a row and widens every other try.
  for (int i = 0; i < y; ++i) {
    const int d = static_cast<int>(i * 0.5f + 6);
    const int ax = clampi(randomInt(x - d, x + d), 0, grid.width - 1);
    const int ay = clampi(randomInt(y - 2 - i, y + 3 - i), 0, grid.height - 1);
    const int py = y + static_cast<int>(i * dir.y + 1);
    const int j = randomInt(-1, 1);
    const int px = x + static_cast<int>(j + i * dir.x);
    if (!grid.at(px, py)) {
      place(grid, cell, px, py);
      return;
    }
    if (!grid.at(ax, ay)) {
      place(grid, cell, ax, ay);
      return;
    }
  }
  delete cell;
  ++bloodStats().lost;
  if (grid.reportLostBlood) std::cout << "Couldn't find a place" << std::endl;
}

std::unique_ptr<CAlphaMask> rotateMask(const CAlphaMask* mask, double degrees) {
  if (!mask || std::fabs(degrees) <= 0.001) return nullptr;
  const double theta = degrees * 0.017453291681077746;
  const double sn = std::sin(theta);
  const double cs = std::cos(theta);
  const int srcW = mask->width;
  const int srcH = mask->height;
  const int hw = srcW / 2;
  const int hh = srcH / 2;
  const int halfW = static_cast<int>(
      std::fmax(std::ceil(std::fmax(std::fabs(hw * cs + hh * sn), std::fabs(hw * cs - hh * sn))), 1.0));
  const int halfH = static_cast<int>(
      std::fmax(std::ceil(std::fmax(std::fabs(hw * sn + hh * cs), std::fabs(hw * sn - hh * cs))), 1.0));
  auto out = std::make_unique<CAlphaMask>(2 * halfW, 2 * halfH);

  // 16.16 fixed point in 32 bits. The sums are formed unsigned, where
  // wrap-around is defined, and read back as signed for the shifts.
  const uint32_t sinFix = static_cast<uint32_t>(static_cast<int32_t>(sn * 65536));
  const uint32_t cosFix = static_cast<uint32_t>(static_cast<int32_t>(cs * 65536));
  uint32_t rowU = static_cast<uint32_t>(srcW) * 32768u + static_cast<uint32_t>(-halfW) * cosFix -
                  static_cast<uint32_t>(-halfH) * sinFix;
  uint32_t rowV = static_cast<uint32_t>(srcH) * 32768u + static_cast<uint32_t>(-halfW) * sinFix +
                  static_cast<uint32_t>(-halfH) * cosFix;

  auto source = [&](int col, int row) -> int64_t {
    if (col < 0 || row < 0 || col >= srcW || row >= srcH) return 0;
    return maskPixel(*mask, col, row);
  };

  int* dst = out->data.data();
  for (int i = 0; i < 2 * halfH; ++i) {
    uint32_t u = rowU;
    uint32_t v = rowV;
    for (int j = 0; j < 2 * halfW; ++j, ++dst) {
      const int32_t su = static_cast<int32_t>(u);
      const int32_t sv = static_cast<int32_t>(v);
      u += cosFix;
      v += sinFix;
      const int px = su >> 16;
      const int py = sv >> 16;
      if (px < -1 || py < -1 || px >= srcW || py >= srcH) continue;
      const int64_t fx = su & 0xFFFF;
      const int64_t fy = sv & 0xFFFF;
      const int64_t tl = source(px, py);
      const int64_t tr = source(px + 1, py);
      const int64_t bl = source(px, py + 1);
      const int64_t br = source(px + 1, py + 1);
      const int64_t top = (tl + (((tr - tl) * fx) >> 16)) & 255;
      const int64_t bottom = (bl + (((br - bl) * fx) >> 16)) & 255;
      *dst = static_cast<int>(top + (((bottom - top) * fy) >> 16));
    }
    rowU -= sinFix;
    rowV += cosFix;
  }
  return out;
}

bool hitTest(const CPlacedMask& part, Vec2 screenPoint) {
  const CAlphaMask* m = part.rotatedMask;
  if (!m) return false;
  const Vec2 g = screenToGrid(screenPoint);
  const float lx = g.x - part.gridX + m->width * 0.5f;
  const float ly = g.y - part.gridY + m->height * 0.5f;
  // A point that far off cannot be on a mask, and its truncation would not fit an int.
  if (!(std::fabs(lx) < 1e9f && std::fabs(ly) < 1e9f)) return false;
  const int col = static_cast<int>(lx);
  const int row = static_cast<int>(ly);
  const int offsets[5][2] = {{0, 0}, {1, 0}, {-1, 0}, {0, 1}, {0, -1}};
  for (const auto& o : offsets) {
    const int c = col + o[0];
    const int r = row + o[1];
    if (c >= 0 && c < m->width && r >= 0 && r < m->height && maskPixel(*m, c, r) > 0) return true;
  }
  return false;
}

bool solidCellsOverlap(const CPlacedMask& a, const CPlacedMask& b) {
  if (!a.rotatedMask || !b.rotatedMask) return false;
  const CAlphaMask& m = *b.rotatedMask;
  const int left = static_cast<int>(b.gridX - m.width * 0.5f);
  const int top = static_cast<int>(b.gridY - m.height * 0.5f);
  bool overlap = false;
  forEachSolidPixel(a, cellGrid(), [&](int gx, int gy) {
    const int col = gx - left;
    const int row = gy - top;
    if (col >= 0 && col < m.width && row >= 0 && row < m.height && maskPixel(m, col, row) >= 128) overlap = true;
  });
  return overlap;
}
