// Writing the player's settings when things go wrong: a write that fails part
// way, a process killed in the middle of it, two copies of the game at once,
// a file behind a symbolic link, and the rule for keeping a copy (.bak).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "engine/xml_bind.h"
#include "engine/xml_writer.h"
#include "temp_folder.h"

namespace {

struct Settings {
  float turnLength = 5000;
  float changeTime = 749;
  bool dragging = false;
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "TurnLength", turnLength, "s", 1);
    brin::BindField(ctx, "ChangeTime", changeTime, "s", 2);
    brin::BindField(ctx, "DraggingAllowed", dragging, "s", 3);
  }
};

const char* const kHandSet =
    "<Settings>\n  <TurnLength>\n    3000\n  </TurnLength>\n  <ChangeTime>\n    10\n  </ChangeTime>\n"
    "  <DraggingAllowed>\n    1\n  </DraggingAllowed>\n</Settings>\n";

struct ChildRun {
  int status = 0;
  std::string errors;  // what the child wrote on standard error
};

// Runs `body` in a child process, so resource limits and signals stay there.
ChildRun inChild(const std::function<void()>& body) {
  int pipeFds[2];
  EXPECT_EQ(0, pipe(pipeFds));
  const pid_t pid = fork();
  if (pid == 0) {
    close(pipeFds[0]);
    dup2(pipeFds[1], STDERR_FILENO);
    body();
    _exit(0);
  }
  close(pipeFds[1]);
  ChildRun run;
  char buffer[512];
  ssize_t n;
  while ((n = read(pipeFds[0], buffer, sizeof buffer)) > 0) run.errors.append(buffer, static_cast<size_t>(n));
  close(pipeFds[0]);
  waitpid(pid, &run.status, 0);
  return run;
}

void limitFileSize(rlim_t bytes) {
  rlimit limit{bytes, bytes};
  setrlimit(RLIMIT_FSIZE, &limit);
}

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SafeWrite, AFailedOrKilledWriteLeavesTheOldFileWhole) {
  struct Case {
    const char* name;
    std::function<void(const engine_tests::TempFolder&)> prepare;  // in the parent
    std::function<void()> fault;                                    // in the child, before writing
    std::string path;                                               // relative to the folder
    std::string line;                                               // expected on standard error
    int killedBy;                                                   // 0: the child returns
  };
  const Case cases[] = {
      {"file-size limit", nullptr, [] {
         signal(SIGXFSZ, SIG_IGN);
         limitFileSize(64);
       }, "s.xml",
       ": File too large; the file was left as it was\n", 0},
      {"killed at the write", nullptr, [] { limitFileSize(64); }, "s.xml", "", SIGXFSZ},
      {"a folder in the way", [](const engine_tests::TempFolder& f) { f.makeFolder("d.xml"); }, nullptr, "d.xml",
       ": not a regular file; the file was left as it was\n", 0},
      {"no such folder", nullptr, nullptr, "gone/s.xml", ": No such file or directory; the file was left as it was\n",
       0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engine_tests::TempFolder folder;
    folder.write("s.xml", kHandSet);
    if (c.prepare) c.prepare(folder);
    const std::vector<std::string> before = entries(folder.path());
    const std::string path = folder.file(c.path);
    const ChildRun run = inChild([&] {
      if (c.fault) c.fault();
      Settings fresh;
      brin::WriteXmlFile(fresh, path, "Settings");
    });
    if (c.killedBy) {
      ASSERT_TRUE(WIFSIGNALED(run.status));
      EXPECT_EQ(c.killedBy, WTERMSIG(run.status));
    } else {
      ASSERT_TRUE(WIFEXITED(run.status));
      EXPECT_EQ("Could not write " + path + c.line, run.errors);
      EXPECT_EQ(before, entries(folder.path())) << "a temporary file was left behind";
    }
    EXPECT_EQ(kHandSet, folder.read("s.xml"));
  }
}

TEST(SafeWrite, TwoCopiesRewritingAtOnceKeepTheHandSetValues) {
  engine_tests::TempFolder folder;
  folder.write("s.xml", kHandSet);
  const std::string path = folder.file("s.xml");
  std::vector<pid_t> children;
  for (int copy = 0; copy < 4; ++copy) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (int round = 0; round < 50; ++round) {
        Settings s;
        brin::ReadXmlFile(s, path, "Settings");
        if (s.turnLength != 3000 || s.changeTime != 10 || !s.dragging) _exit(1);
        brin::RewriteXmlFile(s, path, "Settings");
      }
      _exit(0);
    }
    children.push_back(pid);
  }
  for (pid_t pid : children) {
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "a copy read something other than the hand-set file";
  }
  EXPECT_EQ(kHandSet, folder.read("s.xml"));
  EXPECT_EQ(std::vector<std::string>{"s.xml"}, entries(folder.path()));
}

