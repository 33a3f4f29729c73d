// Event dispatch: the keyboard table for both players, the mouse buttons and
// wheel for the drag state, and the two ways of ending the loop. Player
// input goes through the same seam as the computer player's.
#include "input.h"

#include "game/game_manager.h"
#include "game/player_controller.h"
#include "game/player_input.h"

namespace {

// Which controller and direction a key drives; false for keys not in the table.
bool keyBinding(SDLKey key, int& player, int& dir) {
  switch (key) {
    case SDLK_w: player = 1; dir = kForward; return true;
    case SDLK_s: player = 1; dir = kBackward; return true;
    case SDLK_a: player = 1; dir = kTurnLeft; return true;
    case SDLK_d: player = 1; dir = kTurnRight; return true;
    case SDLK_UP: player = 2; dir = kForward; return true;
    case SDLK_DOWN: player = 2; dir = kBackward; return true;
    case SDLK_LEFT: player = 2; dir = kTurnLeft; return true;
    case SDLK_RIGHT: player = 2; dir = kTurnRight; return true;
    default: return false;
  }
}

}  // namespace

void dispatchEvent(const SDL_Event& event, bool& running, CGameManager* game, CDragState& drag,
                   ComputerSeats computer) {
  if (event.type == SDL_QUIT || (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) {
    running = false;
    return;
  }
  if (!game) return;
  PlayerInput in;
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP:
      if (!keyBinding(event.key.keysym.sym, in.player, in.code)) return;
      in.action = event.type == SDL_KEYDOWN ? PlayerAction::kKeyDown : PlayerAction::kKeyUp;
      break;
    case SDL_MOUSEMOTION:
      in.action = PlayerAction::kMouseMotion;
      in.x = static_cast<float>(event.motion.x);
      in.y = static_cast<float>(event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      in.action = event.type == SDL_MOUSEBUTTONDOWN ? PlayerAction::kButtonDown : PlayerAction::kButtonUp;
      in.code = event.button.button;
      break;
    default:
      return;
  }
  if (in.action != PlayerAction::kKeyDown && in.action != PlayerAction::kKeyUp) {
    // The one mouse belongs to whoever's turn it is, and a release to whoever
    // pressed.
    in.player = in.action == PlayerAction::kButtonUp && drag.held ? drag.holder : game->currentPlayer;
  }
  if (computer.plays(in.player)) return;
  applyPlayerInput(in, *game, drag);
}
