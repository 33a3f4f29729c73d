// The program's command line: whether the computer plays one of the sides.
#pragma once

#include <string>

struct CommandLine {
  int computer = 0;   // the player the computer plays, 0 for none
  bool help = false;  // --help: print the usage and stop
};

// Reads the arguments after the program's name. Returns false, with the
// reason in `error`, for an option it does not know or a bad value.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& options, std::string& error);

// "usage: vesicor [--computer 1|2]"
const char* usageLine();
