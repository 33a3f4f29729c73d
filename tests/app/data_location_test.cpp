// Finding data/ when the game is started from another working directory.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <algorithm>
#include <string>

#include "data_location.h"

namespace {

class WorkingDirGuard {
 public:
  WorkingDirGuard() {
    char buf[PATH_MAX];
    saved_ = getcwd(buf, sizeof(buf)) ? buf : ".";
  }
  ~WorkingDirGuard() { EXPECT_EQ(chdir(saved_.c_str()), 0); }

 private:
  std::string saved_;
};

bool dataHere() {
  struct stat st {};
  return stat("data", &st) == 0 && S_ISDIR(st.st_mode);
}

TEST(DataLocation, WorkingDirectoryComesFirstThenTheExecutableAndTheInstalledShare) {
  auto c = dataFolderCandidates("/home/p/games", "/usr/libexec/vesicor");
  ASSERT_GE(c.size(), 4u);
  EXPECT_EQ(c[0], "/home/p/games");
  EXPECT_EQ(c[1], "/usr/libexec/vesicor");
  EXPECT_NE(std::find(c.begin(), c.end(), "/usr/libexec/vesicor/../../share/vesicor"), c.end());
  EXPECT_EQ(dataFolderCandidates("/x", "").size(), 1u);
}

TEST(DataLocation, StartedElsewhereTheGameMovesToTheFolderAboveItsBuild) {
  WorkingDirGuard guard;
  // A tree of its own, wherever the real build folder is: tree/data beside
  // tree/build, where the executable lives, started from another folder.
  char cwd[] = "/tmp/vesicor-cwd-XXXXXX";
  char tree[] = "/tmp/vesicor-tree-XXXXXX";
  ASSERT_NE(mkdtemp(cwd), nullptr);
  ASSERT_NE(mkdtemp(tree), nullptr);
  const std::string data = std::string(tree) + "/data";
  const std::string build = std::string(tree) + "/build";
  ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(build.c_str(), 0755), 0);
  ASSERT_EQ(chdir(cwd), 0);
  ASSERT_FALSE(dataHere());
  EXPECT_TRUE(enterDataFolderFrom(cwd, build));
  char buf[PATH_MAX];
  ASSERT_NE(getcwd(buf, sizeof(buf)), nullptr);
  EXPECT_EQ(std::string(buf), std::string(tree));
  rmdir(data.c_str());
  rmdir(build.c_str());
  rmdir(cwd);
  rmdir(tree);
}

TEST(DataLocation, AWorkingDirectoryWithDataStaysPut) {
  WorkingDirGuard guard;
  char tmpl[] = "/tmp/vesicor-cwd-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string data = std::string(tmpl) + "/data";
  ASSERT_EQ(mkdir(data.c_str(), 0755), 0);
  ASSERT_EQ(chdir(tmpl), 0);
  EXPECT_TRUE(enterDataFolder());
  char buf[PATH_MAX];
  ASSERT_NE(getcwd(buf, sizeof(buf)), nullptr);
  EXPECT_EQ(std::string(buf), std::string(tmpl));
  rmdir(data.c_str());
  rmdir(tmpl);
}

}  // namespace