TEST(SafeWrite, ALinkedFileStaysALinkAndItsTargetKeepsItsMode) {
  engine_tests::TempFolder folder;
  folder.makeFolder("real");
  folder.write("real/s.xml", "<Settings>\n</Settings>\n");
  ASSERT_EQ(0, chmod(folder.file("real/s.xml").c_str(), 0640));
  // A chain of two links, the first one relative.
  ASSERT_EQ(0, symlink("real/s.xml", folder.file("middle").c_str()));
  ASSERT_EQ(0, symlink(folder.file("middle").c_str(), folder.file("s.xml").c_str()));
  Settings s;
  s.turnLength = 3000;
  s.changeTime = 10;
  s.dragging = true;
  ASSERT_TRUE(brin::ReplaceFile(folder.file("s.xml"), brin::ComposeXmlText(*brin::BuildXmlTree(s, "Settings"))));
  struct stat info {};
  ASSERT_EQ(0, lstat(folder.file("s.xml").c_str(), &info));
  EXPECT_TRUE(S_ISLNK(info.st_mode));
  ASSERT_EQ(0, stat(folder.file("real/s.xml").c_str(), &info));
  EXPECT_EQ(0640u, info.st_mode & 07777);
  EXPECT_EQ(kHandSet, folder.read("real/s.xml"));
  EXPECT_EQ(std::vector<std::string>{"s.xml"}, entries(folder.file("real")));
}

TEST(SafeWrite, ACopyIsKeptOnlyWhenTheRewriteWouldChangeWhatTheFileHeld) {
  const std::string written = kHandSet;
  struct Case {
    const char* before;
    bool changes;
  };
  const Case cases[] = {
      {kHandSet, false},
      {"<Settings><TurnLength>3000.0</TurnLength><DraggingAllowed>1</DraggingAllowed></Settings>", false},
      {"\r\n<Settings>\r\n<ChangeTime>\r\n1e1\r\n</ChangeTime>\r\n</Settings>\r\n", false},
      {"", false},
      {" \n", false},
      {"<Settings><TurnLength>300</TurnLength></Settings>", true},
      {"<Settings><TurnLength>3000</TurnLength><Volume>3</Volume></Settings>", true},
      {"<Settings><TurnLength>3000</TurnLength><TurnLength>3000</TurnLength></Settings>", true},
      {"<Settings>\n<!-- was:\n<TurnLength>3000</TurnLength>\n-->\n<ChangeTime>10</ChangeTime>\n</Settings>", true},
      {"<Settings>\n<TurnLength\n unit=\"ms\">3000</TurnLength>\n<ChangeTime>10</ChangeTime>\n</Settings>", true},
      {"<?xml version=\"1.0\"?>\n<Settings><TurnLength>3000</TurnLength></Settings>", true},
      {"<Settings>note<TurnLength>3000</TurnLength></Settings>", true},
      {"<Settings><TurnLength/></Settings>", true},
      {"<Config><TurnLength>3000</TurnLength></Config>", true},
      {"<Settings><TurnLength>3000</TurnLength></Settings>trailing", true},
      {"<Settings><TurnLength>3000</TurnLength>", true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(c.changes, brin::RewriteChangesContent(c.before, written)) << c.before;
  }

  // Through the file: the copy holds the old bytes exactly, and one line
  // names both files; an unchanged file gets neither.
  for (const Case& c : {cases[0], cases[8]}) {
    engine_tests::TempFolder folder;
    folder.write("s.xml", c.before);
    testing::internal::CaptureStdout();
    brin::RewriteFile(folder.file("s.xml"), written);
    const std::string printed = testing::internal::GetCapturedStdout();
    EXPECT_EQ(written, folder.read("s.xml"));
    if (c.changes) {
      EXPECT_EQ(c.before, folder.read("s.xml.bak"));
      EXPECT_EQ(folder.file("s.xml") + " would change when written back; the file as it was is kept in " +
                    folder.file("s.xml.bak") + "\n",
                printed);
    } else {
      EXPECT_EQ(std::vector<std::string>{"s.xml"}, entries(folder.path()));
      EXPECT_EQ("", printed);
    }
  }
}

}  // namespace
