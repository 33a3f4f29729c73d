// The writer's layout, and that what it writes reads back.
#include <gtest/gtest.h>

#include <sstream>
#include <string>

#include "engine/xml_bind.h"
#include "engine/xml_writer.h"
#include "temp_folder.h"

namespace {

using brin::CXmlNode;

std::string written(const CXmlNode& node) {
  std::ostringstream out;
  brin::CXmlStreamHandler writer;
  writer.WriteNode(node, out);
  return out.str();
}

struct TurnSettings {
  float turnLength = 30.0f;
  void Bind(brin::CXmlBindContext& ctx) { brin::BindField(ctx, "TurnLength", turnLength, "t", 1); }
};

struct Mixed {
  bool dragging = true;
  int initValue = 100;
  float change = 0.25f;
  std::string name = "blood bank";
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "DraggingAllowed", dragging, "m", 1);
    brin::BindField(ctx, "P1_InitValue", initValue, "m", 2);
    brin::BindField(ctx, "ChangeTime", change, "m", 3);
    brin::BindField(ctx, "Name", name, "m", 4);
  }
};

TEST(XmlWriterLayout, RecordIsWrittenOneTagOrTextPerLineIndentedByTwo) {
  engine_tests::TempFolder folder;
  TurnSettings s;
  brin::WriteXmlFile(s, folder.file("s.xml"), "Settings");
  EXPECT_EQ("<Settings>\n  <TurnLength>\n    30\n  </TurnLength>\n</Settings>\n", folder.read("s.xml"));
}

TEST(XmlWriterLayout, RootOnlyAndEmptyValuesWriteNoTextLine) {
  CXmlNode root("r");
  EXPECT_EQ("<r>\n</r>\n", written(root));
  root.AddChild(std::make_unique<CXmlNode>("empty"));
  EXPECT_EQ("<r>\n  <empty>\n  </empty>\n</r>\n", written(root));
}

TEST(XmlWriterLayout, AttributesAreSortedWithABlankAfterEachClosingQuote) {
  CXmlNode node("part");
  node.AddAttribute("kind", brin::CVariant(std::string("a")));
  node.AddAttribute("id", brin::CVariant(std::string("7")));
  EXPECT_EQ("<part id=\"7\" kind=\"a\" >\n</part>\n", written(node));
  // Writing copies the attributes; the tree keeps its own.
  EXPECT_EQ("<part id=\"7\" kind=\"a\" >\n</part>\n", written(node));
  EXPECT_EQ("a", *node.GetAttributeValue(0).GetString());
}

TEST(XmlWriterLayout, ValuesAreWrittenUnescapedAndThenReadBackDifferently) {
  engine_tests::TempFolder folder;
  Mixed m;
  m.name = "a<b";
  brin::WriteXmlFile(m, folder.file("m.xml"), "Settings");
  EXPECT_NE(std::string::npos, folder.read("m.xml").find("\n    a<b\n"));
  Mixed back;
  testing::internal::CaptureStdout();
  brin::ReadXmlFile(back, folder.file("m.xml"), "Settings");
  testing::internal::GetCapturedStdout();
  EXPECT_NE("a<b", back.name);
}

TEST(XmlWriterLayout, IndentationStopsGrowingAtThirtyTwoLevels) {
  // Without a limit a deep tree would write a file quadratic in its depth.
  CXmlNode root("n");
  CXmlNode* node = &root;
  for (int i = 0; i < 40; ++i) node = node->AddChild(std::make_unique<CXmlNode>("n"));
  node->SetValue("deep");
  const std::string text = written(root);
  EXPECT_NE(std::string::npos, text.find("\n" + std::string(62, ' ') + "<n>\n"));
  EXPECT_NE(std::string::npos, text.find("\n" + std::string(64, ' ') + "deep\n"));
  EXPECT_EQ(std::string::npos, text.find(std::string(65, ' ')));
}

TEST(XmlWriterRoundTrip, WrittenRecordReadsBackTheSameValues) {
  engine_tests::TempFolder folder;
  Mixed m;
  m.dragging = false;
  m.initValue = -17;
  m.change = 1.75f;
  m.name = "two  words";
  brin::WriteXmlFile(m, folder.file("m.xml"), "Settings");
  Mixed back;
  testing::internal::CaptureStdout();
  brin::ReadXmlFile(back, folder.file("m.xml"), "Settings");
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
  EXPECT_FALSE(back.dragging);
  EXPECT_EQ(-17, back.initValue);
  EXPECT_FLOAT_EQ(1.75f, back.change);
  EXPECT_EQ("two  words", back.name);
}

TEST(XmlWriterRoundTrip, WritingTheSameRecordTwiceGivesIdenticalFiles) {
  engine_tests::TempFolder folder;
  Mixed m;
  brin::WriteXmlFile(m, folder.file("1.xml"), "Settings");
  brin::WriteXmlFile(m, folder.file("2.xml"), "Settings");
  EXPECT_FALSE(folder.read("1.xml").empty());
  EXPECT_EQ(folder.read("1.xml"), folder.read("2.xml"));
}

TEST(XmlWriterRoundTrip, WrittenTreeWithAttributesParsesBackToTheSameTree) {
  CXmlNode root("GamePart");
  root.AddAttribute("b", brin::CVariant(std::string("2 3")));
  root.AddAttribute("a", brin::CVariant(std::string("1")));
  CXmlNode* child = root.AddChild(std::make_unique<CXmlNode>("Image"));
  child->SetValue("data/gfx/gun.png");
  engine_tests::TempFolder folder;
  folder.write("t.xml", written(root));
  auto back = brin::ParseXmlFile(folder.file("t.xml"));
  ASSERT_TRUE(back);
  EXPECT_EQ(written(root), written(*back));
}

TEST(XmlWriterFiles, UncreatableFileIsReportedOnStandardErrorOnly) {
  Mixed m;
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  brin::WriteXmlFile(m, "/no/such/folder/out.xml", "Settings");
  EXPECT_EQ("Could not write /no/such/folder/out.xml: No such file or directory; the file was left as it was\n",
            testing::internal::GetCapturedStderr());
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
}

}  // namespace
