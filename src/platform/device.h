// The drawing device the renderer talks to: the states, draw calls, textures
// and sprite interface of a small fixed-function device, with two backends.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace platform {

// Numeric values follow the device model the renderer was written against, so
// a state set here reads the same as in the renderer's documentation.
enum TransformType : uint32_t { kTransformView = 2, kTransformProjection = 3, kTransformWorld = 256 };

enum RenderState : uint32_t {
  kRsZEnable = 7,
  kRsSrcBlend = 19,
  kRsDestBlend = 20,
  kRsCullMode = 22,
  kRsDitherEnable = 26,
  kRsAlphaBlendEnable = 27,
  kRsLighting = 137,
};
enum Blend : uint32_t { kBlendSrcAlpha = 5, kBlendInvSrcAlpha = 6 };
enum Cull : uint32_t { kCullNone = 1 };

enum TextureStageState : uint32_t {
  kTssColorOp = 1,
  kTssColorArg1 = 2,
  kTssAlphaOp = 4,
  kTssAlphaArg1 = 5,
};
enum TextureOp : uint32_t { kTopSelectArg1 = 2, kTopModulate = 4 };
enum TextureArg : uint32_t { kTaDiffuse = 0, kTaTexture = 2 };

enum SamplerState : uint32_t {
  kSampAddressU = 1,
  kSampAddressV = 2,
  kSampMagFilter = 5,
  kSampMinFilter = 6,
  kSampMipFilter = 7,
};
enum TextureFilter : uint32_t { kFilterNone = 0, kFilterPoint = 1, kFilterLinear = 2 };
enum TextureAddress : uint32_t { kAddressWrap = 1, kAddressClamp = 3 };

// Flexible vertex formats the renderer uses.
constexpr uint32_t kFvfXyzDiffuse = 0x42;     // x, y, z, ARGB colour: 16 bytes
constexpr uint32_t kFvfXyzDiffuseTex1 = 0x142; // x, y, z, ARGB colour, u, v: 24 bytes

enum PrimitiveType : uint32_t { kTriangleStrip = 5 };

constexpr uint32_t kSpriteAlphaBlend = 0x10;

// Row-major 4x4 matrix acting on row vectors (v' = v * M), as the renderer
// expects of its transforms.
struct Matrix {
  float m[4][4];
  static Matrix identity();
};

// Scaling about no centre, rotation about rotationCenter, then translation.
Matrix matrixTransformation2D(float scaleX, float scaleY, float rotationCenterX, float rotationCenterY,
                              float rotation, float translateX, float translateY);

struct ImageInfo {
  int width = 0;
  int height = 0;
};

struct LockedRect {
  int pitch = 0;         // bytes from one row to the next
  uint8_t* bits = nullptr;  // A8R8G8B8 pixels, alpha in the fourth byte
};

// A picture on the device, A8R8G8B8, lockable for reading and writing.
class Texture {
 public:
  virtual ~Texture() = default;
  virtual int width() const = 0;
  virtual int height() const = 0;
  virtual bool lockRect(LockedRect& out) = 0;
  virtual void unlockRect() = 0;
};

struct SourceRect {
  int left = 0, top = 0, right = 0, bottom = 0;
};

// One layer of a stack of the same picture: where it goes and its colour.
struct SpriteLayer {
  Matrix transform;
  uint32_t argb = 0xffffffff;
};

// Batches textured, colour-modulated sprites with a 2D transform each.
class SpriteInterface {
 public:
  virtual ~SpriteInterface() = default;
  virtual void begin(uint32_t flags) = 0;
  virtual void setTransform(const Matrix& m) = 0;
  virtual void draw(Texture* texture, const SourceRect& src, uint32_t argb) = 0;
  virtual void end() = 0;

  // Draws the picture once per layer, in order, as draw() would one layer
  // after another (which is what this default does). A backend may compose
  // the layers more cheaply as long as the picture stays within a step or two
  // per colour channel of the layer-by-layer one. Either way the transform
  // is the last layer's afterwards.
  virtual void drawStack(Texture* texture, const SourceRect& src, const SpriteLayer* layers, int count);
};

// Counts of what a device was asked to draw; the null device keeps these so
// headless tests can see that a frame drew what it should.
struct DrawStats {
  uint64_t frames = 0;
  uint64_t clears = 0;
  uint64_t primitives = 0;     // drawPrimitiveUP calls
  uint64_t spriteDraws = 0;    // SpriteInterface::draw calls with a texture, and stack layers
  uint64_t presents = 0;
  uint64_t stackCompositions = 0;  // stacks composed afresh (not drawn from the last composite)
};

class Device {
 public:
  virtual ~Device() = default;

  virtual void beginScene() = 0;
  virtual void clear(uint32_t argb) = 0;
  virtual void endScene() = 0;
  virtual void present() = 0;
  // Returns once everything drawn so far is on the target, so that a
  // benchmark can time a group of draws on its own.
  virtual void finish() = 0;

  virtual void setTransform(TransformType type, const Matrix& m) = 0;
  virtual void setRenderState(RenderState state, uint32_t value) = 0;
  virtual void setTextureStageState(int stage, TextureStageState state, uint32_t value) = 0;
  virtual void setSamplerState(int sampler, SamplerState state, uint32_t value) = 0;
  virtual void setFVF(uint32_t fvf) = 0;
  virtual void setTexture(int stage, Texture* texture) = 0;
  virtual void drawPrimitiveUP(PrimitiveType type, int primitiveCount, const void* vertices, int stride) = 0;

  // Pictures: PNG or JPEG files decoded to A8R8G8B8. Failures return false / null.
  virtual bool getImageInfoFromFile(const std::string& path, ImageInfo& info) = 0;
  virtual std::unique_ptr<Texture> createTextureFromFile(const std::string& path) = 0;

  virtual std::unique_ptr<SpriteInterface> createSpriteInterface() = 0;

  // Where the window is larger than the 512 x 512 drawing space, the picture
  // is scaled to fit; the device learns the window size here.
  virtual void setWindowSize(int width, int height) = 0;

  // Reads the drawing space back as A8R8G8B8 rows, top row first (tests).
  virtual bool readPixels(std::vector<uint32_t>& argb) = 0;

  // State queries, so tests can check what the renderer set.
  virtual uint32_t renderState(RenderState state) const = 0;
  virtual uint32_t textureStageState(int stage, TextureStageState state) const = 0;
  virtual uint32_t samplerState(int sampler, SamplerState state) const = 0;
  virtual const DrawStats& stats() const = 0;
};

constexpr int kDrawingSize = 512;

// The device the renderer draws with; null until created. Owned here.
Device* device();
void setDevice(std::unique_ptr<Device> d);
void releaseDevice();

}  // namespace platform
