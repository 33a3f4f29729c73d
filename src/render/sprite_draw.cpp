// Drawing the sprite list: two passes around the cell grid, each sprite by the
// sprite interface or as a textured quad, and the untextured coloured quad.
#include "render/sprite.h"

#include <iterator>
#include <memory>
#include <vector>


namespace {
bool g_viaSpriteInterface = false;

struct TexturedVertex {
  float x, y, z;
  uint32_t argb;
  float u, v;
};
struct ColoredVertex {
  float x, y, z;
  uint32_t argb;
};
static_assert(sizeof(TexturedVertex) == 24, "textured vertex layout");
static_assert(sizeof(ColoredVertex) == 16, "coloured vertex layout");

// Scratch vertices rewritten by every draw, so drawing never allocates.
TexturedVertex g_texturedQuad[4];
ColoredVertex g_coloredQuad[4];

std::unique_ptr<platform::SpriteInterface> g_spriteInterface;

float clipX(float screenX) { return screenX * 2.0f / platform::kDrawingSize - 1.0f; }
float clipY(float screenY) { return 1.0f - screenY * 2.0f / platform::kDrawingSize; }

platform::SpriteLayer layerOf(const CSprite& sprite);

void drawWithSpriteInterface(const CSprite& sprite) {
  if (!sprite.texture || !g_spriteInterface) return;
  const platform::SpriteLayer layer = layerOf(sprite);
  g_spriteInterface->setTransform(layer.transform);
  platform::SourceRect source;
  source.left = static_cast<int>(sprite.srcX);
  source.top = static_cast<int>(sprite.srcY);
  source.right = source.left + static_cast<int>(sprite.width);
  source.bottom = source.top + static_cast<int>(sprite.height);
  g_spriteInterface->draw(sprite.texture, source, layer.argb);
}

void drawAsQuad(const CSprite& sprite) {
  platform::Device* device = platform::device();
  if (!sprite.texture || !device) return;
  const float w = sprite.scaleX * sprite.width;
  const float h = sprite.scaleY * sprite.height;
  const float left = clipX(sprite.x);
  const float right = clipX(sprite.x + w);
  const float top = clipY(sprite.y);
  const float bottom = clipY(sprite.y + h);
  // One texel per screen pixel: texture coordinates run to the scale, and
  // the clamping sampler repeats the edge beyond the picture.
  // A window into a larger picture is measured in that picture's texels.
  const float texW = sprite.window ? static_cast<float>(sprite.texture->width()) : sprite.width;
  const float texH = sprite.window ? static_cast<float>(sprite.texture->height()) : sprite.height;
  const float uMin = sprite.srcX / texW;
  const float vMin = sprite.srcY / texH;
  const float uMax = uMin + w / texW;
  const float vMax = vMin + h / texH;
  const uint32_t argb = colorToArgb(sprite.color);
  g_texturedQuad[0] = {left, bottom, 1.0f, argb, uMin, vMax};
  g_texturedQuad[1] = {left, top, 1.0f, argb, uMin, vMin};
  g_texturedQuad[2] = {right, bottom, 1.0f, argb, uMax, vMax};
  g_texturedQuad[3] = {right, top, 1.0f, argb, uMax, vMin};
  if (sprite.rotation != 0.0f) {
    // Clip space has y upwards, so turning by minus the angle turns the quad
    // clockwise on screen.
    const float centerX = left + (right - left) * 0.5f;
    const float centerY = top + (bottom - top) * 0.5f;
    for (TexturedVertex& v : g_texturedQuad) rotatePoint(v.x, v.y, centerX, centerY, -sprite.rotation);
  }

  using namespace platform;
  device->setTexture(0, sprite.texture);
  device->setRenderState(kRsAlphaBlendEnable, 0);
  device->setSamplerState(0, kSampMinFilter, kFilterLinear);
  device->setSamplerState(0, kSampMagFilter, kFilterLinear);
  device->setTextureStageState(0, kTssAlphaOp, kTopSelectArg1);
  device->setTextureStageState(0, kTssAlphaArg1, kTaTexture);
  device->setRenderState(kRsAlphaBlendEnable, 1);
  device->setRenderState(kRsSrcBlend, kBlendSrcAlpha);
  device->setRenderState(kRsDestBlend, kBlendInvSrcAlpha);
  device->setFVF(kFvfXyzDiffuseTex1);
  device->drawPrimitiveUP(kTriangleStrip, 2, g_texturedQuad, sizeof(TexturedVertex));
  device->setRenderState(kRsAlphaBlendEnable, 0);
  device->setSamplerState(0, kSampMinFilter, kFilterNone);
  device->setSamplerState(0, kSampMagFilter, kFilterNone);
}

// The layers of one stack, kept from frame to frame so drawing does not allocate.
std::vector<platform::SpriteLayer> g_stackLayers;

platform::SpriteLayer layerOf(const CSprite& sprite) {
  platform::SpriteLayer layer;
  layer.transform = platform::matrixTransformation2D(sprite.scaleX, sprite.scaleY, sprite.width * 0.5f,
                                                     sprite.height * 0.5f, sprite.rotation, sprite.x, sprite.y);
  layer.argb = colorToArgb(sprite.color);
  return layer;
}

// From `it`, a visible sprite followed by its copies (same picture, same
// pass): draws them as one stack and returns the first sprite after them, or
// returns `it` when no copy follows.
std::list<CSprite*>::const_iterator drawStackFrom(std::list<CSprite*>::const_iterator it) {
  const CSprite& base = **it;
  auto next = std::next(it);
  auto end = next;
  while (end != g_spriteList.end() && (*end)->stackedOn == &base && (*end)->texture == base.texture &&
         (*end)->width == base.width && (*end)->height == base.height && (*end)->behindGrid == base.behindGrid) {
    ++end;
  }
  if (end == next || !base.texture) return it;
  g_stackLayers.clear();
  g_stackLayers.push_back(layerOf(base));
  for (auto copy = next; copy != end; ++copy) {
    if (!(*copy)->hidden) g_stackLayers.push_back(layerOf(**copy));
  }
  platform::SourceRect source;
  source.right = static_cast<int>(base.width);
  source.bottom = static_cast<int>(base.height);
  g_spriteInterface->drawStack(base.texture, source, g_stackLayers.data(), static_cast<int>(g_stackLayers.size()));
  return end;
}

void drawPass(bool behindGrid) {
  const bool viaInterface = g_viaSpriteInterface && g_spriteInterface;
  if (viaInterface) g_spriteInterface->begin(platform::kSpriteAlphaBlend);
  for (auto it = g_spriteList.cbegin(); it != g_spriteList.cend(); ++it) {
    CSprite* sprite = *it;
    if (sprite->behindGrid != behindGrid) continue;
    if (viaInterface && !sprite->hidden) {
      auto after = drawStackFrom(it);
      if (after != it) {
        it = std::prev(after);
        continue;
      }
    }
    drawSprite(*sprite);
  }
  if (viaInterface) g_spriteInterface->end();
}

}  // namespace

