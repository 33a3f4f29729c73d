// Device state storage and defaults shared by the OpenGL and null devices,
// plus the byte layout of the flexible vertex formats.
#include "platform/device_state.h"

namespace platform {

DeviceState::DeviceState()
    : world_(Matrix::identity()), view_(Matrix::identity()), projection_(Matrix::identity()) {
  // A new device: no depth buffer, lighting on, culling of counter-clockwise
  // faces, blending off with the source replacing the target.
  render_[kRsZEnable] = 0;
  render_[kRsLighting] = 1;
  render_[kRsCullMode] = 3;
  render_[kRsDitherEnable] = 0;
  render_[kRsAlphaBlendEnable] = 0;
  render_[kRsSrcBlend] = 2;   // one
  render_[kRsDestBlend] = 1;  // zero
  for (int s = 0; s < kStages; ++s) {
    stage_[s][kTssColorOp] = s == 0 ? uint32_t(kTopModulate) : uint32_t(kTopDisable);
    stage_[s][kTssColorArg1] = kTaTexture;
    stage_[s][kTssColorArg2] = kTaCurrent;
    stage_[s][kTssAlphaOp] = s == 0 ? uint32_t(kTopSelectArg1) : uint32_t(kTopDisable);
    stage_[s][kTssAlphaArg1] = kTaTexture;
    stage_[s][kTssAlphaArg2] = kTaCurrent;
  }
  for (auto& sampler : sampler_) {
    sampler[kSampAddressU] = kAddressWrap;
    sampler[kSampAddressV] = kAddressWrap;
    sampler[3] = kAddressWrap;  // address W
    sampler[kSampMagFilter] = kFilterPoint;
    sampler[kSampMinFilter] = kFilterPoint;
    sampler[kSampMipFilter] = kFilterNone;
  }
}

bool DeviceState::setRenderState(uint32_t state, uint32_t value) {
  if (state >= kRenderStates) return false;
  render_[state] = value;
  return true;
}

bool DeviceState::setStageState(int stage, uint32_t state, uint32_t value) {
  if (stage < 0 || stage >= kStages || state >= kStageStates) return false;
  stage_[stage][state] = value;
  return true;
}

bool DeviceState::setSamplerState(int sampler, uint32_t state, uint32_t value) {
  if (sampler < 0 || sampler >= kSamplers || state >= kSamplerStates) return false;
  sampler_[sampler][state] = value;
  return true;
}

bool DeviceState::setTexture(int stage, Texture* texture) {
  if (stage < 0 || stage >= kStages) return false;
  textures_[stage] = texture;
  return true;
}

void DeviceState::setTransform(TransformType type, const Matrix& m) {
  switch (type) {
    case kTransformWorld: world_ = m; break;
    case kTransformView: view_ = m; break;
    case kTransformProjection: projection_ = m; break;
  }
}

uint32_t DeviceState::renderState(uint32_t state) const { return state < kRenderStates ? render_[state] : 0; }

uint32_t DeviceState::stageState(int stage, uint32_t state) const {
  return stage >= 0 && stage < kStages && state < kStageStates ? stage_[stage][state] : 0;
}

uint32_t DeviceState::samplerState(int sampler, uint32_t state) const {
  return sampler >= 0 && sampler < kSamplers && state < kSamplerStates ? sampler_[sampler][state] : 0;
}

Texture* DeviceState::texture(int stage) const { return stage >= 0 && stage < kStages ? textures_[stage] : nullptr; }

const Matrix& DeviceState::transform(TransformType type) const {
  switch (type) {
    case kTransformWorld: return world_;
    case kTransformView: return view_;
    case kTransformProjection: break;
  }
  return projection_;
}

VertexLayout layoutOf(uint32_t fvf) {
  VertexLayout layout;
  // Only untransformed positions (xyz) are drawn; other position kinds are
  // not part of this device.
  if ((fvf & 0x00e) != 0x002) return layout;
  int offset = 12;
  if (fvf & 0x010) offset += 12;  // normal
  if (fvf & 0x020) offset += 4;   // point size
  if (fvf & 0x040) {
    layout.diffuse = offset;
    offset += 4;
  }
  if (fvf & 0x080) offset += 4;  // specular
  const int texSets = (fvf >> 8) & 0xf;
  if (texSets > 0) layout.texCoord = offset;
  offset += texSets * 8;
  layout.size = offset;
  layout.valid = true;
  return layout;
}

}  // namespace platform
