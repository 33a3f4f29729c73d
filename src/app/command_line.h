// The program's command line: whether the computer plays one of the sides,
// and network play (--host [PORT] waits for a second player, --join
// HOST[:PORT] joins one).
#pragma once

#include <cstdint>
#include <string>

struct CommandLine {
  enum class Mode { kLocal, kHost, kJoin };
  int computer = 0;   // the player the computer plays, 0 for none
  bool help = false;  // --help: print the usage and stop
  Mode mode = Mode::kLocal;
  std::string host;   // with kJoin
  uint16_t port = 0;  // with kHost and kJoin
};

// Reads the arguments after the program's name. Returns false, with the
// reason in `error`, for an option it does not know or a bad value.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& options, std::string& error);

// "usage: vesicor [--computer 1|2] [--host [PORT] | --join HOST[:PORT]]"
const char* usageLine();
