// Gathering draws into lists of triangles; see draw_batch.h.
#include "platform/draw_batch.h"

namespace platform {

void setBatchColour(BatchVertex& vertex, uint32_t argb) {
  vertex.rgba[0] = uint8_t(argb >> 16);
  vertex.rgba[1] = uint8_t(argb >> 8);
  vertex.rgba[2] = uint8_t(argb);
  vertex.rgba[3] = uint8_t(argb >> 24);
}

BatchVertex spriteCorner(const Matrix& t, float x, float y, float u, float v, uint32_t argb) {
  BatchVertex out;
  out.x = x * t.m[0][0] + y * t.m[1][0] + t.m[3][0];
  out.y = x * t.m[0][1] + y * t.m[1][1] + t.m[3][1];
  out.z = x * t.m[0][2] + y * t.m[1][2] + t.m[3][2];
  out.u = u;
  out.v = v;
  setBatchColour(out, argb);
  return out;
}

void DrawBatch::start(const BatchKey& key) {
  key_ = key;
  vertices_.clear();
}

void DrawBatch::addStrip(const BatchVertex* strip, int count) {
  for (int i = 0; i + 2 < count; ++i) {
    // Every second triangle of a strip runs the other way round; swapping
    // its first two corners keeps culling and winding as the strip had them.
    const bool odd = (i & 1) != 0;
    vertices_.push_back(strip[odd ? i + 1 : i]);
    vertices_.push_back(strip[odd ? i : i + 1]);
    vertices_.push_back(strip[i + 2]);
  }
}

}  // namespace platform
