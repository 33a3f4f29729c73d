// The null device: every call keeps its state or counts, nothing is drawn.
// Pictures are still decoded, so sizes and alpha masks work without a display.
#include "platform/null_device.h"

#include <cstring>

#include "platform/picture.h"
#include "platform/pixel_texture.h"

namespace platform {

namespace {

class NullSpriteInterface : public SpriteInterface {
 public:
  explicit NullSpriteInterface(NullDevice& device) : device_(device) {}
  void begin(uint32_t flags) override {
    flags_ = flags;
    transform_ = Matrix::identity();
  }
  void setTransform(const Matrix& m) override { transform_ = m; }
  void draw(Texture* texture, const SourceRect& src, uint32_t argb) override {
    if (texture) device_.recordSpriteDraw(texture, transform_, src, argb, flags_);
  }
  void end() override { flags_ = 0; }
  // Layer by layer, as the default does, but each layer marked as such.
  void drawStack(Texture* texture, const SourceRect& src, const SpriteLayer* layers, int count) override {
    for (int i = 0; i < count; ++i) {
      transform_ = layers[i].transform;
      if (texture) device_.recordSpriteDraw(texture, transform_, src, layers[i].argb, flags_, i);
    }
  }

 private:
  NullDevice& device_;
  Matrix transform_ = Matrix::identity();
  uint32_t flags_ = 0;
};

}  // namespace

void NullDevice::beginScene() { ++state_.stats.frames; }
void NullDevice::clear(uint32_t argb) {
  ++state_.stats.clears;
  lastClear_ = argb;
}
void NullDevice::endScene() {}
void NullDevice::present() { ++state_.stats.presents; }

void NullDevice::setTransform(TransformType type, const Matrix& m) { state_.setTransform(type, m); }
void NullDevice::setRenderState(RenderState state, uint32_t value) { state_.setRenderState(state, value); }
void NullDevice::setTextureStageState(int stage, TextureStageState state, uint32_t value) {
  state_.setStageState(stage, state, value);
}
void NullDevice::setSamplerState(int sampler, SamplerState state, uint32_t value) {
  state_.setSamplerState(sampler, state, value);
}
void NullDevice::setFVF(uint32_t fvf) { state_.fvf = fvf; }
void NullDevice::setTexture(int stage, Texture* texture) { state_.setTexture(stage, texture); }

DrawRecord NullDevice::snapshot() const {
  DrawRecord r;
  r.texture = state_.texture(0);
  r.fvf = state_.fvf;
  r.alphaBlend = state_.renderState(kRsAlphaBlendEnable);
  r.srcBlend = state_.renderState(kRsSrcBlend);
  r.destBlend = state_.renderState(kRsDestBlend);
  r.minFilter = state_.samplerState(0, kSampMinFilter);
  r.magFilter = state_.samplerState(0, kSampMagFilter);
  r.colorOp = state_.stageState(0, kTssColorOp);
  r.colorArg1 = state_.stageState(0, kTssColorArg1);
  r.alphaOp = state_.stageState(0, kTssAlphaOp);
  r.alphaArg1 = state_.stageState(0, kTssAlphaArg1);
  return r;
}

void NullDevice::drawPrimitiveUP(PrimitiveType type, int primitiveCount, const void* vertices, int stride) {
  ++state_.stats.primitives;
  if (!recording_) return;
  DrawRecord r = snapshot();
  r.primitiveCount = primitiveCount;
  const VertexLayout layout = layoutOf(state_.fvf);
  if (type == kTriangleStrip && vertices && layout.valid && stride >= layout.size && primitiveCount > 0) {
    const auto* base = static_cast<const uint8_t*>(vertices);
    r.vertexCount = primitiveCount + 2 < 4 ? primitiveCount + 2 : 4;
    for (int i = 0; i < r.vertexCount; ++i) {
      const uint8_t* v = base + size_t(i) * size_t(stride);
      DrawRecord::Vertex& out = r.vertices[i];
      std::memcpy(&out.x, v, 4);
      std::memcpy(&out.y, v + 4, 4);
      std::memcpy(&out.z, v + 8, 4);
      if (layout.diffuse >= 0) std::memcpy(&out.argb, v + layout.diffuse, 4);
      if (layout.texCoord >= 0) {
        std::memcpy(&out.u, v + layout.texCoord, 4);
        std::memcpy(&out.v, v + layout.texCoord + 4, 4);
      }
    }
  }
  records_.push_back(r);
}

void NullDevice::recordSpriteDraw(const Texture* texture, const Matrix& transform, const SourceRect& src,
                                  uint32_t argb, uint32_t flags, int stackLayer) {
  ++state_.stats.spriteDraws;
  if (!recording_) return;
  DrawRecord r = snapshot();
  r.viaSpriteInterface = true;
  r.texture = texture;
  r.transform = transform;
  r.source = src;
  r.argb = argb;
  r.spriteFlags = flags;
  r.stackLayer = stackLayer;
  records_.push_back(r);
}

bool NullDevice::getImageInfoFromFile(const std::string& path, ImageInfo& info) {
  return readPictureInfo(path, info);
}

std::unique_ptr<Texture> NullDevice::createTextureFromFile(const std::string& path) {
  Picture picture;
  if (!decodeTexturePicture(path, picture)) return nullptr;
  return std::make_unique<PixelTexture>(std::move(picture));
}

std::unique_ptr<SpriteInterface> NullDevice::createSpriteInterface() {
  return std::make_unique<NullSpriteInterface>(*this);
}

void NullDevice::setWindowSize(int width, int height) {
  windowWidth_ = width;
  windowHeight_ = height;
}

bool NullDevice::readPixels(std::vector<uint32_t>&) { return false; }

uint32_t NullDevice::renderState(RenderState state) const { return state_.renderState(state); }
uint32_t NullDevice::textureStageState(int stage, TextureStageState state) const {
  return state_.stageState(stage, state);
}
uint32_t NullDevice::samplerState(int sampler, SamplerState state) const {
  return state_.samplerState(sampler, state);
}
const DrawStats& NullDevice::stats() const { return state_.stats; }

void NullDevice::setRecording(bool on) { recording_ = on; }

std::unique_ptr<Device> createNullDevice() { return std::make_unique<NullDevice>(); }

}  // namespace platform
