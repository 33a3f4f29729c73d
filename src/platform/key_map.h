// The one key map: which keys steer which player in which direction and which
// keys command the application, with the names replays spell them by. Keys
// are SDL key symbols held as plain numbers, so the game side can name keys
// without seeing SDL. The steering keys can be chosen at run time; a row
// keeps its name whatever key it holds, so a replay's "w" always means
// player 1's forward.
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
// The name replays give the row that steers `player` in `direction` (its
// default key's, whichever key it holds now); null if none.
const char* steeringKeyName(int player, int direction);
// The name of the first key that gives `command`.
const char* commandKeyName(AppCommand command);
// The command a key gives, kNone for steering keys and unbound ones.
AppCommand commandOfKey(int key);

// The key that steers `player` in `direction` now, and the one it starts with.
int steeringKey(int player, int direction);
int defaultSteeringKey(int player, int direction);
// Gives that steering row another key; the caller keeps the keys apart and
// off the application's commands (see steeringKeyRefusal).
void setSteeringKey(int player, int direction, int key);
void resetSteeringKeys();
// Why `key` cannot steer `player` in `direction` ("f1 is the game's help
// key", "up is player 2's forward key"); empty when it can. A key the same player
// steers with in another direction is no clash: the two are swapped.
std::string steeringKeyRefusal(int player, int direction, int key);
// Takes the key for that row, swapping with the player's own row that held
// it; false, changing nothing, when steeringKeyRefusal refuses it.
bool chooseSteeringKey(int player, int direction, int key);

// SDL's own name of a key ("w", "up", "return"), and the key of such a name
// (0 when there is none). SDL knows the names once its video is up.
std::string keyName(int key);
int keyNamed(const std::string& name);
// "forward", "back", "turn left", "turn right".
const char* directionName(int direction);
