// The one key map: which keys steer which player in which direction and which
// keys command the application, with the names replays spell them by. Keys
// are SDL key symbols held as plain numbers, so the game side can name keys
// without seeing SDL.
#pragma once

#include <string>

enum class AppCommand { kNone, kQuit, kHelp, kPause, kSound, kEnter, kHandOver, kWaitForOther, kFullScreen };

struct KeyBinding {
  int key;           // an SDL key symbol
  const char* name;  // as a replay script writes it
  int player;        // 1 or 2 for a steering key, else 0
  int direction;     // kTurnRight ... kTurnLeft for a steering key
  AppCommand command;
};

// Null for a key the game does not use.
const KeyBinding* bindingOfKey(int key);
const KeyBinding* bindingNamed(const std::string& name);
// The name of the key that steers `player` in `direction`; null if none.
const char* steeringKeyName(int player, int direction);
// The name of the first key that gives `command`.
const char* commandKeyName(AppCommand command);
// The command a key gives, kNone for steering keys and unbound ones.
AppCommand commandOfKey(int key);
