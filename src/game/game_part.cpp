// Game parts: loading, moving and turning as solid bodies in the grid,
// dropping, explosions, and the lifetime that fades a placed part away.
#include "game/game_part.h"

#include <cmath>
#include <iostream>

#include "engine/xml_bind.h"
#include "game/feedback.h"
#include "game/game_manager.h"
#include "game/player_controller.h"
#include "game/rules.h"
#include "platform/clock.h"
#include "platform/device.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"
#include "core/lifetime.h"

std::vector<CGamePart*> g_partList VESICOR_LIFETIME(lifetime::kPartList);

int g_lastPartId = 1;

void resetPartIds() { g_lastPartId = 1; }

namespace {

constexpr float kTurnThreshold = 0.025f;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr float kBlastRadius = 45.0f;
constexpr float kDyingFadeMs = 500.0f;
constexpr float kLifetimeFadeMs = 1000.0f;

}  // namespace

CGamePart::CGamePart() { id = ++g_lastPartId; }

CGamePart::~CGamePart() { destroy(); }

void CGamePart::releaseMasks() {
  // The rotated mask is either our own turned copy or the mask itself; each
  // is owned exactly once, so nothing is ever freed twice.
  rotatedMask = nullptr;
  ownedRotatedMask.reset();
  mask.reset();
}

void CGamePart::loadPictures() {
  releaseMasks();
  mask = loadAlphaMask(fileName);
  rotatedMask = mask.get();
  if (sprite) {
    destroySprite(sprite);
    sprite = nullptr;
  }
  sprite = createSprite(imageFile, 100);
}

void CGamePart::placeSprite() {
  if (!sprite) return;
  sprite->x = screen.x - sprite->width * sprite->scaleX * 0.5f;
  sprite->y = screen.y - sprite->height * sprite->scaleY * 0.5f;
}

void CGamePart::setGridPosition(Vec2 gridPoint) {
  if (gridPoint.x == gridX && gridPoint.y == gridY) return;
  if (inGrid) unstamp(*this);
  Vec2 move{gridPoint.x - gridX, gridPoint.y - gridY};
  gridX = gridPoint.x;
  gridY = gridPoint.y;
  screen = gridToScreen(gridPoint);
  placeSprite();
  if (inGrid) {
    float length = std::sqrt(move.x * move.x + move.y * move.y);
    Vec2 dir = length > 0 ? Vec2{move.x / length, move.y / length} : Vec2{0, 0};
    stamp(*this, dir);
  }
}

void CGamePart::setRotation(float angle) {
  if (absf(angle - rotation) <= kTurnThreshold) return;
  if (inGrid) unstamp(*this);
  rotation = angle;
  rotatedMask = nullptr;
  ownedRotatedMask.reset();
  if (mask) {
    ownedRotatedMask = rotateMask(mask.get(), 360.0 - angle * kRadiansToDegrees);
    rotatedMask = ownedRotatedMask.get();
  }
  if (inGrid) stamp(*this, Vec2{0, -1});
  if (sprite) sprite->rotation = angle;
}

void CGamePart::restorePose(Vec2 gridPoint, float angle) {
  if (inGrid) unstamp(*this);
  rotation = angle;
  ownedRotatedMask.reset();
  rotatedMask = mask.get();
  if (mask && angle != 0) {
    ownedRotatedMask = rotateMask(mask.get(), 360.0 - angle * kRadiansToDegrees);
    rotatedMask = ownedRotatedMask.get();
  }
  if (sprite) sprite->rotation = angle;
  gridX = gridPoint.x;
  gridY = gridPoint.y;
  screen = gridToScreen(gridPoint);
  placeSprite();
  if (inGrid) stamp(*this, Vec2{0, -1});
}

