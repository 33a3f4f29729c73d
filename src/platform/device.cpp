// The one process-wide device and the matrix helpers the renderer builds its
// sprite transforms with.
#include "platform/device.h"

#include <cmath>

namespace platform {

namespace {
std::unique_ptr<Device> g_device;
}

Matrix Matrix::identity() {
  Matrix m{};
  for (int i = 0; i < 4; ++i) m.m[i][i] = 1.0f;
  return m;
}

Matrix matrixTransformation2D(float scaleX, float scaleY, float rotationCenterX, float rotationCenterY,
                              float rotation, float translateX, float translateY) {
  // Row vectors: p' = p * S * T(-c) * R * T(c) * T(t), folded by hand.
  const float c = std::cos(rotation);
  const float s = std::sin(rotation);
  Matrix m = Matrix::identity();
  m.m[0][0] = scaleX * c;
  m.m[0][1] = scaleX * s;
  m.m[1][0] = -scaleY * s;
  m.m[1][1] = scaleY * c;
  m.m[3][0] = rotationCenterX - rotationCenterX * c + rotationCenterY * s + translateX;
  m.m[3][1] = rotationCenterY - rotationCenterX * s - rotationCenterY * c + translateY;
  return m;
}

void SpriteInterface::drawStack(Texture* texture, const SourceRect& src, const SpriteLayer* layers, int count) {
  for (int i = 0; i < count; ++i) {
    setTransform(layers[i].transform);
    draw(texture, src, layers[i].argb);
  }
}

Device* device() { return g_device.get(); }

void setDevice(std::unique_ptr<Device> d) { g_device = std::move(d); }

void releaseDevice() { g_device.reset(); }

}  // namespace platform
