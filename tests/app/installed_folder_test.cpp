// An installed game started by hand, not through its launcher (as root, from
// another folder, or from the share folder itself): it writes nothing in the
// installed share folder and keeps its files in the player's folder, set up
// as the launcher sets it up; without a home it says so and does not start.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <string>

#include "app/data_location.h"
#include "app/options.h"
#include "engine/xml_writer.h"
#include "game/match_settings.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

std::string readText(const fs::path& path) { return testing_support::fileText(path.string()); }

// Every entry under the folder with its kind, mode and contents (or target).
std::map<std::string, std::string> snapshot(const fs::path& root) {
  std::map<std::string, std::string> out;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    struct stat st {};
    lstat(entry.path().c_str(), &st);
    out[entry.path().string()] = std::to_string(st.st_mode) + " " +
                                 (entry.is_symlink() ? "-> " + fs::read_symlink(entry.path()).string()
                                                     : entry.is_regular_file() ? readText(entry.path()) : "");
  }
  return out;
}

int modeOf(const fs::path& path) {
  struct stat st {};
  return lstat(path.c_str(), &st) == 0 ? static_cast<int>(st.st_mode & 07777) : -1;
}

struct Start {
  bool entered = false;
  std::string printed;  // standard output, the working folder it ended in on the last line
};

// The game's start in a child process, with only the given HOME and
// XDG_DATA_HOME: it enters the data folder, then writes what a game writes
// (the settings read and written back, the options).
Start startInChild(const std::string& scratch, const std::string& cwd, const std::string& exeDir, const char* home,
                   const char* xdgDataHome) {
  const std::string out = scratch + "/child-output";
  // Nothing the parent has yet to print may reach the child's file.
  std::cout.flush();
  std::fflush(stdout);
  const pid_t pid = fork();
  if (pid == 0) {
    unsetenv("HOME");
    unsetenv("XDG_DATA_HOME");
    if (home) setenv("HOME", home, 1);
    if (xdgDataHome) setenv("XDG_DATA_HOME", xdgDataHome, 1);
    if (!std::freopen(out.c_str(), "w", stdout) || chdir(cwd.c_str()) != 0) _exit(3);
    const bool entered = enterDataFolderFrom(cwd, exeDir);
    if (entered) {
      MatchSettings settings;
      brin::ReadXmlFile(settings, "data/settings.xml", "Settings");
      brin::RewriteXmlFile(settings, "data/settings.xml", "Settings");
      saveOptions(COptions());
    }
    std::cout << fs::current_path().string() << std::endl;
    std::fflush(stdout);
    _exit(entered ? 0 : 1);
  }
  int status = 0;
  waitpid(pid, &status, 0);
  Start start;
  start.entered = WIFEXITED(status) && WEXITSTATUS(status) == 0;
  start.printed = readText(out);
  fs::remove(out);
  return start;
}

TEST(InstalledGame, ThePlayersFolderComesFromAnAbsoluteDataHomeOrHome) {
  const struct {
    const char* xdg;
    const char* home;
    const char* folder;
  } cases[] = {
      {"/x/data", "/home/p", "/x/data/vesicor"},
      {nullptr, "/home/p", "/home/p/.local/share/vesicor"},
      {"relative", "/home/p", "/home/p/.local/share/vesicor"},
      {"", "/home/p", "/home/p/.local/share/vesicor"},
      {nullptr, "home/p", ""},
      {nullptr, nullptr, ""},
  };
  for (const auto& c : cases)
    EXPECT_EQ(userDataFolder(c.xdg, c.home), c.folder) << (c.xdg ? c.xdg : "-") << " " << (c.home ? c.home : "-");
}

