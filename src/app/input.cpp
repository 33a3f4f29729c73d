// Event translation through the key map; see input.h.
#include "app/input.h"

#include "platform/key_map.h"

bool playerInputOf(const SDL_Event& event, PlayerInput& in) {
  in = PlayerInput();
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const KeyBinding* b = bindingOfKey(event.key.keysym.sym);
      if (!b || b->player == 0) return false;
      in.player = b->player;
      in.code = b->direction;
      in.action = event.type == SDL_KEYDOWN ? PlayerAction::kKeyDown : PlayerAction::kKeyUp;
      return true;
    }
    case SDL_MOUSEMOTION:
      in.action = PlayerAction::kMouseMotion;
      in.x = static_cast<float>(event.motion.x);
      in.y = static_cast<float>(event.motion.y);
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      in.action = event.type == SDL_MOUSEBUTTONDOWN ? PlayerAction::kButtonDown : PlayerAction::kButtonUp;
      in.code = event.button.button;
      in.x = static_cast<float>(event.button.x);
      in.y = static_cast<float>(event.button.y);
      // Other buttons do nothing in the game.
      return in.code == kLeftButton || in.code == kWheelUp || in.code == kWheelDown;
    default:
      return false;
  }
}

bool isQuit(const SDL_Event& event) {
  return event.type == SDL_QUIT ||
         (event.type == SDL_KEYDOWN && commandOfKey(event.key.keysym.sym) == AppCommand::kQuit);
}
