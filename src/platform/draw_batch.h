// Draws gathered into one: consecutive triangle strips that share every
// state, kept as a list of separate triangles until something changes. The
// browser's GL emulation pays for each draw call far more than for its
// vertices, and a busy frame (blood in bars, drops, a background of many
// layers) makes thousands of them.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "platform/device.h"

namespace platform {

// Colours as R, G, B, A bytes: the order WebGL takes.
struct BatchVertex {
  float x = 0, y = 0, z = 0;
  uint8_t rgba[4] = {255, 255, 255, 255};
  float u = 0, v = 0;
};

void setBatchColour(BatchVertex& vertex, uint32_t argb);

// A picture corner at (x, y) of the sprite's own space, carried through the
// sprite's row-vector transform into the drawing space.
BatchVertex spriteCorner(const Matrix& transform, float x, float y, float u, float v, uint32_t argb);

// Everything a gathered draw depends on besides its vertices.
struct BatchKey {
  const void* texture = nullptr;
  std::array<uint32_t, 20> state{};
  bool operator==(const BatchKey& other) const { return texture == other.texture && state == other.state; }
  bool operator!=(const BatchKey& other) const { return !(*this == other); }
};

class DrawBatch {
 public:
  // Whether a draw under `key` may join what is gathered.
  bool joins(const BatchKey& key) const { return !vertices_.empty() && key_ == key; }
  // Starts gathering anew under `key`; what was there must have been drawn.
  void start(const BatchKey& key);
  // The strip's triangles, each wound as the strip winds it.
  void addStrip(const BatchVertex* strip, int count);
  const std::vector<BatchVertex>& triangles() const { return vertices_; }
  bool empty() const { return vertices_.empty(); }
  void clear() { vertices_.clear(); }

 private:
  BatchKey key_;
  std::vector<BatchVertex> vertices_;
};

}  // namespace platform
