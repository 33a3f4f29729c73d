// The players' steering and mouse handling: vehicle-like driving of a part
// inside the arena circle, and buying, picking, dragging and dropping parts.
#include "game/player_controller.h"

#include <cmath>

#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/rules.h"
#include "game/shop.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"

int g_motionsSinceHover = 0;

namespace {

constexpr float kSpeedStep = 1.125f;
constexpr float kCoastStep = 0.675f;
constexpr float kMaxSpeed = 20.0f;
constexpr float kMinSpeed = -7.5f;
constexpr float kTurnStep = 0.07f;
constexpr float kMaxTurnRate = 0.7f;
constexpr float kTurnDamping = 0.7f;
constexpr float kTurnStopBelow = 0.07f;
constexpr float kTimeFactor = 0.16f;

float faster(float speed) { return clampf(speed + kSpeedStep, 0, kMaxSpeed); }
float slower(float speed) { return clampf(speed - kSpeedStep, kMinSpeed, kMaxSpeed); }
float turnedLeft(float rate) { return clampf(rate - kTurnStep, -kMaxTurnRate, kMaxTurnRate); }
float turnedRight(float rate) { return clampf(rate + kTurnStep, -kMaxTurnRate, kMaxTurnRate); }

}  // namespace

CPlayerController::CPlayerController(CGamePart* p) : part(p) {
  if (!part) return;
  direction = Vec2{std::cos(part->rotation), std::sin(part->rotation)};
  position = part->screenCentre();
}

void CPlayerController::keyPress(int dir) {
  if (dir < 0 || dir > 3) return;
  keys[dir] = 1;
  switch (dir) {
    case kForward: speed = faster(speed); break;
    case kBackward: speed = slower(speed); break;
    case kTurnLeft: turnRate = turnedLeft(turnRate); break;
    case kTurnRight: turnRate = turnedRight(turnRate); break;
  }
}

void CPlayerController::keyRelease(int dir) {
  if (dir < 0 || dir > 3) return;
  keys[dir] = 0;
}

void CPlayerController::update(const CGamePart* solidOther) {
  // Only paddles that are apart are kept apart: one sent home onto the other
  // must be able to drive out, so no position can trap either.
  const bool keepApart = part && solidOther && solidOther != part && !solidCellsOverlap(*part, *solidOther);
  // A held key always acts: presses of opposite keys, or a key pressed while
  // the other one was still winding down, can leave a rate of exactly zero
  // under a held key, which must not stall the part.
  if (turnRate != 0 || keys[kTurnLeft] || keys[kTurnRight]) {
    const Vec2 before = direction;
    if (keys[kTurnLeft]) {
      turnRate = turnedLeft(turnRate);
    } else if (keys[kTurnRight]) {
      turnRate = turnedRight(turnRate);
    } else {
      turnRate *= kTurnDamping;
      if (absf(turnRate) < kTurnStopBelow) turnRate = 0;
    }
    rotateVector(direction.x, direction.y, turnRate * kTimeFactor);
    // Renormalised so that rounding over thousands of frames cannot change
    // the driving speed.
    float length = std::sqrt(sqr(direction.x) + sqr(direction.y));
    if (length > 0) direction = Vec2{direction.x / length, direction.y / length};
    const float angle = std::atan2(direction.y, direction.x);
    if (keepApart && part->wouldOverlap(Vec2{part->gridX, part->gridY}, angle, *solidOther)) {
      direction = before;
      turnRate = 0;
    } else if (part) {
      part->setRotation(angle);
    }
  }
  if (speed != 0 || keys[kForward] || keys[kBackward]) {
    if (keys[kForward]) {
      speed = faster(speed);
    } else if (keys[kBackward]) {
      speed = slower(speed);
    } else {
      // Forward motion coasts to a stop; reverse stops at once.
      speed = clampf(speed - kCoastStep, 0, kMaxSpeed);
    }
    Vec2 next = position;
    next.x += direction.x * speed * kTimeFactor;
    next.y += direction.y * speed * kTimeFactor;
    float distSq = distanceSqToArenaCentre(next);
    if (distSq >= sqr(kArenaRadius)) {
      float dist = std::sqrt(distSq);
      next.x = kArenaCentreX + (next.x - kArenaCentreX) / dist * kArenaRadius;
      next.y = kArenaCentreY + (next.y - kArenaCentreY) / dist * kArenaRadius;
    }
    if (keepApart && part->wouldOverlap(screenToGrid(next), part->rotation, *solidOther)) {
      speed = 0;
    } else {
      position = next;
      if (part) part->setGridPosition(screenToGrid(position));
    }
  }
}

void CDragState::mouseMotion(float x, float y) {
  mouse = Vec2{x, y};
  ++g_motionsSinceHover;
  if (part) {
    part->setGridPosition(screenToGrid(Vec2{mouse.x + grabOffset.x, mouse.y + grabOffset.y}));
    return;
  }
  if (g_motionsSinceHover < 2) return;
  if (!game || game->gameOver) return;
  if (CShop* shop = game->currentShop()) {
    g_motionsSinceHover = 0;
    shop->hover(mouse);
  }
}

void CDragState::press() {
  if (held) return;
  held = true;
  // The length is read again at every step: a purchase appends its copy.
  for (size_t i = 0; i < g_partList.size(); ++i) {
    CGamePart* candidate = g_partList[i];
    if (!reachesPart(*candidate, mouse)) continue;
    part = buyOrPick(candidate, game ? game->currentPlayer : 0);
    if (!part) break;
    Vec2 centre = part->screenCentre();
    grabOffset = Vec2{centre.x - mouse.x, centre.y - mouse.y};
    // A purchase puts the copy in the hand; scanning on could only pay again
    // for a touching template or lose the copy to a later unpickable part.
    if (part != candidate) break;
  }
}

void CDragState::release() {
  if (!held) return;
  if (part) part->drop();
  held = false;
  part = nullptr;
  holder = 0;
}

void CDragState::turn(float radians) {
  if (!held || !part) return;
  part->setRotation(part->rotation + radians);
}

bool isSteeredPart(const CGamePart* p) { return p && p->steered; }
