// What a player's hands do, as a plain record: the one form in which the
// keyboard, the mouse, the computer player, the network and the replays all
// reach the game.
#pragma once

enum class PlayerAction : unsigned char { kKeyDown, kKeyUp, kMouseMotion, kButtonDown, kButtonUp };

// Steering directions, the codes of key inputs.
enum : int { kTurnRight = 0, kForward = 1, kBackward = 2, kTurnLeft = 3 };

// Enter after a win, as a key of its own: in a networked match a new match
// must start on both machines at the same step.
constexpr int kNewMatchCode = -1;

constexpr int kLeftButton = 1;
constexpr int kWheelUp = 4;
constexpr int kWheelDown = 5;

// A plain record, so inputs can be queued, recorded or sent as they are.
struct PlayerInput {
  int player = 0;  // 1 or 2
  PlayerAction action = PlayerAction::kKeyDown;
  int code = 0;  // keys: the direction (kTurnRight ... kTurnLeft); buttons: 1 left, 4 wheel up, 5 wheel down
  float x = 0, y = 0;  // motion: the pointer in the 512 x 512 drawing space
};
