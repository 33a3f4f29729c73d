// The command line: which side the computer plays, and what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

namespace {

struct Case {
  std::vector<const char*> args;  // after the program's name
  bool accepted;
  int computer;
  const char* errorMentions;
};

TEST(CommandLine, ChoosesTheComputersSideAndRefusesAnythingElse) {
  const Case cases[] = {
      {{}, true, 0, ""},
      {{"--computer", "2"}, true, 2, ""},
      {{"--computer", "1"}, true, 1, ""},
      {{"--computer=2"}, true, 2, ""},
      {{"--computer"}, false, 0, "1 or 2"},
      {{"--computer", "3"}, false, 0, "not 3"},
      {{"--computer=0"}, false, 0, "not 0"},
      {{"--computer", "two"}, false, 0, "not two"},
      {{"--fullscreen"}, false, 0, "unknown option --fullscreen"},
      {{"2"}, false, 0, "unknown option 2"},
  };
  for (const Case& c : cases) {
    std::vector<const char*> argv{"vesicor"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    CommandLine options;
    std::string error;
    const bool ok = parseCommandLine(static_cast<int>(argv.size()), argv.data(), options, error);
    std::string shown;
    for (const char* a : c.args) shown += std::string(a) + " ";
    EXPECT_EQ(ok, c.accepted) << shown;
    if (ok) {
      EXPECT_EQ(options.computer, c.computer) << shown;
    } else {
      EXPECT_NE(error.find(c.errorMentions), std::string::npos) << shown << ": " << error;
    }
  }
}

}  // namespace

namespace {

TEST(CommandLine, ReadsHostAndJoinAndRefusesTheRest) {
  using Mode = CommandLine::Mode;
  struct NetCase {
    std::vector<const char*> args;
    bool accepted;
    Mode mode;
    const char* host;
    int port;
  } cases[] = {
      {{"--host"}, true, Mode::kHost, "", 28470},
      {{"--host", "5000", "--computer", "1"}, true, Mode::kHost, "", 5000},
      {{"--join", "192.168.1.20"}, true, Mode::kJoin, "192.168.1.20", 28470},
      {{"--join", "box.lan:6000"}, true, Mode::kJoin, "box.lan", 6000},
      {{"--join"}, false, Mode::kLocal, "", 0},
      {{"--join", ":6000"}, false, Mode::kLocal, "", 0},
      {{"--join", "box:70000"}, false, Mode::kLocal, "", 0},
      {{"--host", "0"}, false, Mode::kLocal, "", 0},
      {{"--host", "--join", "x"}, false, Mode::kLocal, "", 0},
      {{"--join", "box", "--computer", "1"}, false, Mode::kLocal, "", 0},
  };
  for (const NetCase& c : cases) {
    std::vector<const char*> argv = {"vesicor"};
    argv.insert(argv.end(), c.args.begin(), c.args.end());
    CommandLine line;
    std::string error;
    const bool ok = parseCommandLine(static_cast<int>(argv.size()), argv.data(), line, error);
    std::string shown;
    for (const char* a : c.args) shown += std::string(a) + " ";
    EXPECT_EQ(ok, c.accepted) << shown << error;
    if (!ok) continue;
    EXPECT_EQ(line.mode, c.mode) << shown;
    EXPECT_EQ(line.host, c.host) << shown;
    EXPECT_EQ(line.port, c.port) << shown;
  }
}

}  // namespace