void useSpriteInterface(bool on) { g_viaSpriteInterface = on; }

void drawFirstPass() { drawPass(true); }

void drawSecondPass() { drawPass(false); }

bool drawSprite(CSprite& sprite) {
  if (sprite.hidden) return false;
  if (g_viaSpriteInterface) {
    drawWithSpriteInterface(sprite);
  } else {
    drawAsQuad(sprite);
  }
  return true;
}

void drawColoredQuad(const ColoredCorner corners[4]) {
  platform::Device* device = platform::device();
  if (!device) return;
  // Strip order: top-right, top-left, bottom-right, bottom-left.
  static const int kOrder[4] = {1, 0, 2, 3};
  for (int i = 0; i < 4; ++i) {
    const ColoredCorner& c = corners[kOrder[i]];
    g_coloredQuad[i] = {clipX(c.x), clipY(c.y), 1.0f, c.argb};
  }

  using namespace platform;
  device->setTextureStageState(0, kTssColorOp, kTopSelectArg1);
  device->setTextureStageState(0, kTssColorArg1, kTaDiffuse);
  device->setTextureStageState(0, kTssAlphaOp, kTopSelectArg1);
  device->setTextureStageState(0, kTssAlphaArg1, kTaDiffuse);
  device->setRenderState(kRsAlphaBlendEnable, 1);
  device->setRenderState(kRsSrcBlend, kBlendSrcAlpha);
  device->setRenderState(kRsDestBlend, kBlendInvSrcAlpha);
  device->setFVF(kFvfXyzDiffuse);
  device->drawPrimitiveUP(kTriangleStrip, 2, g_coloredQuad, sizeof(ColoredVertex));
  device->setRenderState(kRsAlphaBlendEnable, 0);
  device->setTextureStageState(0, kTssColorArg1, kTaTexture);
  device->setTextureStageState(0, kTssAlphaArg1, kTaTexture);
}

void createSpriteInterface() {
  // Room for a background and its copies, so that drawing stacks never allocates.
  g_stackLayers.reserve(32);
  platform::Device* device = platform::device();
  g_spriteInterface = device ? device->createSpriteInterface() : nullptr;
}

void releaseSpriteInterface() { g_spriteInterface.reset(); }
