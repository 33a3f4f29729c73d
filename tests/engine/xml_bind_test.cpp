// The data binding and the writer: values, misorder warnings, layout and
// round trip.
#include <gtest/gtest.h>

#include <string>

#include "engine/xml_bind.h"
#include "engine/xml_writer.h"
#include "support/temp_folder.h"

namespace {

// With `twice` the record binds "A" a second time: that gets past the last
// child while an earlier child of that name exists, and must stay within them.
template <bool twice>
struct Record {
  int a = -1, b = -1, c = -1;
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "A", a, ".\\src\\rec", 10);
    brin::BindField(ctx, twice ? "A" : "B", b, ".\\src\\rec", 11);
    if (!twice) brin::BindField(ctx, "C", c, ".\\src\\rec", 12);
  }
};

struct Typed {
  bool flag = false;
  int number = 5;
  float real = 2.5f;
  std::string text = "old";
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "Flag", flag, "t", 1);
    brin::BindField(ctx, "Number", number, "t", 2);
    brin::BindField(ctx, "Real", real, "t", 3);
    brin::BindField(ctx, "Text", text, "t", 4);
  }
};

// Reads `fileText` into the record and returns what the binding printed.
template <class R>
std::string read(R& record, const std::string& fileText) {
  testing_support::TempFolder folder;
  folder.write("r.xml", fileText);
  return testing_support::printedBy([&] { brin::ReadXmlFile(record, folder.file("r.xml"), "Rec"); });
}

TEST(XmlBind, FieldsReadInAnyOrderAndOnlyMisplacedOnesWarn) {
  const std::string order = "Xml warning a child node wasn't in the place it should be, order fucked up in node: Rec "
                            "in file: .\\src\\rec at line ";
  const struct {
    const char* file;
    int a, b, c;
    std::string printed;
  } cases[] = {
      {"<Rec>\n<A>1</A>\n<B>2</B>\n<C>3</C>\n</Rec>\n", 1, 2, 3, ""},
      {"<Rec><B>2</B><A>1</A><C>3</C></Rec>", 1, 2, 3, order + "10\n" + order + "11\n" + order + "12\n"},
      {"<Rec><A>1</A><B>2</B></Rec>", 1, 2, -1, ""},
      {"<Rec><A>1</A><C>3</C><Z>9</Z></Rec>", 1, -1, 3, ""},
      {"<Other><A>4</A></Other>", 4, -1, -1, ""},  // the root's name is not checked
  };
  for (const auto& c : cases) {
    Record<false> r;
    EXPECT_EQ(c.printed, read(r, c.file)) << c.file;
    EXPECT_EQ(std::to_string(c.a) + std::to_string(c.b) + std::to_string(c.c),
              std::to_string(r.a) + std::to_string(r.b) + std::to_string(r.c)) << c.file;
  }
  Record<true> t;
  EXPECT_EQ("Xml warning, ain't no childs left in the current node: Rec in file: .\\src\\rec at line 11\n" + order +
                "11\n",
            read(t, "<Rec><A>7</A></Rec>"));
  EXPECT_EQ(t.a * 10 + t.b, 77);
}

// What the record holds for `key` once bound, as the writer puts it.
std::string writtenValue(Typed& t, const std::string& key) {
  const auto tree = brin::BuildXmlTree(t, "Rec");
  for (int i = 0; i < tree->GetChildCount(); ++i) {
    if (tree->GetChild(i)->GetName() == key) return tree->GetChild(i)->GetValue();
  }
  return "<missing>";
}

