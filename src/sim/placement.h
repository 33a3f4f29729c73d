// Placement on the grid: stamping a part's mask as ground, pushing blood aside,
// turning masks in fixed point, and hit-testing screen points.
#pragma once

#include <memory>

#include "core/math2d.h"

struct CAlphaMask;
class CCellGrid;
class CBloodCell;

// What placement reads of a game part; CGamePart derives from it.
struct CPlacedMask {
  float gridX = 0, gridY = 0;
  CAlphaMask* rotatedMask = nullptr;
  int id = 0;
  bool inGrid = false;
};

void stamp(CPlacedMask& part, Vec2 dir);
void unstamp(const CPlacedMask& part);
void putGround(CCellGrid& grid, int x, int y, int owner, Vec2 dir);
void removeGround(CCellGrid& grid, int x, int y, int owner);
void displaceBlood(CCellGrid& grid, int x, int y, CBloodCell* cell, Vec2 dir);
std::unique_ptr<CAlphaMask> rotateMask(const CAlphaMask* mask, double degrees);
bool hitTest(const CPlacedMask& part, Vec2 screenPoint);
// Whether any grid cell that `a` stamps as solid is one `b` stamps too.
bool solidCellsOverlap(const CPlacedMask& a, const CPlacedMask& b);
