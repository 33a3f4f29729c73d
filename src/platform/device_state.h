// The state every device keeps, with the defaults a freshly created device
// starts from; both backends hold one and answer the state queries from it.
#pragma once

#include <array>
#include <cstdint>

#include "platform/device.h"

namespace platform {

class DeviceState {
 public:
  static constexpr int kRenderStates = 256;
  static constexpr int kStages = 8;
  static constexpr int kStageStates = 33;
  static constexpr int kSamplers = 16;
  static constexpr int kSamplerStates = 14;

  DeviceState();

  // Setters ignore out-of-range indices and report whether the value stored.
  bool setRenderState(uint32_t state, uint32_t value);
  bool setStageState(int stage, uint32_t state, uint32_t value);
  bool setSamplerState(int sampler, uint32_t state, uint32_t value);
  bool setTexture(int stage, Texture* texture);
  void setTransform(TransformType type, const Matrix& m);

  uint32_t renderState(uint32_t state) const;
  uint32_t stageState(int stage, uint32_t state) const;
  uint32_t samplerState(int sampler, uint32_t state) const;
  Texture* texture(int stage) const;
  const Matrix& transform(TransformType type) const;

  uint32_t fvf = 0;
  DrawStats stats;

 private:
  std::array<uint32_t, kRenderStates> render_{};
  std::array<std::array<uint32_t, kStageStates>, kStages> stage_{};
  std::array<std::array<uint32_t, kSamplerStates>, kSamplers> sampler_{};
  std::array<Texture*, kStages> textures_{};
  Matrix world_, view_, projection_;
};

// Texture stage values beyond the ones the renderer names.
enum : uint32_t {
  kTopDisable = 1,
  kTopSelectArg2 = 3,
  kTaCurrent = 1,
  kTaTFactor = 3,
  kTssColorArg2 = 3,
  kTssAlphaArg2 = 6,
};

// Byte layout of a flexible vertex format: offsets of its parts, -1 where absent.
struct VertexLayout {
  int size = 0;
  int diffuse = -1;
  int texCoord = -1;
  bool valid = false;
};
VertexLayout layoutOf(uint32_t fvf);

}  // namespace platform
