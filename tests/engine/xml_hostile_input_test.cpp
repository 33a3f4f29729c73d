// Files no one should write but someone will: huge, deep or broken input
// must read, bind, write and free without crashing or running out of stack.
#include <gtest/gtest.h>

#include <string>

#include "engine/xml_bind.h"
#include "engine/xml_writer.h"
#include "temp_folder.h"

namespace {

constexpr int kMillion = 1000000;

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

TEST(XmlHostileInput, AMillionTagsOnOneLine) {
  engine_tests::TempFolder folder;
  std::string line = "<r>";
  line.reserve(4 * kMillion + 16);
  for (int i = 0; i < kMillion; ++i) line += "<x/>";
  line += "<a>9</a></r>";
  folder.write("wide.xml", line);
  Small record;
  EXPECT_EQ(kMillion + 1, readBindWrite(folder, "wide.xml", record));
  EXPECT_EQ(9, record.a);
}

TEST(XmlHostileInput, AMillionUnclosedNestedTags) {
  engine_tests::TempFolder folder;
  std::string text = "<r><a>5</a>";
  text.reserve(4 * kMillion);
  for (int i = 0; i < kMillion; ++i) text += "<n>";
  folder.write("deep.xml", text);
  Small record;
  EXPECT_EQ(2, readBindWrite(folder, "deep.xml", record));
  EXPECT_EQ(5, record.a);
  // The copy holds every level and reads back as deep as it was.
  auto copy = brin::ParseXmlFile(folder.file("copy.xml"));
  ASSERT_TRUE(copy);
  int depth = 0;
  for (const brin::CXmlNode* n = copy.get(); n->GetChildCount() > 0; n = n->GetChild(n->GetChildCount() - 1)) ++depth;
  EXPECT_EQ(kMillion, depth);
}

TEST(XmlHostileInput, ATagWithAHundredThousandAttributes) {
  engine_tests::TempFolder folder;
  std::string text = "<r";
  for (int i = 0; i < 100000; ++i) text += " a" + std::to_string(i) + "=\"" + std::to_string(i) + "\"";
  text += "><a>1</a></r>";
  folder.write("attrs.xml", text);
  auto tree = brin::ParseXmlFile(folder.file("attrs.xml"));
  ASSERT_TRUE(tree);
  EXPECT_EQ("r", tree->GetName());
  EXPECT_EQ(100000, tree->GetAttributeCount());
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

}  // namespace
