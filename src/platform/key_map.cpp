// The key table; see key_map.h.
#include "platform/key_map.h"

#include <SDL/SDL.h>

#include <array>
#include <string>

#include "core/player_input.h"

namespace {

#ifdef __EMSCRIPTEN__
// The browser's SDL numbers keys as SDL 2 does (characters as themselves,
// the rest as scancodes over 1024) and names none of them: the names here
// are the desktop SDL 1.2's, so the keys a player chose read the same.
constexpr int kFirstKey = 0;
constexpr int kLastKey = SDLK_LAST;

const char* browserKeyName(int key) {
  static const char* const kControl[] = {"backspace", "tab", nullptr, nullptr, nullptr, "return"};
  static char character[2] = {0, 0};
  if (key >= 8 && key <= 13) return kControl[key - 8];
  if (key == 27) return "escape";
  if (key == 32) return "space";
  if (key == 127) return "delete";
  // Letters come as lower case only, as on the desktop.
  if (key > 32 && key < 127 && !(key >= 'A' && key <= 'Z')) {
    character[0] = static_cast<char>(key);
    return character;
  }
  if (key < SDLK_SCANCODE_MASK) return nullptr;
  const int code = key - SDLK_SCANCODE_MASK;
  static const char* const kFunction[] = {"f1", "f2", "f3", "f4", "f5", "f6", "f7", "f8", "f9", "f10", "f11", "f12"};
  if (code >= SDL_SCANCODE_F1 && code <= SDL_SCANCODE_F12) return kFunction[code - SDL_SCANCODE_F1];
  static const char* const kKeypad[] = {"[1]", "[2]", "[3]", "[4]", "[5]", "[6]", "[7]", "[8]", "[9]", "[0]", "[.]"};
  if (code >= SDL_SCANCODE_KP_1 && code <= SDL_SCANCODE_KP_PERIOD) return kKeypad[code - SDL_SCANCODE_KP_1];
  switch (code) {
    case SDL_SCANCODE_UP: return "up";
    case SDL_SCANCODE_DOWN: return "down";
    case SDL_SCANCODE_LEFT: return "left";
    case SDL_SCANCODE_RIGHT: return "right";
    case SDL_SCANCODE_INSERT: return "insert";
    case SDL_SCANCODE_HOME: return "home";
    case SDL_SCANCODE_END: return "end";
    case SDL_SCANCODE_PAGEUP: return "page up";
    case SDL_SCANCODE_PAGEDOWN: return "page down";
    case SDL_SCANCODE_KP_DIVIDE: return "[/]";
    case SDL_SCANCODE_KP_MULTIPLY: return "[*]";
    case SDL_SCANCODE_KP_MINUS: return "[-]";
    case SDL_SCANCODE_KP_PLUS: return "[+]";
    case SDL_SCANCODE_KP_ENTER: return "enter";
    case SDL_SCANCODE_LSHIFT: return "left shift";
    case SDL_SCANCODE_RSHIFT: return "right shift";
    case SDL_SCANCODE_LCTRL: return "left ctrl";
    case SDL_SCANCODE_RCTRL: return "right ctrl";
    case SDL_SCANCODE_LALT: return "left alt";
    case SDL_SCANCODE_RALT: return "right alt";
    default: return nullptr;
  }
}
#else
constexpr int kFirstKey = SDLK_FIRST;
constexpr int kLastKey = SDLK_LAST;
#endif

// Where two keys give the same command, the first is the one a name means.
// The steering rows come first, so a row's place tells its player and
// direction.
constexpr KeyBinding kDefaults[] = {
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

constexpr size_t kSteeringRows = 8;

constexpr size_t kRows = sizeof kDefaults / sizeof kDefaults[0];

constexpr std::array<KeyBinding, kRows> copyOfDefaults() {
  std::array<KeyBinding, kRows> rows{};
  for (size_t i = 0; i < kRows; ++i) rows[i] = kDefaults[i];
  return rows;
}

// The table in use: the defaults with the steering keys as chosen.
std::array<KeyBinding, kRows> g_bindings = copyOfDefaults();

KeyBinding* steeringRow(int player, int direction) {
  for (size_t i = 0; i < kSteeringRows; ++i) {
    if (g_bindings[i].player == player && g_bindings[i].direction == direction) return &g_bindings[i];
  }
  return nullptr;
}

const char* commandWord(AppCommand command) {
  switch (command) {
    case AppCommand::kQuit: return "quit";
    case AppCommand::kHelp: return "help";
    case AppCommand::kPause: return "pause";
    case AppCommand::kSound: return "sound";
    case AppCommand::kEnter: return "Enter";
    case AppCommand::kHandOver: return "computer";
    case AppCommand::kWaitForOther: return "wait";
    case AppCommand::kFullScreen: return "full screen";
    case AppCommand::kNone: break;
  }
  return "";
}

}  // namespace

const KeyBinding* bindingOfKey(int key) {
  for (const KeyBinding& b : g_bindings) {
    if (b.key == key) return &b;
  }
  return nullptr;
}

const KeyBinding* bindingNamed(const std::string& name) {
  for (const KeyBinding& b : g_bindings) {
    if (name == b.name) return &b;
  }
  return nullptr;
}

const char* steeringKeyName(int player, int direction) {
  for (const KeyBinding& b : g_bindings) {
    if (b.player != 0 && b.player == player && b.direction == direction) return b.name;
  }
  return nullptr;
}

const char* commandKeyName(AppCommand command) {
  for (const KeyBinding& b : g_bindings) {
    if (b.command == command) return b.name;
  }
  return nullptr;
}

AppCommand commandOfKey(int key) {
  const KeyBinding* b = bindingOfKey(key);
  return b ? b->command : AppCommand::kNone;
}

int steeringKey(int player, int direction) {
  const KeyBinding* row = steeringRow(player, direction);
  return row ? row->key : 0;
}

int defaultSteeringKey(int player, int direction) {
  for (size_t i = 0; i < kSteeringRows; ++i) {
    if (kDefaults[i].player == player && kDefaults[i].direction == direction) return kDefaults[i].key;
  }
  return 0;
}

void setSteeringKey(int player, int direction, int key) {
  if (KeyBinding* row = steeringRow(player, direction)) row->key = key;
}

void resetSteeringKeys() {
  for (size_t i = 0; i < kSteeringRows; ++i) g_bindings[i].key = kDefaults[i].key;
}

const char* directionName(int direction) {
  switch (direction) {
    case kForward: return "forward";
    case kBackward: return "back";
    case kTurnLeft: return "turn left";
    case kTurnRight: return "turn right";
    default: return "";
  }
}

std::string steeringKeyRefusal(int player, int direction, int key) {
  if (!steeringRow(player, direction)) return "no such steering key";
  if (key <= kFirstKey || key >= kLastKey) return "not a key";
  const std::string name = keyName(key);
  const KeyBinding* b = bindingOfKey(key);
  if (b && b->command != AppCommand::kNone) return name + " is the game's " + commandWord(b->command) + " key";
  if (b && b->player != player) {
    return name + " is player " + std::to_string(b->player) + "'s " + directionName(b->direction) + " key";
  }
  return {};
}

bool chooseSteeringKey(int player, int direction, int key) {
  if (!steeringKeyRefusal(player, direction, key).empty()) return false;
  KeyBinding* row = steeringRow(player, direction);
  for (size_t i = 0; i < kSteeringRows; ++i) {
    // The player's own key from another direction: the two swap.
    if (g_bindings[i].key == key && &g_bindings[i] != row) g_bindings[i].key = row->key;
  }
  row->key = key;
  return true;
}

std::string keyName(int key) {
  if (key <= kFirstKey || key >= kLastKey) return {};
#ifdef __EMSCRIPTEN__
  const char* known = browserKeyName(key);
  const std::string name = known ? known : "unknown key";
#else
  const std::string name = SDL_GetKeyName(static_cast<SDLKey>(key));
#endif
  // What SDL says of every key before its video is up, or of keys it
  // cannot name.
  return name == "unknown key" ? std::string() : name;
}

int keyNamed(const std::string& name) {
  if (name.empty()) return 0;
  for (int key = kFirstKey + 1; key < kLastKey; ++key) {
    const std::string known = keyName(key);
    if (name == known) return key;
  }
  return 0;
}
