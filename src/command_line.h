// The game's command line: without options one keyboard; --host [PORT]
// waits for a second player over the network, --join HOST[:PORT] joins one.
#pragma once

#include <cstdint>
#include <string>

struct CommandLine {
  enum class Mode { kLocal, kHost, kJoin };
  Mode mode = Mode::kLocal;
  std::string host;  // with kJoin
  uint16_t port = 0;
};

extern const char* const kUsageLine;

// False, with the reason in `error`, for anything it does not understand.
bool parseCommandLine(int argc, const char* const* argv, CommandLine& line, std::string& error);
