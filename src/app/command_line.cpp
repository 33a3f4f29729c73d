// Parsing the few command-line options the game has.
#include "app/command_line.h"

#include <cctype>
#include <cstring>

#include "ai/computer_level.h"
#include "app/app.h"
#include "net/link.h"

namespace {

bool readPlayer(const std::string& text, int& player) {
  if (text == "1" || text == "2") {
    player = text[0] - '0';
    return true;
  }
  return false;
}

bool isNumber(const std::string& text) {
  if (text.empty()) return false;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
  }
  return true;
}

bool readPort(const std::string& text, uint16_t& port) {
  if (!isNumber(text) || text.size() > 5) return false;
  const unsigned long value = std::stoul(text);
  if (value == 0 || value > 65535) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

}  // namespace

const char* usageLine() {
  return "usage: vesicor [--two-players | --computer 1|2 [--level easy|normal|hard]] [--host [PORT] | "
         "--join HOST[:PORT]] [--seed N]";
}

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
    } else if (arg == "--seed") {
      // A match that starts the same every time: for a bug report, or a
      // page whose first frame is compared with a recorded one.
      if (i + 1 >= argc || !isNumber(argv[i + 1]) || std::strlen(argv[i + 1]) > 9) {
        error = "--seed needs a whole number below a billion";
        if (i + 1 < argc) error += std::string(", not ") + argv[i + 1];
        return false;
      }
      options.seed = static_cast<unsigned>(std::stoul(argv[++i]));
      options.seedGiven = true;
    } else if (arg == "--two-players") {
      options.twoPlayers = true;
    } else if (arg == "--level" || arg.rfind("--level=", 0) == 0) {
      const bool joined = arg != "--level";
      if (!joined && i + 1 >= argc) {
        error = "--level needs easy, normal or hard";
        return false;
      }
      const std::string name = joined ? arg.substr(std::strlen("--level=")) : std::string(argv[++i]);
      if (!parseLevel(name, options.level)) {
        error = "--level is easy, normal or hard, not " + name;
        return false;
      }
      options.levelGiven = true;
    } else if ((arg == "--host" || arg == "--join") && options.mode != CommandLine::Mode::kLocal) {
      error = "--host and --join go alone";
      return false;
    } else if (arg == "--host") {
      options.mode = CommandLine::Mode::kHost;
      options.port = net::kDefaultPort;
      if (i + 1 < argc && isNumber(argv[i + 1]) && !readPort(argv[++i], options.port)) {
        error = std::string("not a port: ") + argv[i];
        return false;
      }
    } else if (arg == "--join") {
      if (i + 1 >= argc) {
        error = "--join needs the host";
        return false;
      }
      const std::string target = argv[++i];
      const size_t colon = target.rfind(':');
      options.mode = CommandLine::Mode::kJoin;
      options.host = target.substr(0, colon);
      options.port = net::kDefaultPort;
      if (colon != std::string::npos && !readPort(target.substr(colon + 1), options.port)) {
        error = "not a port: " + target.substr(colon + 1);
        return false;
      }
      if (options.host.empty()) {
        error = "--join needs the host";
        return false;
      }
    } else {
      error = "unknown option " + arg;
      return false;
    }
  }
  if (options.twoPlayers && (options.computer != 0 || options.mode != CommandLine::Mode::kLocal)) {
    error = "--two-players goes alone";
    return false;
  }
  // Without a match named, the window opens on the title menu.
  options.menu = !options.twoPlayers && options.computer == 0 && options.mode == CommandLine::Mode::kLocal;
  // Over the network each machine has one side: the computer can only play
  // that one.
  const int local = options.mode == CommandLine::Mode::kHost ? 1 : 2;
  if (options.mode != CommandLine::Mode::kLocal && options.computer != 0 && options.computer != local) {
    error = "over the network the computer plays this machine's side: player 1 with --host, 2 with --join";
    return false;
  }
  return true;
}

void applyCommandLine(const CommandLine& options, CApplication& app) {
  app.setFrontDoor(options.menu);
  app.setComputerLevel(options.level);
  if (options.seedGiven) app.setSeed(options.seed);
  if (options.computer != 0) app.setComputer(options.computer, true);
  if (options.mode != CommandLine::Mode::kLocal) {
    net::CNetGame::Where where;
    where.hosting = options.mode == CommandLine::Mode::kHost;
    where.host = options.host;
    where.port = options.port;
    app.setNetwork(where);
  }
}