TEST(InstalledGame, StartedByHandItWritesOnlyInThePlayersFolderSetUpAsTheLauncherDoes) {
  const testing_support::TempFolder folder;
  const fs::path root = folder.path();
  const fs::path share = root / "prefix/share/vesicor";
  const std::string exeDir = (root / "prefix/libexec/vesicor").string();
  for (const char* dir : {"gfx", "parts", "sfx"}) fs::create_directories(share / "data" / dir);
  fs::create_directories(exeDir);
  fs::create_directories(root / "elsewhere");
  fs::create_directories(root / "home");
  std::ofstream(share / "data/settings.xml") << "<Settings>\n  <TurnLength>\n    3000\n  </TurnLength>\n</Settings>\n";
  std::ofstream(share / "data/app_settings.xml") << "<Settings></Settings>\n";
  std::ofstream(share / "data/parts/player1_a.xml") << "<GamePart></GamePart>\n";
  const auto installed = snapshot(root / "prefix");
  const std::string home = (root / "home").string(), xdg = (root / "xdg").string();
  const std::string byHome = home + "/.local/share/vesicor";

  const struct {
    const char* what;
    std::string cwd;
    const char* home;
    const char* xdg;
    std::string user;  // empty: it does not start
  } cases[] = {
      {"without a home", (root / "elsewhere").string(), nullptr, nullptr, ""},
      {"from another folder", (root / "elsewhere").string(), home.c_str(), nullptr, byHome},
      {"from the share folder itself", share.string(), home.c_str(), nullptr, byHome},
      {"with an absolute data home", (root / "elsewhere").string(), home.c_str(), xdg.c_str(), xdg + "/vesicor"},
      {"with a relative data home", (root / "elsewhere").string(), home.c_str(), "rel", byHome},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Start start = startInChild(folder.path(), c.cwd, exeDir, c.home, c.xdg);
    EXPECT_EQ(snapshot(root / "prefix"), installed) << "the installed folder was written";
    EXPECT_FALSE(fs::exists(root / "elsewhere/data") || fs::exists(root / "elsewhere/rel"));
    const std::string realShare = fs::canonical(share).string();
    if (c.user.empty()) {
      EXPECT_FALSE(start.entered);
      EXPECT_EQ(start.printed, "Not started: the game in " + realShare +
                                   " is installed and not written to, and there is no folder of your own for its "
                                   "files: set HOME (or XDG_DATA_HOME) to an absolute path\n" + c.cwd + "\n");
      EXPECT_FALSE(fs::exists(root / "home/.local"));
      continue;
    }
    ASSERT_TRUE(start.entered) << start.printed;
    EXPECT_EQ(start.printed, "The game in " + realShare + " is installed: its settings, options and match records "
                                                          "are kept in " + c.user + "\n" + c.user + "\n");
    const fs::path data = fs::path(c.user) / "data";
    for (const char* item : {"gfx", "parts", "sfx"})
      EXPECT_EQ(fs::read_symlink(data / item), fs::path(realShare) / "data" / item) << item;
    EXPECT_TRUE(fs::exists(data / "parts/player1_a.xml"));
    // The settings are the installed ones, read and written back in the player's copy.
    EXPECT_NE(readText(data / "settings.xml").find("<TurnLength>\n    3000\n"), std::string::npos);
    EXPECT_EQ(readText(data / "app_settings.xml"), "<Settings></Settings>\n");
    EXPECT_TRUE(fs::exists(data / "options.xml"));
    EXPECT_EQ(modeOf(c.user) * 01000 + modeOf(data), 0700 * 01000 + 0700);
    EXPECT_EQ(modeOf(data / "app_settings.xml"), 0600);
  }

  // Started again in the player's folder, as the launcher starts it: no line,
  // and nothing there is touched.
  const fs::path data = fs::path(byHome) / "data";
  std::ofstream(data / "app_settings.xml") << "mine\n";
  fs::remove(data / "parts");
  fs::create_directory_symlink(root / "elsewhere", data / "parts");
  fs::remove(data / "gfx");
  fs::create_directory_symlink("/old/prefix/share/vesicor/data/gfx", data / "gfx");
  const Start again = startInChild(folder.path(), byHome, exeDir, home.c_str(), nullptr);
  ASSERT_TRUE(again.entered) << again.printed;
  EXPECT_EQ(again.printed, byHome + "\n");
  EXPECT_EQ(fs::read_symlink(data / "gfx"), "/old/prefix/share/vesicor/data/gfx");
  // By hand again: what the player changed stays, and only a link an older
  // install made is pointed at this one.
  const Start byHand = startInChild(folder.path(), (root / "elsewhere").string(), exeDir, home.c_str(), nullptr);
  ASSERT_TRUE(byHand.entered) << byHand.printed;
  EXPECT_EQ(readText(data / "app_settings.xml"), "mine\n");
  EXPECT_EQ(fs::read_symlink(data / "parts"), root / "elsewhere");
  EXPECT_EQ(fs::read_symlink(data / "gfx"), fs::canonical(share) / "data/gfx");
  EXPECT_EQ(snapshot(root / "prefix"), installed);
}

// A data folder in a tree of the player's own (the source tree, an unpacked
// copy) is used where it is, as before.
TEST(InstalledGame, AWritableFolderOfThePlayersOwnIsNoInstall) {
  const testing_support::TempFolder folder;
  const fs::path tree = folder.path();
  fs::create_directories(tree / "game/data");
  fs::create_directories(tree / "vesicor/data");
  fs::create_directories(tree / "home/.local/share/vesicor/data");
  EXPECT_FALSE(isInstalledDataFolder((tree / "game").string(), (tree / "home/.local/share/vesicor").string()));
  EXPECT_FALSE(isInstalledDataFolder((tree / "vesicor").string(), ""));
  EXPECT_FALSE(isInstalledDataFolder((tree / "home/.local/share/vesicor").string(),
                                     (tree / "home/.local/share/vesicor").string()));
  EXPECT_TRUE(isInstalledDataFolder((tree / "home/.local/share/vesicor").string(), (tree / "other").string()));
  // A data folder that is a link into an installed one is installed too.
  fs::create_directories(tree / "usr/share/vesicor/data");
  fs::create_directories(tree / "linked");
  fs::create_directory_symlink(tree / "usr/share/vesicor/data", tree / "linked/data");
  EXPECT_TRUE(isInstalledDataFolder((tree / "linked").string(), ""));
  EXPECT_TRUE(isInstalledDataFolder((tree / "usr/share/vesicor").string(), ""));
}

}  // namespace
