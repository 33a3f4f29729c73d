// The data binding: what a record gets out of a file, and the warnings a
// modder sees when the file's order differs from the record's.
#include <gtest/gtest.h>

#include <string>

#include "engine/xml_bind.h"
#include "temp_folder.h"

namespace {

struct Record {
  int a = -1;
  int b = -1;
  int c = -1;
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "A", a, ".\\src\\rec", 10);
    brin::BindField(ctx, "B", b, ".\\src\\rec", 11);
    brin::BindField(ctx, "C", c, ".\\src\\rec", 12);
  }
};

struct Typed {
  bool flag = false;
  int number = 5;
  float real = 2.5f;
  std::string text = "old";
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "Flag", flag, "typed", 1);
    brin::BindField(ctx, "Number", number, "typed", 2);
    brin::BindField(ctx, "Real", real, "typed", 3);
    brin::BindField(ctx, "Text", text, "typed", 4);
  }
};

// Reads `fileText` into the record and returns what the binding printed.
template <class R>
std::string readPrinting(R& record, const std::string& fileText) {
  engine_tests::TempFolder folder;
  folder.write("r.xml", fileText);
  testing::internal::CaptureStdout();
  brin::ReadXmlFile(record, folder.file("r.xml"), "Rec");
  return testing::internal::GetCapturedStdout();
}

std::string element(const std::string& name, const std::string& value) {
  return "<" + name + ">" + value + "</" + name + ">\n";
}

const std::string kOrder =
    "Xml warning a child node wasn't in the place it should be, order fucked up in node: Rec in file: "
    ".\\src\\rec at line ";
const std::string kNoneLeft = "Xml warning, ain't no childs left in the current node: Rec in file: .\\src\\rec at line ";

TEST(XmlBindOrder, DeclaredOrderReadsSilently) {
  Record r;
  EXPECT_EQ("", readPrinting(r, "<Rec>\n" + element("A", "1") + element("B", "2") + element("C", "3") + "</Rec>\n"));
  EXPECT_EQ(1, r.a);
  EXPECT_EQ(2, r.b);
  EXPECT_EQ(3, r.c);
}

TEST(XmlBindOrder, SwappedFieldsReadAndWarnForEveryFieldFromTheFirstMisplacedOn) {
  Record r;
  const std::string out =
      readPrinting(r, "<Rec>\n" + element("B", "2") + element("A", "1") + element("C", "3") + "</Rec>\n");
  EXPECT_EQ(1, r.a);
  EXPECT_EQ(2, r.b);
  EXPECT_EQ(3, r.c);
  EXPECT_EQ(kOrder + "10\n" + kOrder + "11\n" + kOrder + "12\n", out);
}

TEST(XmlBindOrder, FewerChildrenInOrderReadThePresentOnesSilently) {
  Record r;
  EXPECT_EQ("", readPrinting(r, "<Rec>" + element("A", "1") + element("B", "2") + "</Rec>"));
  EXPECT_EQ(1, r.a);
  EXPECT_EQ(2, r.b);
  EXPECT_EQ(-1, r.c);
}

TEST(XmlBindOrder, ExtraChildrenAndMissingOnesPrintNothing) {
  Record r;
  EXPECT_EQ("", readPrinting(r, "<Rec>" + element("A", "1") + element("C", "3") + element("Z", "9") + "</Rec>"));
  EXPECT_EQ(1, r.a);
  EXPECT_EQ(-1, r.b);
  EXPECT_EQ(3, r.c);
}

TEST(XmlBindOrder, RootNameIsNotChecked) {
  Record r;
  EXPECT_EQ("", readPrinting(r, "<Other>" + element("A", "4") + "</Other>"));
  EXPECT_EQ(4, r.a);
}

// A record binding one name twice gets past the last child while an earlier
// child of that name exists: the read must stay within the children.
struct Twice {
  int first = 0;
  int second = 0;
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "A", first, ".\\src\\rec", 20);
    brin::BindField(ctx, "A", second, ".\\src\\rec", 21);
  }
};

TEST(XmlBindOrder, SameNameTwiceDoesNotReadPastTheLastChild) {
  Twice t;
  const std::string out = readPrinting(t, "<Rec><A>7</A></Rec>");
  EXPECT_EQ(7, t.first);
  EXPECT_EQ(7, t.second);
  EXPECT_EQ(kNoneLeft + "21\n" + kOrder + "21\n", out);
}

TEST(XmlBindConversions, NumbersReadLikeStreamExtraction) {
  Typed t;
  readPrinting(t, "<Rec>" + element("Flag", "1") + element("Number", "12abc") + element("Real", "1.5") +
                      element("Text", "  two words ") + "</Rec>");
  EXPECT_TRUE(t.flag);
  EXPECT_EQ(12, t.number);
  EXPECT_FLOAT_EQ(1.5f, t.real);
  EXPECT_EQ("two words", t.text);  // the reader trims element text

  readPrinting(t, "<Rec>" + element("Flag", "0") + element("Number", "-7") + element("Real", "3") + "</Rec>");
  EXPECT_FALSE(t.flag);
  EXPECT_EQ(-7, t.number);
  EXPECT_FLOAT_EQ(3.0f, t.real);
}

