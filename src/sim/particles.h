// Blood drops: spawned at the spout, flying under gravity, turning into blood
// where they land and splashing.
#pragma once

#include <vector>

#include "core/math2d.h"

class CCellGrid;
struct CSprite;

class CParticle {
 public:
  explicit CParticle(CCellGrid* grid);
  ~CParticle();
  CParticle(const CParticle&) = delete;
  CParticle& operator=(const CParticle&) = delete;
  void update();

  CCellGrid* grid;
  float x = 0, y = 0;
  float vx = 0, vy = 0;
  bool dead = false;
  bool makesBlood = true;
  bool submerged = false;
  // Drawn by whoever watches the drops (see setDropView); opaque here.
  CSprite* sprite = nullptr;
};

// What the drops tell the one who shows them: a drop made, gone, and moved
// after its step. Each may be null.
struct DropView {
  void (*created)(CParticle& drop) = nullptr;
  void (*destroyed)(CParticle& drop) = nullptr;
  void (*moved)(CParticle& drop) = nullptr;
};
void setDropView(const DropView& view);

// Every live drop, owning; lives for the whole run.
extern std::vector<CParticle*> g_particleList;
std::vector<CParticle*>& particleList();

void spawnDrop(CCellGrid* grid, int cx, int cy, Vec2 velocity, bool noBlood);
void spawnSplash(CCellGrid* grid, int x, int y, Vec2 velocity, bool makesBlood);
void stepParticles();
void impact(CCellGrid* grid, int cx, int cy, Vec2 v);

// Destroys every drop (tests and replays that start over).
void clearParticles();
