// The player's own options: volume and mute, the window, the computer's
// level, how long a match runs, the last address joined, whether the help
// hint was shown, the steering keys and the palette; kept in data/options.xml
// apart from the game's settings files.
#pragma once

#include <cstdint>
#include <string>

namespace brin { struct CXmlBindContext; }

struct COptions {
  float volume = 0.8f;
  bool muted = false;
  bool hintShown = false;
  bool fullScreen = false;
  std::string level = "normal";         // the computer's: easy, normal or hard
  std::string matchLength = "standard";  // a name from matchLengths()
  std::string joinAddress;               // as last typed on the join screen
  int hostPort = 28470;                  // hosting from the menu; 0 takes any free port
  // The steering keys as SDL names them, by player (0, 1) and direction
  // (kTurnRight, kForward, kBackward, kTurnLeft).
  std::string steering[2][4] = {{"d", "w", "s", "a"}, {"right", "up", "down", "left"}};
  int palette = 0;  // 0 the first colours; 1 colours that every colour vision tells apart
  void Bind(brin::CXmlBindContext& ctx);
};

// Reads data/options.xml. A missing file gives the defaults, silently, and
// nothing is created until saveOptions. A file that holds no Options element
// gives the defaults and one line on standard error; so does a value that
// does not read, for that key alone. The volume comes back within 0..1, and
// an unknown level, match length or port falls back to its default.
COptions loadOptions();

// Writes data/options.xml whole or not at all (through a temporary file);
// false, after one line on standard error, when the disk refused it.
bool saveOptions(const COptions& options);

// Gives the key map the options' steering keys. SDL must be up, to know the
// names. A name it does not know falls back to its default, and keys that
// clash (two rows on one key, or a key of the game's) all go back to the
// defaults, each case with one line on standard error; the options then
// hold the keys in use.
void applySteeringKeys(COptions& options);
// The key map's steering keys into the options, after a choice or a reset.
void takeSteeringKeys(COptions& options);
