// Event dispatch: the keyboard table for both players, the mouse buttons and
// wheel for the drag state, and the two ways of ending the loop.
#include "input.h"

#include "game/game_manager.h"
#include "game/player_controller.h"

namespace {

constexpr float kWheelTurn = 0.15f;

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

void dispatchEvent(const SDL_Event& event, bool& running, CGameManager* game, CDragState& drag) {
  switch (event.type) {
    case SDL_QUIT:
      running = false;
      return;
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) {
        running = false;
        return;
      }
      int player = 0, dir = 0;
      if (!game || !keyBinding(event.key.keysym.sym, player, dir)) return;
      CPlayerController& controller = player == 1 ? game->controller1 : game->controller2;
      if (event.type == SDL_KEYDOWN) {
        controller.keyPress(dir);
      } else {
        controller.keyRelease(dir);
      }
      return;
    }
    case SDL_MOUSEMOTION:
      if (game) drag.mouseMotion(static_cast<float>(event.motion.x), static_cast<float>(event.motion.y));
      return;
    case SDL_MOUSEBUTTONDOWN:
      if (!game) return;
      if (event.button.button == SDL_BUTTON_LEFT) drag.press();
      if (event.button.button == SDL_BUTTON_WHEELUP) drag.turn(-kWheelTurn);
      if (event.button.button == SDL_BUTTON_WHEELDOWN) drag.turn(kWheelTurn);
      return;
    case SDL_MOUSEBUTTONUP:
      if (game && event.button.button == SDL_BUTTON_LEFT) drag.release();
      return;
    default:
      return;
  }
}
