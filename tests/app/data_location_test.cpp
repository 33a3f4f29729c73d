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

TEST(DataLocation, StartedElsewhereTheGameMovesToTheFolderBesideItsBuild) {
  WorkingDirGuard guard;
  char tmpl[] = "/tmp/vesicor-cwd-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  ASSERT_EQ(chdir(tmpl), 0);
  ASSERT_FALSE(dataHere());
  // The test executable lives in a build folder inside the source tree.
  EXPECT_TRUE(enterDataFolder());
  EXPECT_TRUE(dataHere());
  rmdir(tmpl);
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
