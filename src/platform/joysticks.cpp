// The gamepads through SDL 1.2's joystick functions; see joysticks.h.
#include "platform/joysticks.h"

#include <SDL/SDL.h>

#include <iostream>
#include <vector>

namespace platform {
namespace {
std::vector<SDL_Joystick*> g_open;
int g_testCount = -1;
bool g_subsystemUp = false;
}  // namespace

int openJoysticks() {
  closeJoysticks();
  if (g_testCount >= 0) return g_testCount;
  if (SDL_InitSubSystem(SDL_INIT_JOYSTICK) < 0) return 0;
  g_subsystemUp = true;
  const int found = SDL_NumJoysticks();
  for (int i = 0; i < found; ++i) {
    SDL_Joystick* pad = SDL_JoystickOpen(i);
    // A pad that will not open is one fewer, and the later ones keep
    // their index: events name pads by it.
    g_open.push_back(pad);
    if (pad) std::cout << "Gamepad " << i + 1 << ": " << SDL_JoystickName(i) << std::endl;
  }
  SDL_JoystickEventState(SDL_ENABLE);
  return found;
}

void closeJoysticks() {
  for (SDL_Joystick* pad : g_open) {
    if (pad) SDL_JoystickClose(pad);
  }
  g_open.clear();
  if (g_subsystemUp) SDL_QuitSubSystem(SDL_INIT_JOYSTICK);
  g_subsystemUp = false;
}

void setJoystickCountForTests(int count) { g_testCount = count; }

}  // namespace platform
