// Applying one player's input to the controllers and the drag state, with
// the rules of whose turn the mouse belongs to.
#include "game/player_input.h"

#include "game/game_manager.h"
#include "game/player_controller.h"

namespace {
constexpr float kWheelTurn = 0.15f;
}

bool inputReaches(const PlayerInput& in, const CGameManager& game, const CDragState& drag) {
  switch (in.action) {
    case PlayerAction::kKeyDown:
    case PlayerAction::kKeyUp:
      return in.player == 1 || in.player == 2;
    case PlayerAction::kMouseMotion:
    case PlayerAction::kButtonDown:
      return in.player == game.currentPlayer;
    case PlayerAction::kButtonUp:
      return in.code == kLeftButton && drag.held && drag.holder == in.player;
  }
  return false;
}

bool applyPlayerInput(const PlayerInput& in, CGameManager& game, CDragState& drag) {
  if (!inputReaches(in, game, drag)) return false;
  switch (in.action) {
    case PlayerAction::kKeyDown:
    case PlayerAction::kKeyUp: {
      CPlayerController& controller = in.player == 1 ? game.controller1 : game.controller2;
      if (in.action == PlayerAction::kKeyDown) {
        controller.keyPress(in.code);
      } else {
        controller.keyRelease(in.code);
      }
      return true;
    }
    case PlayerAction::kMouseMotion:
      drag.mouseMotion(in.x, in.y);
      return true;
    case PlayerAction::kButtonDown:
      if (in.code == kLeftButton) {
        const bool wasHeld = drag.held;
        drag.press();
        if (!wasHeld && drag.held) drag.holder = in.player;
      } else if (in.code == kWheelUp) {
        drag.turn(-kWheelTurn);
      } else if (in.code == kWheelDown) {
        drag.turn(kWheelTurn);
      }
      return true;
    case PlayerAction::kButtonUp:
      drag.release();
      return true;
  }
  return false;
}
