// The device used without a display: it keeps every state and counts what it
// is asked to draw, draws nothing, and can log draws for tests to inspect.
#pragma once

#include <memory>
#include <vector>

#include "platform/device.h"
#include "platform/device_state.h"

namespace platform {

// One draw as the null device saw it, with the states in force at the time.
struct DrawRecord {
  bool viaSpriteInterface = false;
  const Texture* texture = nullptr;
  // Device draws: the vertex format, primitive count and up to four vertices.
  uint32_t fvf = 0;
  int primitiveCount = 0;
  int vertexCount = 0;
  struct Vertex {
    float x = 0, y = 0, z = 0;
    uint32_t argb = 0xffffffff;
    float u = 0, v = 0;
  } vertices[4];
  uint32_t alphaBlend = 0, srcBlend = 0, destBlend = 0;
  uint32_t minFilter = 0, magFilter = 0;
  uint32_t colorOp = 0, colorArg1 = 0, alphaOp = 0, alphaArg1 = 0;
  // Sprite interface draws: the transform, source rectangle and colour.
  Matrix transform = Matrix::identity();
  SourceRect source;
  uint32_t argb = 0;
  uint32_t spriteFlags = 0;
  // The layer's place in a stack drawn through the interface; -1 alone.
  int stackLayer = -1;
};

class NullDevice : public Device {
 public:
  void beginScene() override;
  void clear(uint32_t argb) override;
  void endScene() override;
  void present() override;
  void finish() override {}

  void setTransform(TransformType type, const Matrix& m) override;
  void setRenderState(RenderState state, uint32_t value) override;
  void setTextureStageState(int stage, TextureStageState state, uint32_t value) override;
  void setSamplerState(int sampler, SamplerState state, uint32_t value) override;
  void setFVF(uint32_t fvf) override;
  void setTexture(int stage, Texture* texture) override;
  void drawPrimitiveUP(PrimitiveType type, int primitiveCount, const void* vertices, int stride) override;

  bool getImageInfoFromFile(const std::string& path, ImageInfo& info) override;
  std::unique_ptr<Texture> createTextureFromFile(const std::string& path) override;
  std::unique_ptr<SpriteInterface> createSpriteInterface() override;

  void setWindowSize(int width, int height) override;
  bool readPixels(std::vector<uint32_t>& argb) override;

  uint32_t renderState(RenderState state) const override;
  uint32_t textureStageState(int stage, TextureStageState state) const override;
  uint32_t samplerState(int sampler, SamplerState state) const override;
  const DrawStats& stats() const override;

  // Draw logging, off unless a test asks: logging allocates, drawing must not.
  void setRecording(bool on);
  const std::vector<DrawRecord>& records() const { return records_; }
  void clearRecords() { records_.clear(); }

  const DeviceState& state() const { return state_; }
  uint32_t lastClearColor() const { return lastClear_; }
  int windowWidth() const { return windowWidth_; }
  int windowHeight() const { return windowHeight_; }

  // Used by the null sprite interface.
  void recordSpriteDraw(const Texture* texture, const Matrix& transform, const SourceRect& src, uint32_t argb,
                        uint32_t flags, int stackLayer = -1);

 private:
  DrawRecord snapshot() const;

  DeviceState state_;
  bool recording_ = false;
  std::vector<DrawRecord> records_;
  uint32_t lastClear_ = 0;
  int windowWidth_ = kDrawingSize;
  int windowHeight_ = kDrawingSize;
};

std::unique_ptr<Device> createNullDevice();

}  // namespace platform