TEST(XmlBindConversions, TextThatDoesNotConvertLeavesTheFieldAlone) {
  for (const std::string bad : {"abc", "", "x1", "-"}) {
    Typed t;
    readPrinting(t, "<Rec>" + element("Number", bad) + element("Real", bad) + "</Rec>");
    EXPECT_EQ(5, t.number) << bad;
    EXPECT_FLOAT_EQ(2.5f, t.real) << bad;
  }
}

TEST(XmlBindConversions, BoolTakesOnlyZeroOrOne) {
  for (const bool before : {false, true}) {
    for (const std::string bad : {"2", "-1", "true", "false", "abc", ""}) {
      Typed t;
      t.flag = before;
      readPrinting(t, "<Rec>" + element("Flag", bad) + "</Rec>");
      EXPECT_EQ(before, t.flag) << bad;
    }
  }
}

TEST(XmlBindConversions, OutOfRangeAndNotANumberLeaveTheFieldAlone) {
  for (const std::string bad : {"99999999999", "-99999999999", "2147483648", "nan", "inf"}) {
    Typed t;
    readPrinting(t, "<Rec>" + element("Number", bad) + "</Rec>");
    EXPECT_EQ(5, t.number) << bad;
  }
  for (const std::string bad : {"1e999", "-1e999", "nan", "inf", "-inf"}) {
    Typed t;
    readPrinting(t, "<Rec>" + element("Real", bad) + "</Rec>");
    EXPECT_FLOAT_EQ(2.5f, t.real) << bad;
  }
  Typed t;
  readPrinting(t, "<Rec>" + element("Number", "2147483647") + element("Real", "1.5e3") + "</Rec>");
  EXPECT_EQ(2147483647, t.number);
  EXPECT_FLOAT_EQ(1500.0f, t.real);
}

TEST(XmlBindConversions, EmptyElementEmptiesAStringAndEntitiesAreDecoded) {
  Typed t;
  readPrinting(t, "<Rec><Text></Text></Rec>");
  EXPECT_EQ("", t.text);
  readPrinting(t, "<Rec><Text>a &lt;b&gt; &amp; c</Text></Rec>");
  EXPECT_EQ("a <b> & c", t.text);
}

TEST(XmlBindFiles, MissingFileChangesNothingAndPrintsNothing) {
  Typed t;
  testing::internal::CaptureStdout();
  brin::ReadXmlFile(t, "/no/such/file.xml", "Rec");
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
  EXPECT_EQ(5, t.number);
  EXPECT_EQ("old", t.text);
}

TEST(XmlBindWrite, ValuesAreWrittenAsStreamText) {
  Typed t;
  t.flag = true;
  t.number = -42;
  t.real = 0.5f;
  t.text = "a &lt; b";
  auto tree = brin::BuildXmlTree(t, "Rec");
  ASSERT_EQ("Rec", tree->GetName());
  ASSERT_EQ(4, tree->GetChildCount());
  EXPECT_EQ("Flag", tree->GetChild(0)->GetName());
  EXPECT_EQ("1", tree->GetChild(0)->GetValue());
  EXPECT_EQ("-42", tree->GetChild(1)->GetValue());
  EXPECT_EQ("0.5", tree->GetChild(2)->GetValue());
  EXPECT_EQ("a < b", tree->GetChild(3)->GetValue());  // decoded on the way in too

  t.flag = false;
  t.real = 12345678.0f;
  tree = brin::BuildXmlTree(t, "Rec");
  EXPECT_EQ("0", tree->GetChild(0)->GetValue());
  EXPECT_EQ("1.23457e+07", tree->GetChild(2)->GetValue());
}

TEST(XmlBindWrite, UnknownDirectionDoesNothing) {
  Typed t;
  brin::CXmlNode node("Rec");
  node.AddChild(std::make_unique<brin::CXmlNode>("Number"))->SetValue("9");
  brin::BindNode(t, node, 2);
  EXPECT_EQ(5, t.number);
  EXPECT_EQ(1, node.GetChildCount());
}

TEST(XmlBindVariant, CopiesStayValidAfterTheOriginalIsGone) {
  auto original = std::make_unique<brin::CVariant>(std::string("value"));
  brin::CVariant copy(*original);
  original.reset();
  ASSERT_NE(nullptr, copy.GetString());
  EXPECT_EQ("value", *copy.GetString());
  EXPECT_EQ("value", copy.ToText());
  EXPECT_TRUE(brin::g_disownedVariants.empty());

  brin::CVariant empty;
  EXPECT_EQ(typeid(void), empty.GetType());
  EXPECT_EQ(nullptr, empty.GetString());
  EXPECT_EQ("", empty.ToOutputText());
}

}  // namespace
