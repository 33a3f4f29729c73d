// The one way a player's hands reach the game: the steering keys press and
// release the player's controller, the mouse moves, buys, drags, turns and
// drops through the drag state. The keyboard and mouse dispatch and the
// computer player both speak through it, every input tagged with its player.
#pragma once

class CGameManager;
struct CDragState;

enum class PlayerAction : unsigned char { kKeyDown, kKeyUp, kMouseMotion, kButtonDown, kButtonUp };

// A plain record, so inputs can be queued, recorded or sent as they are.
struct PlayerInput {
  int player = 0;  // 1 or 2
  PlayerAction action = PlayerAction::kKeyDown;
  int code = 0;  // keys: the direction (kTurnRight ... kTurnLeft); buttons: 1 left, 4 wheel up, 5 wheel down
  float x = 0, y = 0;  // motion: the pointer in the 512 x 512 drawing space
};

constexpr int kLeftButton = 1;
constexpr int kWheelUp = 4;
constexpr int kWheelDown = 5;

// Keys steer the player's own controller at any time. The mouse acts only for
// the player whose turn it is, and a release of the left button only for the
// player whose press is being held, so one player's hand never moves or drops
// what the other holds.
void applyPlayerInput(const PlayerInput& input, CGameManager& game, CDragState& drag);
