// Gathering draws into lists of triangles; see draw_batch.h.
#include "platform/draw_batch.h"

#include <GL/gl.h>

namespace platform {

void setBatchColour(BatchVertex& vertex, uint32_t argb) {
  vertex.rgba[0] = uint8_t(argb >> 16);
  vertex.rgba[1] = uint8_t(argb >> 8);
  vertex.rgba[2] = uint8_t(argb);
  vertex.rgba[3] = uint8_t(argb >> 24);
}

void toRgbaBytes(const uint32_t* argb, size_t count, std::vector<uint8_t>& out) {
  out.resize(count * 4);
  for (size_t i = 0; i < count; ++i) {
    out[i * 4 + 0] = uint8_t(argb[i] >> 16);
    out[i * 4 + 1] = uint8_t(argb[i] >> 8);
    out[i * 4 + 2] = uint8_t(argb[i]);
    out[i * 4 + 3] = uint8_t(argb[i] >> 24);
  }
}

void drawTriangles(const std::vector<BatchVertex>& v, bool textured) {
  if (v.empty()) return;
  const GLsizei stride = sizeof(BatchVertex);
  glEnableClientState(GL_VERTEX_ARRAY);
  glVertexPointer(3, GL_FLOAT, stride, &v[0].x);
  glEnableClientState(GL_COLOR_ARRAY);
  glColorPointer(4, GL_UNSIGNED_BYTE, stride, v[0].rgba);
  if (textured) {
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glTexCoordPointer(2, GL_FLOAT, stride, &v[0].u);
  } else {
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  }
  glDrawArrays(GL_TRIANGLES, 0, GLsizei(v.size()));
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
