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
