// Sprites: creation with its layer rule, the list that orders them, and
// shutdown. Drawing lives in sprite_draw.cpp.
#include "render/sprite.h"

#include <cmath>

#include "core/lifetime.h"
#include "render/image.h"

std::list<CSprite*> g_spriteList VESICOR_LIFETIME(lifetime::kSpriteList);

namespace {

constexpr int kAlwaysLastLayer = 100;

void insertByLayer(CSprite* sprite) {
  if (sprite->layer != kAlwaysLastLayer) {
    for (auto it = g_spriteList.begin(); it != g_spriteList.end(); ++it) {
      if ((*it)->layer < sprite->layer) {
        g_spriteList.insert(it, sprite);
        return;
      }
    }
  }
  g_spriteList.push_back(sprite);
}

}  // namespace

CSprite* createSprite(const std::string& path, int layer) {
  auto* sprite = new CSprite();
  if (const CImage* cached = findImage(path)) {
    sprite->texture = cached->texture;
    sprite->width = static_cast<float>(cached->width);
    sprite->height = static_cast<float>(cached->height);
  } else {
    // Not cached: this sprite loads and owns its own copy, under the path as
    // the caller wrote it.
    CImage image = loadImage(path);
    if (image.texture) {
      sprite->texture = image.texture;
      sprite->width = static_cast<float>(image.width);
      sprite->height = static_cast<float>(image.height);
      sprite->ownsTexture = true;
    }
  }
  sprite->layer = layer;
  insertByLayer(sprite);
  return sprite;
}

void destroySprite(CSprite* sprite) {
  if (!sprite) return;
  for (auto it = g_spriteList.begin(); it != g_spriteList.end(); ++it) {
    if (*it == sprite) {
      g_spriteList.erase(it);
      break;
    }
  }
  for (CSprite* other : g_spriteList) {
    if (other->stackedOn == sprite) other->stackedOn = nullptr;
  }
  if (sprite->ownsTexture) releaseTexture(sprite->texture);
  sprite->texture = nullptr;
  delete sprite;
}

void bringSpriteToFront(CSprite* sprite) {
  for (auto it = g_spriteList.begin(); it != g_spriteList.end(); ++it) {
    if (*it == sprite) {
      g_spriteList.erase(it);
      g_spriteList.push_back(sprite);
      return;
    }
  }
}

void destroyAllSprites() {
  while (!g_spriteList.empty()) destroySprite(g_spriteList.front());
  releaseAllTextures();
}

uint32_t colorToArgb(const float color[4]) {
  // Truncate towards zero and keep the low byte, so 1.0 is 255 and 0.5 is
  // 127. Values no integer can hold (NaN, infinities) count as 0.
  auto byte = [](float component) -> uint32_t {
    const float scaled = component * 255.0f;
    if (!(scaled > -2147483648.0f && scaled < 2147483648.0f)) return 0;
    return static_cast<uint32_t>(static_cast<int32_t>(scaled)) & 0xffu;
  };
  return (byte(color[3]) << 24) | (byte(color[0]) << 16) | (byte(color[1]) << 8) | byte(color[2]);
}

void rotateVector(float& x, float& y, float angle) {
  const float c = std::cos(angle);
  const float s = std::sin(angle);
  const float nx = x * c - y * s;
  const float ny = y * c + x * s;
  x = nx;
  y = ny;
}

void rotatePoint(float& x, float& y, float centerX, float centerY, float angle) {
  float dx = x - centerX;
  float dy = y - centerY;
  rotateVector(dx, dy, angle);
  x = dx + centerX;
  y = dy + centerY;
}

const std::list<CSprite*>& spriteList() { return g_spriteList; }
