// The program's command line: with no match named the title menu opens;
// --two-players starts two players at one keyboard, --computer N a match
// against the computer (at --level), and --host [PORT] / --join HOST[:PORT]
// network play, each straight into its match.
#pragma once

#include <cstdint>
#include <string>

#include "ai/computer_level.h"

struct CommandLine {
  enum class Mode { kLocal, kHost, kJoin };
  bool menu = true;   // no match named: the title menu
  bool twoPlayers = false;
  int computer = 0;   // the player the computer plays, 0 for none
  ComputerLevel level = ComputerLevel::kNormal;
  bool levelGiven = false;
  bool help = false;  // --help: print the usage and stop
  Mode mode = Mode::kLocal;
  std::string host;   // with kJoin
  uint16_t port = 0;  // with kHost and kJoin
  unsigned seed = 0;  // --seed: the random sources' seed instead of the time
  bool seedGiven = false;
};

// Reads the arguments after the program's name. Returns false, with the
// reason in `error`, for an option it does not know or a bad value.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& options, std::string& error);

class CApplication;

// Sets the application up for the match the command line names (the title
// menu when it names none), before its start-up.
void applyCommandLine(const CommandLine& options, CApplication& app);

// "usage: vesicor [--two-players | --computer 1|2 [--level ...]] [--host ...]"
const char* usageLine();
