// The command line: the network options and what is refused.
#include <gtest/gtest.h>

#include <vector>

#include "command_line.h"

namespace {

TEST(CommandLine, ReadsHostAndJoinAndRefusesTheRest) {
  using Mode = CommandLine::Mode;
  struct Case {
    std::vector<const char*> args;
    bool ok;
    Mode mode;
    const char* host;
    int port;
  } cases[] = {
      {{}, true, Mode::kLocal, "", 0},
      {{"--host"}, true, Mode::kHost, "", 28470},
      {{"--host", "5000"}, true, Mode::kHost, "", 5000},
      {{"--join", "192.168.1.20"}, true, Mode::kJoin, "192.168.1.20", 28470},
      {{"--join", "box.lan:6000"}, true, Mode::kJoin, "box.lan", 6000},
      {{"--join"}, false, Mode::kLocal, "", 0},
      {{"--join", ":6000"}, false, Mode::kLocal, "", 0},
      {{"--join", "box:70000"}, false, Mode::kLocal, "", 0},
      {{"--host", "0"}, false, Mode::kLocal, "", 0},
      {{"--host", "--join", "x"}, false, Mode::kLocal, "", 0},
      {{"--fullscreen"}, false, Mode::kLocal, "", 0},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv = {"vesicor"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    CommandLine line;
    std::string error;
    const bool ok = parseCommandLine(static_cast<int>(argv.size()), argv.data(), line, error);
    SCOPED_TRACE(argv.size() > 1 ? argv[1] : "(none)");
    EXPECT_EQ(ok, c.ok) << error;
    if (!ok) {
      EXPECT_FALSE(error.empty());
      continue;
    }
    EXPECT_EQ(line.mode, c.mode);
    EXPECT_EQ(line.host, c.host);
    EXPECT_EQ(line.port, c.port);
  }
}

}  // namespace
