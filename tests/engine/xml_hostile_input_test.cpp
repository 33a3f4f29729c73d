// Files no one should write but someone will: huge or deep input must read,
// bind, write and free without running out of stack, and what is not a file,
// or too much of one, is skipped or cut, never waited on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <functional>
#include <string>

#include "engine/xml_bind.h"
#include "engine/xml_writer.h"
#include "temp_folder.h"

namespace {

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
    engine_tests::TempFolder folder;
    folder.write("f.xml", c.text);
    auto tree = brin::ParseXmlFile(folder.file("f.xml"));
    ASSERT_TRUE(tree);
    EXPECT_EQ(c.children * 100000 + c.attributes, tree->GetChildCount() * 100000 + tree->GetAttributeCount());
    const std::string copy = brin::ComposeXmlText(*tree);
    EXPECT_GE(static_cast<size_t>(std::count(copy.begin(), copy.end(), '\n')), c.writtenLines);
    tree.reset();
    Small record;
    testing::internal::CaptureStdout();
    brin::ReadXmlFile(record, folder.file("f.xml"), "r");
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(c.a, record.a);
  }
}

TEST(XmlHostileInput, WhatIsNotAFileIsSkippedAndTooMuchIsCutWithOneLine) {
  const std::string head = "<r><a>7</a>", max = std::to_string(brin::kMaxLineBytes);
  std::string tooLong = head + "\n";
  while (tooLong.size() <= brin::kMaxFileBytes) tooLong += std::string(999, 'x') + "\n";
  using Make = std::function<void(const engine_tests::TempFolder&, const std::string&)>;
  const struct {
    const char* name;
    Make make;
    std::string line;  // after the path; "Cut" lines read the head
  } cases[] = {
      {"a FIFO with no writer", [](auto&, const std::string& p) { mkfifo(p.c_str(), 0600); }, ": not a regular file\n"},
      {"a link to an endless device", [](auto&, const std::string& p) { ASSERT_EQ(0, symlink("/dev/zero", p.c_str())); },
       ": not a regular file\n"},
      {"a folder", [](auto&, const std::string& p) { mkdir(p.c_str(), 0700); }, ": not a regular file\n"},
      {"a line without end", [&](auto& f, auto&) { f.write("p.xml", head + std::string(2 * brin::kMaxLineBytes, 'x')); },
       " after " + max + " bytes: a line longer than " + max + " bytes\n"},
      {"a file too long", [&](auto& f, auto&) { f.write("p.xml", tooLong); },
       " after " + std::to_string(brin::kMaxFileBytes) + " bytes: the file is longer\n"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    engine_tests::TempFolder folder;
    const std::string path = folder.file("p.xml");
    c.make(folder, path);
    Small record;
    testing::internal::CaptureStdout();
    brin::ReadXmlFile(record, path, "r");
    const bool cut = c.line[0] == ' ';
    EXPECT_EQ((cut ? "Cut " : "Skipped ") + path + c.line, testing::internal::GetCapturedStdout());
    EXPECT_EQ(cut ? 7 : 3, record.a);
  }
}

}  // namespace
