// The gamepads' state and what it sends the game; see gamepad.h.
#include "app/gamepad.h"

#include <cmath>

namespace {

constexpr float kStickRange = 32767.0f;
constexpr float kDrawingEdge = 511.0f;

unsigned bit(int direction) { return 1u << direction; }

// How far a stick leans past the dead zone, -1 to 1.
float lean(int axis) {
  const int past = axis > kStickDeadZone ? axis - kStickDeadZone : axis < -kStickDeadZone ? axis + kStickDeadZone : 0;
  return clampf(static_cast<float>(past) / (kStickRange - static_cast<float>(kStickDeadZone)), -1.0f, 1.0f);
}

PlayerInput input(int player, PlayerAction action, int code, Vec2 at = {}) {
  PlayerInput in;
  in.player = player;
  in.action = action;
  in.code = code;
  in.x = at.x;
  in.y = at.y;
  return in;
}

Vec2 wholePixels(Vec2 p) { return {std::round(p.x), std::round(p.y)}; }

SDLKey menuKeyOf(unsigned newlyHeld) {
  if (newlyHeld & bit(kForward)) return SDLK_UP;
  if (newlyHeld & bit(kBackward)) return SDLK_DOWN;
  if (newlyHeld & bit(kTurnLeft)) return SDLK_LEFT;
  if (newlyHeld & bit(kTurnRight)) return SDLK_RIGHT;
  return SDLK_UNKNOWN;
}

}  // namespace

int padPlayer(int pad, int padCount, int onlyPlayer) {
  if (pad < 0 || pad >= padCount) return 0;
  if (onlyPlayer == 1 || onlyPlayer == 2) return onlyPlayer;
  if (padCount == 1) return 2;
  return pad < 2 ? pad + 1 : 0;
}

unsigned stickDirections(int axisX, int axisY) {
  unsigned held = 0;
  // Up on a stick is negative, as on the screen.
  if (axisY < -kStickDeadZone) held |= bit(kForward);
  if (axisY > kStickDeadZone) held |= bit(kBackward);
  if (axisX < -kStickDeadZone) held |= bit(kTurnLeft);
  if (axisX > kStickDeadZone) held |= bit(kTurnRight);
  return held;
}

unsigned hatDirections(int hat) {
  unsigned held = 0;
  if (hat & SDL_HAT_UP) held |= bit(kForward);
  if (hat & SDL_HAT_DOWN) held |= bit(kBackward);
  if (hat & SDL_HAT_LEFT) held |= bit(kTurnLeft);
  if (hat & SDL_HAT_RIGHT) held |= bit(kTurnRight);
  return held;
}

Vec2 padPointerStep(Vec2 pointer, int axisX, int axisY) {
  return {clampf(pointer.x + lean(axisX) * kPadPointerStep, 0.0f, kDrawingEdge),
          clampf(pointer.y + lean(axisY) * kPadPointerStep, 0.0f, kDrawingEdge)};
}

void CGamepads::setup(int padCount, int onlyPlayer, std::vector<PlayerInput>& out) {
  if (padCount < 0) padCount = 0;
  pads_.resize(static_cast<size_t>(padCount));
  for (int i = 0; i < padCount; ++i) {
    Pad& pad = pads_[static_cast<size_t>(i)];
    const int player = padPlayer(i, padCount, onlyPlayer);
    if (pad.player == player) continue;
    letGo(pad, out);
    pad.player = player;
  }
}

int CGamepads::playerOf(int pad) const {
  return pad >= 0 && pad < count() ? pads_[static_cast<size_t>(pad)].player : 0;
}

void CGamepads::letGo(Pad& pad, std::vector<PlayerInput>& out) {
  for (int direction = kTurnRight; direction <= kTurnLeft; ++direction) {
    if (pad.sent & bit(direction)) out.push_back(input(pad.player, PlayerAction::kKeyUp, direction));
  }
  pad.sent = 0;
  if (pad.chooseSent) out.push_back(input(pad.player, PlayerAction::kButtonUp, kLeftButton, wholePixels(pad.pointer)));
  pad.chooseSent = false;
  pad.pointing = false;
}

