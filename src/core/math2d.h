// Small shared math: a 2D float vector and the clamp helpers used throughout.
#pragma once

#include <algorithm>

struct Vec2 {
  float x = 0, y = 0;
};

inline float clampf(float v, float lo, float hi) { return std::max(lo, std::min(v, hi)); }
inline int clampi(int v, int lo, int hi) { return std::max(lo, std::min(v, hi)); }
inline float absf(float v) { return v < 0 ? -v : v; }
inline float sqr(float v) { return v * v; }
