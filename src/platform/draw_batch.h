// Draws gathered into one: consecutive triangle strips that share every
// state, kept as a list of separate triangles until something changes. The
// browser's GL emulation pays for each draw call far more than for its
// vertices, and a busy frame (blood in bars, drops, a background of many
// layers) makes thousands of them. Also the pixel and drawing helpers the
// browser's composer shares with the device.
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

// ARGB pixels as the R, G, B, A bytes WebGL uploads, into `out`, which a
// caller may keep to spare the allocation (the blood's picture changes every
// frame).
void toRgbaBytes(const uint32_t* argb, size_t count, std::vector<uint8_t>& out);

// Draws triangles as gathered, under GL's current state; texture
// coordinates only when `textured`.
void drawTriangles(const std::vector<BatchVertex>& triangles, bool textured);

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
