// The board's physical state: a fixed grid of empty, ground and blood cells,
// the mapping between screen pixels and grid coordinates, and blood drawing.
#pragma once

#include <vector>

#include "math2d.h"

class CCellGrid;

class ISingleCell {
 public:
  virtual ~ISingleCell() = default;
  virtual int getType() const = 0;  // 1 ground, 2 blood
  virtual int getState() const { return 0; }
  virtual int getOwner() const { return 0; }
  virtual void update(bool force) = 0;
};

class CGroundCell : public ISingleCell {
 public:
  explicit CGroundCell(int owner) : owner(owner) {}
  int getType() const override { return 1; }
  int getState() const override { return 3; }
  int getOwner() const override { return owner; }
  void update(bool) override {}
  int owner;
};

class CBloodCell : public ISingleCell {
 public:
  CBloodCell(int x, int y, CCellGrid* grid) : x(x), y(y), grid(grid) {}
  int getType() const override { return 2; }
  int getState() const override { return state; }
  void update(bool force) override;
  void moveTo(int nx, int ny);

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
  ISingleCell*& at(int x, int y);
  ISingleCell*& atRaw(int x, int y) { return slots[x + y * width]; }
  ISingleCell*& atIndex(int i) { return slots[i]; }

  void clear();
  void putBlood(int x, int y);
  void draw();

  int width;
  int height;
  int slotCount;
  std::vector<ISingleCell*> slots;
};

// The one process-wide grid, 256 x 211.
CCellGrid& cellGrid();

constexpr float kCellWidth = 1.27734375f;
constexpr float kCellHeight = 1.2748815f;
constexpr float kColumnsPerPixel = 0.78287464f;
constexpr float kRowsPerPixel = 0.78438663f;
constexpr float kGridLeft = 101.0f;
constexpr float kGridTop = 237.0f;

Vec2 gridToScreen(Vec2 g);
Vec2 screenToGrid(Vec2 s);
void screenToCell(Vec2 s, int& cx, int& cy);
