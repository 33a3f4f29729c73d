// How players act: a controller steers one part like a vehicle with four
// keys, and the drag state buys, picks, drags, turns and drops with the mouse.
#pragma once

#include "core/math2d.h"
#include "core/player_input.h"

class CGameManager;
class CGamePart;

class CPlayerController {
 public:
  CPlayerController() = default;
  // Starts at rest, heading along the part's rotation, at the part's centre.
  explicit CPlayerController(CGamePart* part);

  // A press sets the flag and gives the first increment at once; a release
  // only clears the flag. Unknown directions are ignored.
  void keyPress(int dir);
  void keyRelease(int dir);

  // Once per simulation step: turning, then driving, kept inside the arena
  // circle. With `solidOther` (the SolidPaddles rule: the other player's
  // paddle) a turn or a move that would bring the two from apart to sharing
  // a solid cell does not happen and stops that turn or drive, as a wall
  // would; paddles that already overlap move freely until they part.
  void update(const CGamePart* solidOther = nullptr);

  CGamePart* part = nullptr;
  Vec2 position;
  Vec2 direction{1, 0};
  float speed = 0;
  float turnRate = 0;
  int keys[4] = {0, 0, 0, 0};
};

// Value-initialised means idle: nothing held, nothing dragged.
struct CDragState {
  // Drags a held part; otherwise, every second event, lets the shop of the
  // player whose turn it is show what lies under the mouse.
  void mouseMotion(float x, float y);
  // Left button: buys or picks up what lies under the mouse.
  void press();
  // Left button up: drops the dragged part.
  void release();
  // Wheel: turns the dragged part while the button is held.
  void turn(float radians);

  Vec2 mouse;
  bool held = false;
  CGamePart* part = nullptr;
  Vec2 grabOffset;
  int holder = 0;  // the player whose press is being held
  // The game the hands act on: its turn decides whose shop and parts the
  // mouse reaches. Without one the mouse only drags.
  CGameManager* game = nullptr;
};

// Mouse motion events since the shop last hovered.
extern int g_motionsSinceHover;

// True when one of the game's controllers steers the part (the shop slide
// leaves such a template where it is).
bool isSteeredPart(const CGamePart* part);
