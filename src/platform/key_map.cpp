// The key table; see key_map.h.
#include "platform/key_map.h"

#include <SDL/SDL.h>

#include "core/player_input.h"

namespace {

// Where two keys give the same command, the first is the one a name means.
const KeyBinding kBindings[] = {
    {SDLK_w, "w", 1, kForward, AppCommand::kNone},
    {SDLK_s, "s", 1, kBackward, AppCommand::kNone},
    {SDLK_a, "a", 1, kTurnLeft, AppCommand::kNone},
    {SDLK_d, "d", 1, kTurnRight, AppCommand::kNone},
    {SDLK_UP, "up", 2, kForward, AppCommand::kNone},
    {SDLK_DOWN, "down", 2, kBackward, AppCommand::kNone},
    {SDLK_LEFT, "left", 2, kTurnLeft, AppCommand::kNone},
    {SDLK_RIGHT, "right", 2, kTurnRight, AppCommand::kNone},
    {SDLK_ESCAPE, "escape", 0, 0, AppCommand::kQuit},
    {SDLK_F1, "f1", 0, 0, AppCommand::kHelp},
    {SDLK_p, "p", 0, 0, AppCommand::kPause},
    {SDLK_m, "m", 0, 0, AppCommand::kSound},
    {SDLK_RETURN, "enter", 0, 0, AppCommand::kEnter},
    {SDLK_KP_ENTER, "keypad enter", 0, 0, AppCommand::kEnter},
    {SDLK_F2, "f2", 0, 0, AppCommand::kHandOver},
    {SDLK_r, "r", 0, 0, AppCommand::kWaitForOther},
    {SDLK_F11, "f11", 0, 0, AppCommand::kFullScreen},
};

}  // namespace

const KeyBinding* bindingOfKey(int key) {
  for (const KeyBinding& b : kBindings) {
    if (b.key == key) return &b;
  }
  return nullptr;
}

const KeyBinding* bindingNamed(const std::string& name) {
  for (const KeyBinding& b : kBindings) {
    if (name == b.name) return &b;
  }
  return nullptr;
}

const char* steeringKeyName(int player, int direction) {
  for (const KeyBinding& b : kBindings) {
    if (b.player != 0 && b.player == player && b.direction == direction) return b.name;
  }
  return nullptr;
}

const char* commandKeyName(AppCommand command) {
  for (const KeyBinding& b : kBindings) {
    if (b.command == command) return b.name;
  }
  return nullptr;
}

AppCommand commandOfKey(int key) {
  const KeyBinding* b = bindingOfKey(key);
  return b ? b->command : AppCommand::kNone;
}
