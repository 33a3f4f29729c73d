// The command line: which side the computer plays, hosting and joining, and
// what is refused.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "command_line.h"

namespace {

using Args = std::vector<const char*>;  // after the program's name

bool parse(const Args& args, CommandLine& line, std::string& error) {
  Args argv{"vesicor"};
  argv.insert(argv.end(), args.begin(), args.end());
  return parseCommandLine(static_cast<int>(argv.size()), argv.data(), line, error);
}

TEST(CommandLine, ReadsTheComputersSideHostAndJoin) {
  using Mode = CommandLine::Mode;
  const struct {
    Args args;
    int computer;
    Mode mode;
    const char* host;
    int port;
  } cases[] = {
      {{}, 0, Mode::kLocal, "", 0},
      {{"--computer", "2"}, 2, Mode::kLocal, "", 0},
      {{"--computer=1"}, 1, Mode::kLocal, "", 0},
      {{"--host"}, 0, Mode::kHost, "", 28470},
      {{"--host", "5000", "--computer", "1"}, 1, Mode::kHost, "", 5000},
      {{"--join", "192.168.1.20"}, 0, Mode::kJoin, "192.168.1.20", 28470},
      {{"--join", "box.lan:6000"}, 0, Mode::kJoin, "box.lan", 6000},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.empty() ? "nothing" : c.args[0]);
    CommandLine line;
    std::string error;
    ASSERT_TRUE(parse(c.args, line, error)) << error;
    EXPECT_EQ(line.computer, c.computer);
    EXPECT_EQ(line.mode, c.mode);
    EXPECT_EQ(line.host, c.host);
    EXPECT_EQ(line.port, c.port);
  }
}

TEST(CommandLine, RefusesAnythingElseSayingWhy) {
  const std::pair<Args, const char*> cases[] = {
      {{"--computer"}, "1 or 2"}, {{"--computer", "3"}, "not 3"}, {{"--computer=0"}, "not 0"},
      {{"--computer", "two"}, "not two"}, {{"--fullscreen"}, "unknown option --fullscreen"},
      {{"2"}, "unknown option 2"}, {{"--join"}, ""}, {{"--join", ":6000"}, ""}, {{"--join", "box:70000"}, ""},
      {{"--host", "0"}, ""}, {{"--host", "--join", "x"}, ""}, {{"--join", "box", "--computer", "1"}, ""},
  };
  for (const auto& [args, mentions] : cases) {
    CommandLine line;
    std::string error;
    EXPECT_FALSE(parse(args, line, error)) << args[0] << " " << args.size();
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find(mentions), std::string::npos) << error;
  }
}

}  // namespace
