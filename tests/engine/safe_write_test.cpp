// Files when things go wrong: settings writes that fail, die or race, links,
// the .bak rule, and hostile input that must not exhaust the stack (what is
// not a file, or never ends, is the bad content test's).
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "engine/xml_bind.h"
#include "engine/xml_writer.h"
#include "support/temp_folder.h"

namespace {

struct Settings {
  float turnLength = 3000, changeTime = 10;
  bool dragging = true;
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "TurnLength", turnLength, "s", 1);
    brin::BindField(ctx, "ChangeTime", changeTime, "s", 2);
    brin::BindField(ctx, "DraggingAllowed", dragging, "s", 3);
  }
};

const std::string kHandSet =
    "<Settings>\n  <TurnLength>\n    3000\n  </TurnLength>\n  <ChangeTime>\n    10\n  </ChangeTime>\n"
    "  <DraggingAllowed>\n    1\n  </DraggingAllowed>\n</Settings>\n";

std::vector<std::string> entries(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(folder)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

TEST(SafeWrite, AFailedOrKilledWriteLeavesTheOldFileWholeAndNoTemporaryFile) {
  const struct {
    const char* name;
    std::function<void()> fault;  // in the child, before writing
    std::string path, line;       // the line expected on standard error
    int killedBy;                 // 0: the child returns
  } cases[] = {
      {"file-size limit", [] { signal(SIGXFSZ, SIG_IGN); }, "s.xml", ": File too large; the file was left as it was\n", 0},
      {"killed at the write", [] {}, "s.xml", "", SIGXFSZ},
      {"a folder in the way", nullptr, "d.xml", ": not a regular file; the file was left as it was\n", 0},
      {"no such folder", nullptr, "gone/s.xml", ": No such file or directory; the file was left as it was\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempFolder folder;
    folder.write("s.xml", kHandSet);
    folder.makeFolder("d.xml");
    const std::vector<std::string> before = entries(folder.path());
    const std::string path = folder.file(c.path);
    int errors[2];  // a pipe, as the file-size limit would cut a file short
    ASSERT_EQ(0, pipe(errors));
    const pid_t pid = fork();
    if (pid == 0) {  // limits and signals stay in the child
      dup2(errors[1], STDERR_FILENO);
      if (c.fault) {
        c.fault();
        const rlimit limit{64, 64};
        setrlimit(RLIMIT_FSIZE, &limit);
      }
      Settings fresh;
      fresh.turnLength = 5000;
      brin::WriteXmlFile(fresh, path, "Settings");
      _exit(0);
    }
    close(errors[1]);
    std::string printed;
    char buffer[512];
    for (ssize_t n; (n = read(errors[0], buffer, sizeof buffer)) > 0;) printed.append(buffer, static_cast<size_t>(n));
    close(errors[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    EXPECT_EQ(c.killedBy, WIFSIGNALED(status) ? WTERMSIG(status) : 0);
    EXPECT_EQ(c.killedBy ? "" : "Could not write " + path + c.line, printed);
    if (!c.killedBy) {  // a killed write may leave its temporary file, never a half-written original
      EXPECT_EQ(before, entries(folder.path())) << "a temporary file was left behind";
    }
    EXPECT_EQ(kHandSet, folder.read("s.xml"));
  }
}

TEST(SafeWrite, TwoCopiesRewritingAtOnceKeepTheHandSetValues) {
  testing_support::TempFolder folder;
  folder.write("s.xml", kHandSet);
  const std::string path = folder.file("s.xml");
  std::vector<pid_t> children;
  for (int copy = 0; copy < 4; ++copy) {
    if (const pid_t pid = fork()) {
      children.push_back(pid);
      continue;
    }
    for (int round = 0; round < 50; ++round) {
      Settings s{0, 0, false};
      brin::ReadXmlFile(s, path, "Settings");
      if (s.turnLength != 3000 || s.changeTime != 10 || !s.dragging) _exit(1);
      brin::RewriteXmlFile(s, path, "Settings");
    }
    _exit(0);
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
  testing_support::TempFolder folder;
  folder.makeFolder("real");
  folder.write("real/s.xml", "<Settings>\n</Settings>\n");
  ASSERT_EQ(0, chmod(folder.file("real/s.xml").c_str(), 0640));
  // A chain of two links, the first one relative.
  ASSERT_EQ(0, symlink("real/s.xml", folder.file("middle").c_str()));
  ASSERT_EQ(0, symlink(folder.file("middle").c_str(), folder.file("s.xml").c_str()));
  Settings s;
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
  const char* const same[] = {
      "", kHandSet.c_str(), "\r\n<Settings>\r\n<ChangeTime>\r\n1e1\r\n</ChangeTime>\r\n</Settings>\r\n"};
  const char* const changed[] = {
      "<Settings><TurnLength>300</TurnLength></Settings>",
      "<Settings><TurnLength>3000</TurnLength><TurnLength>3000</TurnLength></Settings>",
      "<Settings>\n<!-- was:\n<TurnLength>3000</TurnLength>\n-->\n<ChangeTime>10</ChangeTime>\n</Settings>",
      "<Settings>\n<TurnLength\n unit=\"ms\">3000</TurnLength>\n<ChangeTime>10</ChangeTime>\n</Settings>",
      "<?xml version=\"1.0\"?>\n<Settings><TurnLength>3000</TurnLength></Settings>",
      "<Config><TurnLength>3000</TurnLength></Config>", "<Settings><TurnLength>3000</TurnLength>"};
  for (const char* before : same) EXPECT_FALSE(brin::RewriteChangesContent(before, kHandSet)) << before;
  for (const char* before : changed) EXPECT_TRUE(brin::RewriteChangesContent(before, kHandSet)) << before;
  // The kept copy through the file is the game's settings test's; an unchanged file gets none.
  testing_support::TempFolder folder;
  folder.write("s.xml", kHandSet);
  EXPECT_EQ("", testing_support::printedBy([&] { brin::RewriteFile(folder.file("s.xml"), kHandSet); }));
  EXPECT_EQ(std::vector<std::string>{"s.xml"}, entries(folder.path()));
}

struct Small {
  int a = 3;
  void Bind(brin::CXmlBindContext& ctx) { brin::BindField(ctx, "a", a, "h", 1); }
};

TEST(XmlHostileInput, WideDeepManyAttributedAndBrokenFilesReadBindAndWriteBack) {
  const int tagsOnOneLine = static_cast<int>((brin::kMaxLineBytes - 64) / 4), million = 1000000, attributes = 60000;
  std::string wide = "<r>", deep = "<r><a>5</a>\n", attributed = "<r";
  for (int i = 0; i < tagsOnOneLine; ++i) wide += "<x/>";
  for (int i = 0; i < million; ++i) deep += "<n>\n";
  for (int i = 0; i < attributes; ++i) attributed += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  const struct {
    const char* name;
    std::string text;
    int children, attributes, a;
    size_t writtenLines;  // at least
  } cases[] = {
      {"a quarter million tags on one line", wide + "<a>9</a></r>", tagsOnOneLine + 1, 0, 9, 0},
      {"a million unclosed nested tags", deep, 2, 0, 5, 2 * static_cast<size_t>(million)},
      {"sixty thousand attributes", attributed + "><a>1</a></r>", 1, attributes, 1, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    testing_support::TempFolder folder;
    folder.write("f.xml", c.text);
    auto tree = brin::ParseXmlFile(folder.file("f.xml"));
    ASSERT_TRUE(tree);
    EXPECT_EQ(c.children, tree->GetChildCount());
    EXPECT_EQ(c.attributes, tree->GetAttributeCount());
    const std::string copy = brin::ComposeXmlText(*tree);
    EXPECT_GE(static_cast<size_t>(std::count(copy.begin(), copy.end(), '\n')), c.writtenLines);
    tree.reset();
    Small record;
    testing_support::printedBy([&] { brin::ReadXmlFile(record, folder.file("f.xml"), "r"); });
    EXPECT_EQ(c.a, record.a);
  }
}

}  // namespace