void CGamepads::steer(Pad& pad, int turnPlayer, std::vector<PlayerInput>& out) {
  if (pad.player == 0) return;
  // In the player's own turn the stick is the pointer; the cross steers on.
  const bool stickPoints = turnPlayer == pad.player;
  const unsigned held = hatDirections(pad.hat) | (stickPoints ? 0u : stickDirections(pad.axisX, pad.axisY));
  for (int direction = kTurnRight; direction <= kTurnLeft; ++direction) {
    const bool want = (held & bit(direction)) != 0, told = (pad.sent & bit(direction)) != 0;
    if (want != told) out.push_back(input(pad.player, want ? PlayerAction::kKeyDown : PlayerAction::kKeyUp, direction));
  }
  pad.sent = held;
  if (pad.chooseSent && !pad.choose) {
    out.push_back(input(pad.player, PlayerAction::kButtonUp, kLeftButton, wholePixels(pad.pointer)));
    pad.chooseSent = false;
  }
}

SDLKey CGamepads::handleEvent(const SDL_Event& event, int turnPlayer, Vec2 pointer, bool toGame,
                              std::vector<PlayerInput>& out) {
  int which = -1;
  switch (event.type) {
    case SDL_JOYAXISMOTION: which = event.jaxis.which; break;
    case SDL_JOYHATMOTION: which = event.jhat.which; break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: which = event.jbutton.which; break;
    default: return SDLK_UNKNOWN;
  }
  if (which < 0 || which >= count()) return SDLK_UNKNOWN;
  Pad& pad = pads_[static_cast<size_t>(which)];
  const unsigned before = stickDirections(pad.axisX, pad.axisY) | hatDirections(pad.hat);
  SDLKey key = SDLK_UNKNOWN;
  switch (event.type) {
    case SDL_JOYAXISMOTION:
      // The first stick; other axes (a second stick, triggers that rest at
      // one end) are left alone.
      if (event.jaxis.axis == 0) pad.axisX = event.jaxis.value;
      if (event.jaxis.axis == 1) pad.axisY = event.jaxis.value;
      break;
    case SDL_JOYHATMOTION:
      if (event.jhat.hat == 0) pad.hat = event.jhat.value;
      break;
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP: {
      const bool down = event.type == SDL_JOYBUTTONDOWN;
      const int button = event.jbutton.button;
      if (button == kPadChoose) pad.choose = down;
      if (down && button == kPadChoose) key = SDLK_RETURN;
      if (down && button == kPadBack) key = SDLK_ESCAPE;
      if (!toGame || pad.player == 0 || !down) break;
      // Where the pad's own movement has the pointer, or where it lies.
      const Vec2 at = pad.pointing ? wholePixels(pad.pointer) : pointer;
      if (button == kPadChoose) {
        out.push_back(input(pad.player, PlayerAction::kButtonDown, kLeftButton, at));
        pad.chooseSent = true;
        if (!pad.pointing) pad.pointer = at;
      } else if (button == kPadShoulderLeft || button == kPadShoulderRight) {
        out.push_back(input(pad.player, PlayerAction::kButtonDown, button == kPadShoulderLeft ? kWheelUp : kWheelDown, at));
      }
      break;
    }
    default:
      break;
  }
  if (key == SDLK_UNKNOWN) {
    key = menuKeyOf((stickDirections(pad.axisX, pad.axisY) | hatDirections(pad.hat)) & ~before);
  }
  if (toGame) steer(pad, turnPlayer, out);
  return key;
}

void CGamepads::step(int turnPlayer, Vec2 pointer, std::vector<PlayerInput>& out) {
  for (Pad& pad : pads_) {
    steer(pad, turnPlayer, out);
    const bool leaning = stickDirections(pad.axisX, pad.axisY) != 0;
    if (pad.player == 0 || turnPlayer != pad.player || !leaning) {
      pad.pointing = false;
      continue;
    }
    // A new movement starts where the pointer is; during one the pad keeps
    // its own fraction of a pixel (and, over the network, runs ahead of
    // its inputs coming back).
    if (!pad.pointing) pad.pointer = pointer;
    pad.pointing = true;
    const Vec2 from = wholePixels(pad.pointer);
    pad.pointer = padPointerStep(pad.pointer, pad.axisX, pad.axisY);
    const Vec2 to = wholePixels(pad.pointer);
    if (to.x != from.x || to.y != from.y) out.push_back(input(pad.player, PlayerAction::kMouseMotion, 0, to));
  }
}
