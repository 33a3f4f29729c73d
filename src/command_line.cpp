// Reading the command line; see command_line.h.
#include "command_line.h"

#include <cctype>

#include "net/link.h"

const char* const kUsageLine = "usage: vesicor [--host [PORT] | --join HOST[:PORT]]";

namespace {

bool readPort(const std::string& text, uint16_t& port) {
  if (text.empty() || text.size() > 5) return false;
  unsigned long value = 0;
  for (char c : text) {
    if (!std::isdigit(static_cast<unsigned char>(c))) return false;
    value = value * 10 + static_cast<unsigned long>(c - '0');
  }
  if (value == 0 || value > 65535) return false;
  port = static_cast<uint16_t>(value);
  return true;
}

bool isNumber(const char* text) {
  if (!*text) return false;
  for (; *text; ++text) {
    if (!std::isdigit(static_cast<unsigned char>(*text))) return false;
  }
  return true;
}

}  // namespace

bool parseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error) {
  line = CommandLine();
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (line.mode != CommandLine::Mode::kLocal && (arg == "--host" || arg == "--join")) {
      error = "--host and --join go alone";
      return false;
    }
    if (arg == "--host") {
      line.mode = CommandLine::Mode::kHost;
      line.port = net::kDefaultPort;
      if (i + 1 < argc && isNumber(argv[i + 1])) {
        if (!readPort(argv[++i], line.port)) {
          error = "not a port: " + std::string(argv[i]);
          return false;
        }
      }
    } else if (arg == "--join") {
      if (i + 1 >= argc) {
        error = "--join needs the host";
        return false;
      }
      const std::string target = argv[++i];
      const size_t colon = target.rfind(':');
      line.mode = CommandLine::Mode::kJoin;
      line.host = target.substr(0, colon);
      line.port = net::kDefaultPort;
      if (colon != std::string::npos && !readPort(target.substr(colon + 1), line.port)) {
        error = "not a port: " + target.substr(colon + 1);
        return false;
      }
      if (line.host.empty()) {
        error = "--join needs the host";
        return false;
      }
    } else {
      error = "unknown option: " + arg;
      return false;
    }
  }
  return true;
}