bool CGamePart::wouldOverlap(Vec2 gridPoint, float angle, const CPlacedMask& other) const {
  CPlacedMask moved = *this;
  moved.gridX = gridPoint.x;
  moved.gridY = gridPoint.y;
  std::unique_ptr<CAlphaMask> turned;
  if (absf(angle - rotation) > kTurnThreshold) {
    if (mask) turned = rotateMask(mask.get(), 360.0 - angle * kRadiansToDegrees);
    moved.rotatedMask = turned.get();
  }
  return solidCellsOverlap(moved, other);
}

void CGamePart::update() {
  if (inShop || placedTime == 0) return;
  uint32_t now = platform::gameTicks();
  float age = static_cast<float>(now - placedTime);
  if (dying) {
    if (age > 0 && age < kDyingFadeMs && sprite) sprite->color[3] = 1 - age / kDyingFadeMs;
    if (age > kDyingFadeMs) finished = true;
    return;
  }
  float late = age - lifetime + kLifetimeFadeMs;
  if (late > 0 && late < kLifetimeFadeMs && sprite) sprite->color[3] = 1 - late / kLifetimeFadeMs;
  if (late > kLifetimeFadeMs) finished = true;
}

void CGamePart::drop() {
  if (placedTime == 0) placedTime = platform::gameTicks();
  if (g_feedback) g_feedback->dropped();
  if (!draggingAllowed && distanceSqToArenaCentre(screen) < sqr(kArenaRadius)) ownerPlayer = -1;
  if (bomb != 0) explode(screen);
}

void CGamePart::destroy() {
  unstamp(*this);
  releaseMasks();
  if (sprite) {
    destroySprite(sprite);
    sprite = nullptr;
  }
}

std::unique_ptr<CGamePart> loadGamePart(const std::string& path) {
  auto part = std::make_unique<CGamePart>();
  brin::ReadXmlFile(*part, path, "GamePart");
  // Said here, once per part file: copies load the same mask again and stay
  // quiet. Without a device no mask loads at all, and nothing is wrong.
  if (!part->mask && platform::device()) {
    std::cout << "Part " << path << ": "
              << (part->fileName.empty() ? std::string("it names no mask picture (Filename)")
                                         : "its mask picture " + part->fileName + " could not be read")
              << "; blood flows through the part and it cannot be picked up on the board" << std::endl;
  }
  return part;
}

std::unique_ptr<CGamePart> copyGamePart(const CGamePart& templatePart) {
  auto part = std::make_unique<CGamePart>();
  part->fileName = templatePart.fileName;
  part->imageFile = templatePart.imageFile;
  part->cost = templatePart.cost;
  part->lifetime = templatePart.lifetime;
  part->bomb = templatePart.bomb;
  part->name = templatePart.name;
  part->loadPictures();
  part->setGridPosition(Vec2{templatePart.gridX, templatePart.gridY});
  part->setRotation(templatePart.rotation);
  return part;
}

void explode(Vec2 point) {
  if (g_feedback) g_feedback->blast(point);
  uint32_t now = platform::gameTicks();
  const bool returnsPaddles = g_game && g_game->bombReturnsPaddle;
  for (CGamePart* part : g_partList) {
    if (part->inShop || part->dying) continue;
    if (part->steered && !returnsPaddles) continue;
    float distSq = sqr(part->screen.x - point.x) + sqr(part->screen.y - point.y);
    if (distSq > sqr(kBlastRadius)) continue;
    if (part->steered) {
      // A player's paddle is never destroyed: it goes home, still theirs to steer.
      sendPaddleHome(*g_game, part);
    } else {
      part->dying = true;
      part->placedTime = now;
    }
  }
}

void partListPass(CDragState& drag) {
  size_t i = 0;
  while (i < g_partList.size()) {
    CGamePart* part = g_partList[i];
    if (!part->finished) {
      part->update();
      ++i;
      continue;
    }
    if (drag.part == part) drag.part = nullptr;
    delete part;
    g_partList[i] = g_partList.back();
    g_partList.pop_back();
  }
}
