// Fixed numbers of the game rules shared by parts, controllers, shops and
// the scene: the arena circle the steered parts live in and the bar geometry.
#pragma once

#include "core/math2d.h"

constexpr float kArenaCentreX = 264.0f;
constexpr float kArenaCentreY = 364.0f;
constexpr float kArenaRadius = 145.0f;

// A value bar is anchored at its bottom edge and is kBarHeight tall when full.
constexpr float kBarHeight = 371.0f;
constexpr float kBarBaseY = kBarHeight + 90.0f;
constexpr float kBar1X = 4.0f;
constexpr float kBar2X = 480.0f;

// The top-left of player `player`'s bar filled to `fill` (0 ... 1).
inline Vec2 barPoint(int player, float fill) {
  return Vec2{player == 1 ? kBar1X : kBar2X, kBarBaseY - kBarHeight * fill};
}

inline float distanceSqToArenaCentre(Vec2 p) {
  return sqr(p.x - kArenaCentreX) + sqr(p.y - kArenaCentreY);
}
