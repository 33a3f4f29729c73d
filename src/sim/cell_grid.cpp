// The cell grid: construction, clamped storage, blood creation and the
// mapping between screen and grid (render draws the blood).
#include "sim/cell_grid.h"

#include <cstddef>
#include <new>

#include "sim/blood.h"
#include "sim/board.h"
#include "core/lifetime.h"

CCellGrid g_cellGrid VESICOR_LIFETIME(lifetime::kCellGrid)(board::kWidth, board::kHeight);

namespace {

// A free list over blocks that are never handed back: the grid holds at most
// a board's worth of blood, and reuse keeps live cells packed. Plain pointers
// only, so the pool needs no construction and outlives every cell. Each cell
// gets a cache line of its own, so updating one touches one line.
constexpr size_t kCacheLine = 64;
union alignas(kCacheLine) PoolSlot {
  PoolSlot* next;
  unsigned char storage[sizeof(CBloodCell)];
};
static_assert(alignof(CBloodCell) <= kCacheLine, "a pool slot must be able to hold a blood cell");
constexpr size_t kPoolBlock = 4096;  // slots per block; the first links the blocks
PoolSlot* g_freeSlots = nullptr;
PoolSlot* g_poolBlocks = nullptr;
size_t g_liveCells = 0;

void refillPool() {
  auto* block =
      static_cast<PoolSlot*>(::operator new(sizeof(PoolSlot) * kPoolBlock, std::align_val_t(kCacheLine)));
  block[0].next = g_poolBlocks;
  g_poolBlocks = block;
  for (size_t i = kPoolBlock; i-- > 1;) {
    block[i].next = g_freeSlots;
    g_freeSlots = &block[i];
  }
}

// With no cell alive, relinks the free slots in address order, so a board
// filled afresh lies in memory in the order it was filled.
void repackPool() {
  if (g_liveCells != 0) return;
  PoolSlot** tail = &g_freeSlots;
  for (PoolSlot* block = g_poolBlocks; block; block = block->next) {
    for (size_t i = 1; i < kPoolBlock; ++i) {
      *tail = &block[i];
      tail = &block[i].next;
    }
  }
  *tail = nullptr;
}

}  // namespace

CBloodCell::CBloodCell(int x, int y, CCellGrid* grid) : ISingleCell(kBlood), x(x), y(y), grid(grid) {
  ++bloodStats().created;
}

CBloodCell::~CBloodCell() { ++bloodStats().destroyed; }

void* CBloodCell::operator new(size_t) {
  if (!g_freeSlots) refillPool();
  PoolSlot* s = g_freeSlots;
  g_freeSlots = s->next;
  ++g_liveCells;
  return s;
}

void CBloodCell::operator delete(void* p) {
  if (!p) return;
  auto* s = static_cast<PoolSlot*>(p);
  s->next = g_freeSlots;
  g_freeSlots = s;
  --g_liveCells;
}

CCellGrid::CCellGrid(int width, int height)
    : width(width), height(height), slotCount((width + 1) * (height + 1)), slots(slotCount + 1, nullptr) {}

CCellGrid::~CCellGrid() { clear(); }

void CCellGrid::clear() {
  // The spare slots after the last row are emptied too: a cell stored there
  // through the clamped access would otherwise outlive the grid.
  for (ISingleCell*& slot : slots) {
    if (!slot) continue;
    if (slot->kind == ISingleCell::kBlood) ++bloodStats().cleared;
    delete slot;
    slot = nullptr;
  }
  repackPool();
}

void CCellGrid::clearBlood() {
  for (ISingleCell*& slot : slots) {
    if (!slot || slot->kind != ISingleCell::kBlood) continue;
    ++bloodStats().cleared;
    delete slot;
    slot = nullptr;
  }
  repackPool();
}

void CCellGrid::putBlood(int x, int y) {
  ISingleCell*& slot = at(x, y);
  if (slot) return;
  slot = new CBloodCell(x, y, this);
}

CCellGrid& cellGrid() { return g_cellGrid; }

Vec2 gridToScreen(Vec2 g) {
  const float sx = g.x * kCellWidth;
  const float sy = g.y * kCellHeight;
  return {sx + kGridLeft, sy + kGridTop};
}

Vec2 screenToGrid(Vec2 s) { return {(s.x - kGridLeft) * kColumnsPerPixel, (s.y - kGridTop) * kRowsPerPixel}; }

void screenToCell(Vec2 s, int& cx, int& cy) {
  const Vec2 g = screenToGrid(s);
  cx = static_cast<int>(g.x);
  cy = static_cast<int>(g.y);
}
