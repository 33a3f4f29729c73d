// Parsing the few command-line options the game has.
#include "command_line.h"

#include <cstring>

namespace {

bool readPlayer(const std::string& text, int& player) {
  if (text == "1" || text == "2") {
    player = text[0] - '0';
    return true;
  }
  return false;
}

}  // namespace

const char* usageLine() { return "usage: vesicor [--computer 1|2]"; }

bool parseCommandLine(int argc, const char* const* argv, CommandLine& options, std::string& error) {
  options = CommandLine();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--help" || arg == "-h") {
      options.help = true;
    } else if (arg == "--computer") {
      if (i + 1 >= argc) {
        error = "--computer needs the player it plays, 1 or 2";
        return false;
      }
      if (!readPlayer(argv[++i], options.computer)) {
        error = std::string("--computer plays player 1 or 2, not ") + argv[i];
        return false;
      }
    } else if (arg.rfind("--computer=", 0) == 0) {
      if (!readPlayer(arg.substr(std::strlen("--computer=")), options.computer)) {
        error = "--computer plays player 1 or 2, not " + arg.substr(std::strlen("--computer="));
        return false;
      }
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  return true;
}
