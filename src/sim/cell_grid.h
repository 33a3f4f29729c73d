// The board's physical state: a fixed grid of empty, ground and blood cells,
// the mapping between screen pixels and grid coordinates, and the blood's
// drawing, which render defines.
#pragma once

#include <cstddef>
#include <vector>

#include "core/math2d.h"

class CCellGrid;

class ISingleCell {
 public:
  virtual ~ISingleCell() = default;
  virtual int getType() const = 0;  // 1 ground, 2 blood
  virtual int getState() const { return 0; }
  virtual int getOwner() const { return 0; }
  virtual void update(bool force) = 0;

  // The type again, readable without a virtual call, so the sweeps over the
  // whole board can skip ground and call the blood rule directly. 0 means a
  // cell of some other kind, which is always dispatched virtually.
  enum Kind { kOther = 0, kGround = 1, kBlood = 2 };
  const int kind;

 protected:
  explicit ISingleCell(int k = kOther) : kind(k) {}
};

class CGroundCell final : public ISingleCell {
 public:
  explicit CGroundCell(int owner) : ISingleCell(kGround), owner(owner) {}
  int getType() const override { return 1; }
  int getState() const override { return 3; }
  int getOwner() const override { return owner; }
  void update(bool) override {}
  int owner;
};

class CBloodCell final : public ISingleCell {
 public:
  CBloodCell(int x, int y, CCellGrid* grid);
  ~CBloodCell() override;
  CBloodCell(const CBloodCell&) = delete;
  CBloodCell& operator=(const CBloodCell&) = delete;
  int getType() const override { return 2; }
  int getState() const override { return state; }
  void update(bool force) override;
  void moveTo(int nx, int ny);

  // Blood cells come and go by the thousand; a pool keeps them close together
  // in memory, which is what the sweeps over the board are bound by.
  static void* operator new(size_t size);
  static void operator delete(void* p);

  float slide = 0;
  int lastTick = 0;
  int x;
  int y;
  CCellGrid* grid;
  int state = 1;  // 1 falling, 2 sliding, 3 settled
  int settledCount = 0;
  bool asleep = false;
  float fall = 0;
};

class CCellGrid {
 public:
  CCellGrid(int width, int height);
  ~CCellGrid();
  CCellGrid(const CCellGrid&) = delete;
  CCellGrid& operator=(const CCellGrid&) = delete;

  // Clamped to 0 ... width and 0 ... height (inclusive); never fails.
  ISingleCell*& at(int x, int y) {
    x = x < 0 ? 0 : (x > width ? width : x);
    y = y < 0 ? 0 : (y > height ? height : y);
    return slots[x + y * width];
  }
  ISingleCell*& atRaw(int x, int y) { return slots[x + y * width]; }
  ISingleCell*& atIndex(int i) { return slots[i]; }

  // Destroys every cell, the spare slots' included, and empties the slots.
  void clear();
  // Destroys the blood only; the ground of stamped parts stays.
  void clearBlood();
  void putBlood(int x, int y);
  // Defined by render (grid_draw): the simulation draws nothing itself.
  void draw();

  int width;
  int height;
  int slotCount;
  std::vector<ISingleCell*> slots;
  // Blood that finds no place is reported on standard output (the debug
  // switch of the application settings).
  bool reportLostBlood = false;
};

// The board's grid, 256 x 211; lives for the whole run.
extern CCellGrid g_cellGrid;
CCellGrid& cellGrid();

constexpr float kCellWidth = 1.27734375f;
constexpr float kCellHeight = 1.2748815f;
constexpr float kColumnsPerPixel = 0.78287464f;
constexpr float kRowsPerPixel = 0.78438663f;
constexpr float kGridLeft = 101.0f;
constexpr float kGridTop = 237.0f;
constexpr unsigned kBloodColor = 0xB2FFE014u;

Vec2 gridToScreen(Vec2 g);
Vec2 screenToGrid(Vec2 s);
void screenToCell(Vec2 s, int& cx, int& cy);
