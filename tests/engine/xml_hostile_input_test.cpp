// Files no one should write but someone will: huge, deep or broken input
// must read, bind, write and free without crashing or running out of stack,
// and what is not a file, or too much of one, is skipped or cut, never waited
// on.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <functional>
#include <string>

#include "engine/text.h"
#include "engine/xml_bind.h"
#include "engine/xml_writer.h"
#include "temp_folder.h"

namespace {

constexpr int kMillion = 1000000;
// As many four-byte tags as fit on the longest line read.
constexpr int kTagsOnOneLine = static_cast<int>((brin::kMaxLineBytes - 64) / 4);
constexpr int kAttributes = 60000;  // about 0.9 MB of one tag, under the line limit

struct Small {
  int a = 3;
  std::string b = "keep";
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "a", a, "h", 1);
    brin::BindField(ctx, "b", b, "h", 2);
  }
};

// Binds the file, writes the tree back, and returns the root's child count.
int readBindWrite(const engine_tests::TempFolder& folder, const std::string& name, Small& record) {
  auto tree = brin::ParseXmlFile(folder.file(name));
  const int children = tree ? tree->GetChildCount() : -1;
  if (tree) {
    std::ofstream out(folder.file("copy.xml"));
    brin::CXmlStreamHandler writer;
    writer.WriteNode(*tree, out);
  }
  tree.reset();
  testing::internal::CaptureStdout();
  brin::ReadXmlFile(record, folder.file(name), "r");
  testing::internal::GetCapturedStdout();
  return children;
}

TEST(XmlHostileInput, AQuarterMillionTagsOnOneLine) {
  engine_tests::TempFolder folder;
  std::string line = "<r>";
  line.reserve(brin::kMaxLineBytes);
  for (int i = 0; i < kTagsOnOneLine; ++i) line += "<x/>";
  line += "<a>9</a></r>";
  folder.write("wide.xml", line);
  Small record;
  EXPECT_EQ(kTagsOnOneLine + 1, readBindWrite(folder, "wide.xml", record));
  EXPECT_EQ(9, record.a);
}

TEST(XmlHostileInput, AMillionUnclosedNestedTags) {
  engine_tests::TempFolder folder;
  std::string text = "<r><a>5</a>\n";
  text.reserve(4 * kMillion + 16);
  for (int i = 0; i < kMillion; ++i) text += "<n>\n";
  folder.write("deep.xml", text);
  Small record;
  EXPECT_EQ(2, readBindWrite(folder, "deep.xml", record));
  EXPECT_EQ(5, record.a);
  // The copy holds every level (it is far too long to be read back whole).
  std::ifstream copy(folder.file("copy.xml"));
  std::string line;
  int depth = 0;
  while (std::getline(copy, line)) {
    if (brin::Trim(line) == "<n>") ++depth;
  }
  EXPECT_EQ(kMillion, depth);
}

TEST(XmlHostileInput, ATagWithSixtyThousandAttributes) {
  engine_tests::TempFolder folder;
  std::string text = "<r";
  for (int i = 0; i < kAttributes; ++i) text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  text += "><a>1</a></r>";
  ASSERT_LT(text.size(), brin::kMaxLineBytes);
  folder.write("attrs.xml", text);
  auto tree = brin::ParseXmlFile(folder.file("attrs.xml"));
  ASSERT_TRUE(tree);
  EXPECT_EQ("r", tree->GetName());
  EXPECT_EQ(kAttributes, tree->GetAttributeCount());
}

TEST(XmlHostileInput, BinaryGarbageAndUnbalancedQuotesDoNoHarm) {
  engine_tests::TempFolder folder;
  std::string garbage("<r a=\"unterminated b=1>\0\xff\xfe<<>>>=<=\"/>\n</\n<>\n", 38);
  folder.write("g.xml", garbage);
  Small record;
  readBindWrite(folder, "g.xml", record);
  EXPECT_EQ(3, record.a);
  EXPECT_EQ("keep", record.b);
}

TEST(XmlHostileInput, WhatIsNotAFileIsSkippedAndTooMuchIsCutWithOneLine) {
  const std::string head = "<r><a>7</a>";
  struct Case {
    const char* name;
    std::function<void(const engine_tests::TempFolder&, const std::string&)> make;
    std::string line;  // after the path
    bool readsHead;
  };
  const Case cases[] = {
      {"a FIFO with no writer", [](const engine_tests::TempFolder&, const std::string& p) { mkfifo(p.c_str(), 0600); },
       ": not a regular file\n", false},
      {"a link to an endless device",
       [](const engine_tests::TempFolder&, const std::string& p) { ASSERT_EQ(0, symlink("/dev/zero", p.c_str())); },
       ": not a regular file\n", false},
      {"a folder", [](const engine_tests::TempFolder&, const std::string& p) { mkdir(p.c_str(), 0700); },
       ": not a regular file\n", false},
      {"a line without end",
       [&](const engine_tests::TempFolder& f, const std::string&) {
         f.write("p.xml", head + std::string(2 * brin::kMaxLineBytes, 'x'));
       },
       " after " + std::to_string(brin::kMaxLineBytes) + " bytes: a line longer than " +
           std::to_string(brin::kMaxLineBytes) + " bytes\n",
       true},
      {"a file too long",
       [&](const engine_tests::TempFolder& f, const std::string&) {
         const std::string line(999, 'x');
         std::string text = head + "\n";
         while (text.size() <= brin::kMaxFileBytes) text += line + "\n";
         f.write("p.xml", text);
       },
       " after " + std::to_string(brin::kMaxFileBytes) + " bytes: the file is longer\n", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    engine_tests::TempFolder folder;
    const std::string path = folder.file("p.xml");
    c.make(folder, path);
    Small record;
    record.a = 3;
    testing::internal::CaptureStdout();
    brin::ReadXmlFile(record, path, "r");
    EXPECT_EQ((c.readsHead ? "Cut " : "Skipped ") + path + c.line, testing::internal::GetCapturedStdout());
    EXPECT_EQ(c.readsHead ? 7 : 3, record.a);
  }
}

}  // namespace
