// Before the first frame and between frames: the command line, where the
// game finds data/, and how the loop paces its steps against a fake clock.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "app/command_line.h"
#include "app/data_location.h"
#include "core/frame_pacer.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

using Args = std::vector<const char*>;  // after the program's name

bool parse(const Args& args, CommandLine& line, std::string& error) {
  Args argv{"vesicor"};
  argv.insert(argv.end(), args.begin(), args.end());
  return parseCommandLine(static_cast<int>(argv.size()), argv.data(), line, error);
}

TEST(CommandLine, ReadsTheComputersSideLevelHostAndJoinAndOpensTheMenuOnlyWithoutAMatch) {
  using Mode = CommandLine::Mode;
  using L = ComputerLevel;
  const struct {
    Args args;
    int computer;
    Mode mode;
    const char* host;
    int port;
    bool menu;
    L level;
  } cases[] = {
      {{}, 0, Mode::kLocal, "", 0, true, L::kNormal},
      {{"--level", "hard"}, 0, Mode::kLocal, "", 0, true, L::kHard},
      {{"--two-players"}, 0, Mode::kLocal, "", 0, false, L::kNormal},
      {{"--computer", "2"}, 2, Mode::kLocal, "", 0, false, L::kNormal},
      {{"--computer=1", "--level=easy"}, 1, Mode::kLocal, "", 0, false, L::kEasy},
      {{"--host"}, 0, Mode::kHost, "", 28470, false, L::kNormal},
      {{"--host", "5000", "--computer", "1"}, 1, Mode::kHost, "", 5000, false, L::kNormal},
      {{"--join", "192.168.1.20"}, 0, Mode::kJoin, "192.168.1.20", 28470, false, L::kNormal},
      {{"--join", "box.lan:6000"}, 0, Mode::kJoin, "box.lan", 6000, false, L::kNormal},
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
    EXPECT_EQ(line.menu, c.menu);
    EXPECT_EQ(line.level, c.level);
    EXPECT_FALSE(line.seedGiven);
  }
  CommandLine seeded;
  std::string error;
  ASSERT_TRUE(parse({"--two-players", "--seed", "11"}, seeded, error)) << error;
  EXPECT_TRUE(seeded.seedGiven);
  EXPECT_EQ(seeded.seed, 11u);
  EXPECT_FALSE(seeded.menu);
}

TEST(CommandLine, RefusesAnythingElseSayingWhy) {
  const std::pair<Args, const char*> cases[] = {
      {{"--computer"}, "1 or 2"}, {{"--computer", "3"}, "not 3"}, {{"--computer=0"}, "not 0"},
      {{"--computer", "two"}, "not two"}, {{"--fullscreen"}, "unknown option --fullscreen"},
      {{"2"}, "unknown option 2"}, {{"--join"}, ""}, {{"--join", ":6000"}, ""}, {{"--join", "box:70000"}, ""},
      {{"--host", "0"}, ""}, {{"--host", "--join", "x"}, ""}, {{"--join", "box", "--computer", "1"}, ""},
      {{"--level"}, "easy, normal or hard"}, {{"--level", "expert"}, "not expert"},
      {{"--two-players", "--computer", "2"}, "alone"},
      {{"--seed"}, "whole number"}, {{"--seed", "-3"}, "not -3"}, {{"--seed", "1234567890"}, "below a billion"},
  };
  for (const auto& [args, mentions] : cases) {
    CommandLine line;
    std::string error;
    EXPECT_FALSE(parse(args, line, error)) << args[0] << " " << args.size();
    EXPECT_FALSE(error.empty());
    EXPECT_NE(error.find(mentions), std::string::npos) << error;
  }
}

TEST(DataLocation, WorkingDirectoryComesFirstThenTheExecutableAndTheInstalledShare) {
  auto c = dataFolderCandidates("/home/p/games", "/usr/libexec/vesicor");
  ASSERT_GE(c.size(), 4u);
  EXPECT_EQ(c[0], "/home/p/games");
  EXPECT_EQ(c[1], "/usr/libexec/vesicor");
  EXPECT_NE(std::find(c.begin(), c.end(), "/usr/libexec/vesicor/../../share/vesicor"), c.end());
  EXPECT_EQ(dataFolderCandidates("/x", "").size(), 1u);
}

// A tree of its own, wherever the real build folder is: tree/data beside
// tree/build, where the executable lives, and a working folder elsewhere.
TEST(DataLocation, TheGameMovesToTheFolderAboveItsBuildUnlessItsWorkingFolderHasData) {
  testing_support::TempFolder folder;
  testing_support::WorkingDirectory back(folder.path());
  const fs::path tree = folder.path();
  for (const char* dir : {"cwd", "data", "build", "play/data"}) fs::create_directories(tree / dir);
  fs::current_path(tree / "cwd");
  EXPECT_TRUE(enterDataFolderFrom((tree / "cwd").string(), (tree / "build").string()));
  EXPECT_EQ(fs::current_path(), tree);
  fs::current_path(tree / "play");
  EXPECT_TRUE(enterDataFolder());
  EXPECT_EQ(fs::current_path(), tree / "play");
}

// Runs one frame at `now` the way the main loop does; returns the steps run.
int runFrame(CFramePacer& p, uint32_t now, bool* crossed = nullptr) {
  EXPECT_EQ(p.msUntilDue(now), 0u) << now;
  const bool c = p.beginFrame(now);
  if (crossed) *crossed = c;
  int ran = 0;
  for (int planned = p.plannedSteps(); ran < planned && p.takeStep(ran);) ++ran;
  return ran;
}

TEST(FramePacer, OneFrameMakesUpWhatLagItMayAndNoMore) {
  struct Case {
    const char* what;
    uint32_t start;
    float lag, stepsInWindow;
    uint32_t now;
    int steps;
    float lagAfter;
  } cases[] = {
      {"on time", 1000, 0, 0, 1016, 1, 0},
      {"17 ms late", 0, 0, 0, 33, 2, 1},
      {"on time across the counter's wrap", 0xFFFFFFFFu - 5, 0, 0, 10, 1, 0},
      {"lag of exactly one period", 0, 16, 0, 16, 1, 16},
      {"40 ms late", 0, 0, 0, 56, 3, 8},
      {"no catch-up with 60 steps in the window", 0, 100, 60, 16, 1, 100},
      {"a second late: 62 periods at once", 0, 0, 0, 1016, 63, 8},
      {"an hour's suspend counts as a second", 0, 0, 0, 16 + 3600000, 63, 8},
      {"a clock stepped back counts as a second", 100000, 0, 0, 95000, 63, 8},
      {"owed lag beyond the window's cap", 0, 1000, 10, 16, 53, 168},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CFramePacer p;
    p.start(c.start);
    p.lag = c.lag;
    p.stepCounter = c.stepsInWindow;
    EXPECT_EQ(runFrame(p, c.now), c.steps);
    EXPECT_FLOAT_EQ(p.lag, c.lagAfter);
  }
}

}  // namespace
