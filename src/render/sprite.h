// Sprites: drawn instances of pictures, kept in one list in layer order and
// drawn in two passes around the cell grid, by either drawing means.
#pragma once

#include <cstdint>
#include <list>
#include <string>

#include "platform/device.h"

struct CSprite {
  bool behindGrid = true;
  bool hidden = false;
  bool ownsTexture = false;
  platform::Texture* texture = nullptr;
  float width = 0, height = 0;
  // A sprite normally shows its whole picture; text shows one character cell
  // of a larger one: the window from (srcX, srcY), width x height texels.
  bool window = false;
  float srcX = 0, srcY = 0;
  float x = 0, y = 0;
  int layer = 0;
  float rotation = 0;
  float scaleX = 1.0f, scaleY = 1.0f;
  float color[4] = {1, 1, 1, 1};
  // Set on the faded copies of a picture that follow it in the list: drawn
  // by the sprite interface, the picture and its copies go to the device as
  // one stack, which it may compose more cheaply than layer by layer.
  const CSprite* stackedOn = nullptr;
};

// Creates a sprite of a picture (cached, or loaded for this sprite alone) and
// inserts it by layer. The caller owns the sprite and destroys it.
CSprite* createSprite(const std::string& path, int layer);
// Unlinks the sprite, releases an owned texture and frees the sprite; null is ignored.
void destroySprite(CSprite* sprite);
void bringSpriteToFront(CSprite* sprite);

// Which of the two drawing means sprites go through: the sprite interface
// (true) or textured quads (false, the start).
void useSpriteInterface(bool on);

// The two passes the main loop draws around the grid.
void drawFirstPass();
void drawSecondPass();
bool drawSprite(CSprite& sprite);

struct ColoredCorner {
  float x, y;
  uint32_t argb;
};
// Corners top-left, top-right, bottom-right, bottom-left, in screen pixels.
void drawColoredQuad(const ColoredCorner corners[4]);

// Shutdown: destroys every listed sprite, then releases the cached textures.
void destroyAllSprites();

uint32_t colorToArgb(const float color[4]);

void rotateVector(float& x, float& y, float angle);
void rotatePoint(float& x, float& y, float centerX, float centerY, float angle);

// The drawing order, front (furthest back) first. Not owning.
extern std::list<CSprite*> g_spriteList;
const std::list<CSprite*>& spriteList();

// The sprite interface the sprite-device means draws with; owned here.
void createSpriteInterface();
void releaseSpriteInterface();