TEST(XmlBind, AValueReadsOnlyAsAWholeNumberItsFieldHoldsAndOtherwiseOneLineSaysSo) {
  // Typed starts at Flag 0, Number 5, Real 2.5, Text "old": "using" names the
  // value kept, as it will be written back.
  const struct {
    const char* key;
    const char* text;
    const char* after;
    const char* line;  // printed after "<file>: ", empty for nothing
  } cases[] = {
      {"Number", "12", "12", ""},
      {"Number", " -7 ", "-7", ""},
      {"Number", "+1.5e3", "1500", ""},
      {"Number", "2147483647", "2147483647", ""},
      {"Number", "-2147483648", "-2147483648", ""},
      {"Number", "2147483648", "5", "Number is \"2147483648\", out of range for an int; using 5"},
      {"Number", "-2147483649", "5", "Number is \"-2147483649\", out of range for an int; using 5"},
      {"Number", "1e309", "5", "Number is \"1e309\", out of range for an int; using 5"},
      {"Number", "2.5", "5", "Number is \"2.5\", not a whole number; using 5"},
      {"Number", "12abc", "5", "Number is \"12abc\", not a number; using 5"},
      {"Number", "0x10", "5", "Number is \"0x10\", not a number; using 5"},
      {"Number", "", "5", "Number is \"\", not a number; using 5"},
      {"Number", "1e", "5", "Number is \"1e\", not a number; using 5"},
      {"Real", "0.1", "0.1", ""},
      {"Real", "3.4028235e38", "3.40282347e+38", ""},
      {"Real", "2147483648", "2147483648", ""},
      {"Real", "nan", "2.5", "Real is \"nan\", not a finite number; using 2.5"},
      {"Real", "-INF", "2.5", "Real is \"-INF\", not a finite number; using 2.5"},
      {"Real", "1e309", "2.5", "Real is \"1e309\", out of range for a float; using 2.5"},
      {"Real", "-1e39", "2.5", "Real is \"-1e39\", out of range for a float; using 2.5"},
      {"Real", "fast", "2.5", "Real is \"fast\", not a number; using 2.5"},
      {"Flag", "1", "1", ""},
      {"Flag", "1.0", "1", ""},
      {"Flag", "1e309", "0", "Flag is \"1e309\", not 0 or 1; using 0"},
      {"Flag", "2", "0", "Flag is \"2\", not 0 or 1; using 0"},
      {"Flag", "1.5e3", "0", "Flag is \"1.5e3\", not 0 or 1; using 0"},
      {"Flag", "yes", "0", "Flag is \"yes\", not a number; using 0"},
      // Text is shown on one line, and not at any length.
      {"Flag", "a\tb", "0", "Flag is \"a?b\", not a number; using 0"},
      {"Flag", "0123456789012345678901234567890123456789x", "0",
       "Flag is \"0123456789012345678901234567890123456789...\", not a number; using 0"},
      {"Text", "  a &lt;b&gt; &amp; 1e309 ", "a <b> & 1e309", ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.key) + " " + c.text);
    testing_support::TempFolder folder;
    folder.write("r.xml", std::string("<Rec><") + c.key + ">" + c.text + "</" + c.key + "></Rec>");
    Typed t;
    const std::string printed =
        testing_support::printedBy([&] { brin::ReadXmlFile(t, folder.file("r.xml"), "Rec"); });
    EXPECT_EQ(*c.line ? folder.file("r.xml") + ": " + c.line + "\n" : "", printed);
    EXPECT_EQ(c.after, writtenValue(t, c.key));
  }
  // Without a file's name, and when reading quietly (the options' own lines
  // say what was wrong).
  brin::CXmlNode root("Rec");
  root.AddChild(brin::MakeValueNode(std::string("nan"), "Real"));
  Typed t;
  EXPECT_EQ("Real is \"nan\", not a finite number; using 2.5\n",
            testing_support::printedBy([&] { brin::BindNode(t, root, brin::kBindRead); }));
  brin::CXmlBindContext quiet;
  quiet.report = false, quiet.root = quiet.current = &root, quiet.readFrom = "q.xml";
  EXPECT_EQ("", testing_support::printedBy([&] { t.Bind(quiet); }));
  EXPECT_EQ(2.5f, t.real);
}

