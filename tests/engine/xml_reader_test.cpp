// The XML reader as a modder meets it: what trees come out of the files
// people actually write, including the odd ones.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/xml_bind.h"
#include "engine/xml_parser.h"
#include "temp_folder.h"

namespace {

using brin::CXmlNode;

std::unique_ptr<CXmlNode> parse(const std::string& fileText) {
  engine_tests::TempFolder folder;
  folder.write("doc.xml", fileText);
  return brin::ParseXmlFile(folder.file("doc.xml"));
}

std::string attribute(const CXmlNode& node, const std::string& name) {
  for (int i = 0; i < node.GetAttributeCount(); ++i) {
    if (node.GetAttributeName(i) == name) return node.GetAttributeValue(i).ToOutputText();
  }
  return "<absent>";
}

// Records the events a file produces, one string each.
class RecordingHandler : public brin::CXmlHandlerInterface {
 public:
  void StartDocument() override { events.push_back("start-document"); }
  void EndDocument() override { events.push_back("end-document"); }
  void Text(const std::string& text) override { events.push_back("text " + text); }
  void StartElement(const std::string& name, const brin::CXmlAttributeMap& attributes) override {
    std::string event = "open " + name;
    for (const auto& a : attributes) event += " " + a.first + "=" + a.second.ToOutputText();
    events.push_back(event);
  }
  void EndElement(const std::string& name) override { events.push_back("close " + name); }
  std::vector<std::string> events;
};

std::vector<std::string> eventsOf(const std::vector<std::string>& lines) {
  brin::CXmlParser parser;
  RecordingHandler handler;
  parser.handler = &handler;
  for (const std::string& line : lines) parser.ParseLine(line);
  return handler.events;
}

TEST(XmlReaderText, OneLineAndThreeLinesGiveTheSameElement) {
  for (const std::string text : {"<a>1</a>\n", "<a>\n  1\n</a>\n"}) {
    auto root = parse(text);
    ASSERT_TRUE(root) << text;
    EXPECT_EQ("a", root->GetName());
    EXPECT_EQ("1", root->GetValue());
    EXPECT_EQ(0, root->GetChildCount());
  }
}

TEST(XmlReaderText, TextOverSeveralLinesIsJoinedWithoutSeparator) {
  auto root = parse("<a>\n  hello\n\tworld  \n</a>\n");
  ASSERT_TRUE(root);
  EXPECT_EQ("helloworld", root->GetValue());
}

TEST(XmlReaderText, BlanksAroundTextGoButBlanksInsideStay) {
  auto root = parse("<a> \t two  words \t</a>");
  ASSERT_TRUE(root);
  EXPECT_EQ("two  words", root->GetValue());
}

TEST(XmlReaderText, TextBetweenChildrenBecomesTheParentsValueAndLastPieceWins) {
  auto root = parse("<r>\n<a>1</a>\njunk\n<b>2</b>\n</r>\n");
  ASSERT_TRUE(root);
  EXPECT_EQ("junk", root->GetValue());
  ASSERT_EQ(2, root->GetChildCount());
  EXPECT_EQ("1", root->GetChild(0)->GetValue());
  EXPECT_EQ("2", root->GetChild(1)->GetValue());

  auto mixed = parse("<r>first<a/>second</r>");
  ASSERT_TRUE(mixed);
  EXPECT_EQ("second", mixed->GetValue());
}

TEST(XmlReaderText, EntitiesAreDecodedInValuesButNotInAttributes) {
  auto root = parse("<a x=\"&lt;q&gt;\">&lt;b&gt;</a>");
  ASSERT_TRUE(root);
  EXPECT_EQ("<b>", root->GetValue());
  EXPECT_EQ("&lt;q&gt;", attribute(*root, "x"));
}

TEST(XmlReaderText, EntityDecodingOrderShowsInEscapedEntities) {
  // The ampersand is decoded third, and every step looks at its own output.
  auto root = parse("<a>&amp;lt;|&amp;apos;|&amp;amp;|&quot;x&quot;|&apos;|&#65;</a>");
  ASSERT_TRUE(root);
  EXPECT_EQ("&lt;|'|&|\"x\"|'|&#65;", root->GetValue());
}

TEST(XmlReaderText, WindowsLineEndsReadLikeUnixOnes) {
  auto crlf = parse("<Settings>\r\n  <Path>\r\n    data/gfx/a.png\r\n  </Path>\r\n  <N>3</N>\r\n</Settings>\r\n");
  ASSERT_TRUE(crlf);
  ASSERT_EQ(2, crlf->GetChildCount());
  EXPECT_EQ("data/gfx/a.png", crlf->GetChild(0)->GetValue());
  EXPECT_EQ("3", crlf->GetChild(1)->GetValue());
}

TEST(XmlReaderText, OnlyOneCarriageReturnPerLineIsLineEnd) {
  // A carriage return that is not the line end is content.
  auto root = parse("<a>\r\rx\r\r\n</a>");
  ASSERT_TRUE(root);
  EXPECT_EQ("\r\rx\r", root->GetValue());
}

TEST(XmlReaderAttributes, QuotedValuesKeepBlanksAndSeveralAttributesSplit) {
  auto root = parse("<part id=\"7\" kind=\"a b\">x</part>");
  ASSERT_TRUE(root);
  EXPECT_EQ("part", root->GetName());
  ASSERT_EQ(2, root->GetAttributeCount());
  EXPECT_EQ("7", attribute(*root, "id"));
  EXPECT_EQ("a b", attribute(*root, "kind"));
}

TEST(XmlReaderAttributes, AttributesArriveSortedByName) {
  auto root = parse("<p zeta=\"1\" alpha=\"2\" mid=\"3\"/>");
  ASSERT_TRUE(root);
  ASSERT_EQ(3, root->GetAttributeCount());
  EXPECT_EQ("alpha", root->GetAttributeName(0));
  EXPECT_EQ("mid", root->GetAttributeName(1));
  EXPECT_EQ("zeta", root->GetAttributeName(2));
  EXPECT_EQ("", root->GetAttributeName(3));
}

TEST(XmlReaderAttributes, UnquotedValuesLoseTheirFirstAndLastCharacters) {
  auto root = parse("<a w=1234 x=12 y=1 z='a b'/>");
  ASSERT_TRUE(root);
  EXPECT_EQ("23", attribute(*root, "w"));
  EXPECT_EQ("", attribute(*root, "x"));
  EXPECT_EQ("", attribute(*root, "y"));
  // Single quotes protect nothing: the value is cut at the blank and the
  // rest joins the element name.
  EXPECT_EQ("", attribute(*root, "z"));
  EXPECT_EQ("a b'", root->GetName());
}

TEST(XmlReaderAttributes, OfTwoAttributesOfOneNameTheFirstStays) {
  auto root = parse("<a x=\"first\" x=\"second\"/>");
  ASSERT_TRUE(root);
  ASSERT_EQ(1, root->GetAttributeCount());
  EXPECT_EQ("first", attribute(*root, "x"));
}

TEST(XmlReaderAttributes, MalformedAttributeTagsAreIgnoredWithoutLooping) {
  // Nothing after "=", an attribute with no element name in front of it,
  // and a name and attribute run together over a line break.
  EXPECT_EQ((std::vector<std::string>{"open r", "open ok", "close ok", "close r"}),
            eventsOf({"<r>", "<a x=>", "<y=\"1\">", "<part", "id=\"3\">", "<ok/>", "</r>"}));
}

TEST(XmlReaderTags, SelfClosingAndBlankSlash) {
  EXPECT_EQ((std::vector<std::string>{"open r", "open a", "close a", "open a ", "close a ", "close r"}),
            eventsOf({"<r>", "<a/>", "<a />", "</r>"}));
}

TEST(XmlReaderTags, TagWithBlankButNoEqualsKeepsTheWholeName) {
  auto root = parse("<a b>v</a b>");
  ASSERT_TRUE(root);
  EXPECT_EQ("a b", root->GetName());
}

TEST(XmlReaderTags, TagBrokenOverTwoLinesRunsTogether) {
  EXPECT_EQ((std::vector<std::string>{"open partid"}), eventsOf({"<part  ", "id>"}));
}

TEST(XmlReaderTags, CommentsAreSkippedUpToTheirFirstClosingBracket) {
  auto plain = parse("<r><!-- a comment --><a>1</a></r>");
  ASSERT_TRUE(plain);
  EXPECT_EQ("", plain->GetValue());
  EXPECT_EQ(1, plain->GetChildCount());

  // The comment ends at its ">", the rest becomes text of the open element.
  auto broken = parse("<r>\n<!-- x > y -->\n<a>1</a>\n</r>");
  ASSERT_TRUE(broken);
  EXPECT_EQ("y -->", broken->GetValue());
  ASSERT_EQ(1, broken->GetChildCount());
  EXPECT_EQ("a", broken->GetChild(0)->GetName());
}

TEST(XmlReaderTags, XmlDeclarationIsSkippedSoTheRealRootIsTheRoot) {
  auto root = parse("<?xml version=\"1.0\" encoding=\"utf-8\"?>\n<Settings>\n<Debug>1</Debug>\n</Settings>\n");
  ASSERT_TRUE(root);
  EXPECT_EQ("Settings", root->GetName());
  ASSERT_EQ(1, root->GetChildCount());
  EXPECT_EQ("Debug", root->GetChild(0)->GetName());
  // Processing instructions anywhere are skipped the same way.
  EXPECT_EQ((std::vector<std::string>{"open r", "close r"}), eventsOf({"<r><?pi data?></r>"}));
}

TEST(XmlReaderTags, EndTagNamesAreNotChecked) {
  auto root = parse("<r><a>1</b><c>2</c></r>");
  ASSERT_TRUE(root);
  ASSERT_EQ(2, root->GetChildCount());
  EXPECT_EQ("c", root->GetChild(1)->GetName());
}

TEST(XmlReaderTags, StrayEndTagsAndSecondRootsAreIgnored) {
  auto root = parse("</x>\n<r>1</r>\n</r>\n<second><c/></second>\n");
  ASSERT_TRUE(root);
  EXPECT_EQ("r", root->GetName());
  EXPECT_EQ("1", root->GetValue());
  EXPECT_EQ(0, root->GetChildCount());
}

TEST(XmlReaderTags, UnclosedElementsSwallowWhatFollows) {
  auto root = parse("<r><a><b>x</b></r>");
  ASSERT_TRUE(root);
  ASSERT_EQ(1, root->GetChildCount());
  EXPECT_EQ("b", root->GetChild(0)->GetChild(0)->GetName());
}

TEST(XmlReaderTags, TextAfterTheLastTagIsNeverDelivered) {
  EXPECT_EQ((std::vector<std::string>{"open r", "text in", "close r"}), eventsOf({"<r>in</r>after"}));
}

TEST(XmlReaderFiles, MissingFileOrEmptyPathGivesNoRootAndOnlyDocumentEvents) {
  EXPECT_FALSE(brin::ParseXmlFile(""));
  EXPECT_FALSE(brin::ParseXmlFile("/no/such/folder/file.xml"));
  brin::CXmlParser parser;
  RecordingHandler handler;
  parser.handler = &handler;
  parser.ParseFile("/no/such/folder/file.xml");
  EXPECT_EQ((std::vector<std::string>{"start-document", "end-document"}), handler.events);
}

}  // namespace
