// Finding data/ when the game is started from another working directory.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "data_location.h"

namespace {

namespace fs = std::filesystem;

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
  const fs::path back = fs::current_path();
  char tmpl[] = "/tmp/vesicor-tree-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const fs::path tree = tmpl;
  for (const char* dir : {"cwd", "data", "build", "play/data"}) fs::create_directories(tree / dir);
  fs::current_path(tree / "cwd");
  EXPECT_TRUE(enterDataFolderFrom((tree / "cwd").string(), (tree / "build").string()));
  EXPECT_EQ(fs::current_path(), tree);
  fs::current_path(tree / "play");
  EXPECT_TRUE(enterDataFolder());
  EXPECT_EQ(fs::current_path(), tree / "play");
  fs::current_path(back);
  fs::remove_all(tree);
}

}  // namespace