TEST(XmlWriter, LayoutValuesAndRoundTrip) {
  Typed t;
  t.flag = true, t.number = -42, t.real = 12345678.0f, t.text = "two  words";
  testing_support::TempFolder folder;
  brin::WriteXmlFile(t, folder.file("t.xml"), "Settings");
  EXPECT_NE(std::string::npos, folder.read("t.xml").find("  <Real>\n    12345678\n  </Real>\n"));
  Typed back;
  EXPECT_EQ("", read(back, folder.read("t.xml")));
  EXPECT_EQ("1-42two  words", std::to_string(back.flag) + std::to_string(back.number) + back.text);

  // Short where six digits keep the value, as many as it takes where not:
  // every value reads back as the same float.
  // A whole number six digits would change is written with all its digits.
  const struct {
    float value;
    const char* text;
  } reals[] = {{30000, "30000"}, {0.1f, "0.1"}, {749.123456f, "749.123474"}, {16777217.0f, "16777216"},
               {1e-7f, "1e-07"}, {3.4028235e38f, "3.40282347e+38"}, {1234567.0f, "1234567"},
               {2147483648.0f, "2147483648"}, {-2147483648.0f, "-2147483648"}, {99999999.0f, "1e+08"},
               {123456789012.0f, "123456790528"}, {1e15f, "1e+15"}, {12345678901234567.0f, "1.23456784e+16"},
               {-0.5f, "-0.5"}, {1234567.5f, "1234567.5"}};
  for (const auto& r : reals) {
    Typed w;
    w.real = r.value;
    const std::string text = brin::ComposeXmlText(*brin::BuildXmlTree(w, "Rec"));
    EXPECT_NE(std::string::npos, text.find(std::string("\n    ") + r.text + "\n")) << text;
    Typed again;
    EXPECT_EQ("", read(again, text));
    EXPECT_EQ(r.value, again.real) << r.text;
  }
  for (const int number : {0, -1, 1234567, 2147483647, -2147483647 - 1}) {
    Typed w;
    w.number = number;
    const std::string text = brin::ComposeXmlText(*brin::BuildXmlTree(w, "Rec"));
    EXPECT_NE(std::string::npos, text.find("\n    " + std::to_string(number) + "\n")) << text;
    Typed again;
    EXPECT_EQ("", read(again, text));
    EXPECT_EQ(number, again.number);
  }

  brin::CXmlNode root("part");
  root.AddAttribute("kind", brin::CVariant(std::string("a b")));
  root.AddAttribute("id", brin::CVariant(std::string("7")));
  root.AddChild(std::make_unique<brin::CXmlNode>("empty"));
  brin::CXmlNode* node = &root;
  for (int i = 0; i < 40; ++i) node = node->AddChild(std::make_unique<brin::CXmlNode>("n"));
  node->SetValue("deep");
  const std::string text = brin::ComposeXmlText(root);
  EXPECT_EQ(0u, text.find("<part id=\"7\" kind=\"a b\" >\n  <empty>\n  </empty>\n  <n>\n"));
  // Indentation stops growing at 32 levels, or a deep tree would write a file quadratic in its depth.
  EXPECT_NE(std::string::npos, text.find("\n" + std::string(64, ' ') + "deep\n"));
  EXPECT_EQ(std::string::npos, text.find(std::string(65, ' ')));
  folder.write("tree.xml", text);
  auto reread = brin::ParseXmlFile(folder.file("tree.xml"));
  ASSERT_TRUE(reread);
  EXPECT_EQ(text, brin::ComposeXmlText(*reread));
}

TEST(XmlBind, VariantCopiesStayValidAfterTheOriginalIsGone) {
  auto original = std::make_unique<brin::CVariant>(std::string("value"));
  brin::CVariant copy(*original);
  original.reset();
  ASSERT_NE(nullptr, copy.GetString());
  EXPECT_EQ("value", copy.ToText());
  EXPECT_TRUE(brin::g_disownedVariants.empty());
  EXPECT_EQ("", brin::CVariant().ToOutputText());
}

}  // namespace
