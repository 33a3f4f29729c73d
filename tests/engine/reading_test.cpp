// Reading content as a modder meets it: XML trees from the files
// people actually write, odd ones included, the string helpers under them,
// and listing content folders (which names a mask picks, in what order, and
// how links and odd patterns behave).
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/directory_listing.h"
#include "engine/xml_bind.h"
#include "engine/text.h"
#include "engine/xml_parser.h"
#include "support/temp_folder.h"

namespace {

// A tree as one line: name, attributes in order, "=value" and children in braces.
std::string shape(const brin::CXmlNode* node) {
  if (!node) return "<no root>";
  std::string out = node->GetName();
  for (int i = 0; i < node->GetAttributeCount(); ++i)
    out += " " + node->GetAttributeName(i) + ":" + node->GetAttributeValue(i).ToOutputText();
  if (!node->GetValue().empty()) out += "=" + node->GetValue();
  if (node->GetChildCount() == 0) return out;
  out += "{";
  for (int i = 0; i < node->GetChildCount(); ++i) out += (i ? "," : "") + shape(node->GetChild(i));
  return out + "}";
}

TEST(XmlReader, TreesFromFiles) {
  const struct {
    const char* file;
    const char* tree;
  } cases[] = {
      {"<a>1</a>\n", "a=1"},
      {"<a>\n  hello\n\tworld  \n</a>\n", "a=helloworld"},  // lines are joined without separator
      {"<r>\n<a>1</a>\njunk\n<b>2</b>\n</r>\n", "r=junk{a=1,b=2}"},
      {"<r>first<a/>second</r>", "r=second{a}"},  // the last piece of text wins
      {"<a x=\"&lt;q&gt;\">&lt;b&gt;</a>", "a x:&lt;q&gt;=<b>"},  // entities decoded in values only
      // The ampersand is decoded third, and every step looks at its own output.
      {"<a>&amp;lt;|&amp;apos;|&amp;amp;|&quot;x&quot;|&apos;|&#65;</a>", "a=&lt;|'|&|\"x\"|'|&#65;"},
      {"<S>\r\n  <P>\r\n    a.png\r\n  </P>\r\n  <N>3</N>\r\n</S>\r\n", "S{P=a.png,N=3}"},
      {"<a>\r\rx\r\r\n</a>", "a=\r\rx\r"},  // only one carriage return per line is a line end
      {"<r><p zeta=\"1\" alpha=\"2\" mid=\"3\"/><q/></r>", "r{p alpha:2 mid:3 zeta:1,q}"},
      // Unquoted values lose their first and last characters; single quotes protect nothing.
      {"<a w=1234 x=12 y=1 z='a b'/>", "a b' w:23 x: y: z:"},
      {"<a x=\"first\" x=\"second\"/>", "a x:first"},
      {"<r>\n<!-- x > y -->\n<a>1</a>\n</r>", "r=y -->{a=1}"},  // a comment ends at its first ">"
      {"<?xml version=\"1.0\"?>\n<S>\n<D>1</D>\n</S>\n", "S{D=1}"},
      {"</x>\n<r>1</r>\n</r>\n<second><c/></second>\n", "r=1"},
      {"<r><a><b>x</b></r>", "r{a{b=x}}"},
      {"", "<no root>"},
      // Nothing after "=", an attribute with no element name, a tag run together over a line break.
      {"<r>\n<a x=>\n<y=\"1\">\n<part\nid=\"3\">\n<ok/>\n</r>\n", "r{ok}"},
      {"<r>\n<a/>\n<a />\n</r>\n", "r{a,a }"},
      {"<part  \nid>\n", "partid"},
      {"<r>in</r>after", "r=in"},  // text after the last tag is never delivered,
  };
  for (const auto& c : cases) {
    testing_support::TempFolder folder;
    folder.write("doc.xml", c.file);
    EXPECT_EQ(c.tree, shape(brin::ParseXmlFile(folder.file("doc.xml")).get())) << c.file;
  }
  EXPECT_EQ("<no root>", shape(brin::ParseXmlFile("/no/such/folder/file.xml").get()));
}

TEST(Text, TrimReplaceFindAndLower) {
  EXPECT_EQ("a b", brin::Trim(" \t a b\t "));
  EXPECT_EQ("\r\na\n", brin::Trim(" \r\na\n "));  // only blanks and tabs count
  EXPECT_EQ("&", brin::ReplaceAll("&amp;", "&", "&amp;amp;amp;"));  // replacements are examined again
  // A replacement holding the search text would never end without a limit.
  EXPECT_EQ("aaaa", brin::ReplaceAll("a", "aa", "aa"));
  EXPECT_EQ("aaaa", brin::ReplaceAll("a", "aa", "a", 3));
  std::string many;
  for (int i = 0; i < 200000; ++i) many += "&lt;";
  EXPECT_EQ(std::string(200000, '<'), brin::ReplaceAll("&lt;", "<", many));
  EXPECT_EQ(std::string::npos, brin::FindOutsideQuotes(" ", "\"a b"));  // an unclosed quote hides the rest
  EXPECT_EQ("data/gfx/\xC3\x84pfel.png", brin::ToLower("Data/GFX/\xC3\x84pfel.PNG"));  // UTF-8 survives
}

using brin::CDirectoryListing;
using Names = std::vector<std::string>;

TEST(DirectoryListing, FoldersFirstThenFilesMatchingTheMaskCaseSensitively) {
  testing_support::TempFolder folder;
  for (const char* name : {"data", "data/gfx", "data/gfx/old", "data/parts"}) folder.makeFolder(name);
  for (const char* name : {"data/gfx/b.jpg", "data/gfx/a.png", "data/parts/player1_x.xml", "data/parts/player2_x.xml",
                           "data/parts/PLAYER1_X.XML", "data/parts/player1_gun.xml", "data/parts/xplayer1.xml",
                           "top.xml", "notes.txt", "nodot"})
    folder.write(name, "x");
  testing_support::WorkingDirectory cwd(folder.path());
  ASSERT_EQ(0, symlink("a.png", "data/gfx/linked.png"));
  ASSERT_EQ(0, symlink("old", "data/gfx/shortcut"));
  ASSERT_EQ(0, symlink("gone.png", "data/gfx/dangling.png"));  // skipped
  const struct {
    const char* pattern;
    Names names;
  } cases[] = {
      {"data/gfx/*.*", {"old", "shortcut", "a.png", "b.jpg", "linked.png"}},
      {"data\\gfx\\", {"old", "shortcut", "a.png", "b.jpg", "linked.png"}},
      {"data/parts/player1*.xml", {"player1_gun.xml", "player1_x.xml"}},
      {" \tdata//parts/player2*.xml ", {"player2_x.xml"}},
      {"*.xml", {"top.xml"}},
      {".", {"data", "notes.txt", "top.xml"}},  // never . or .., nor names without a dot
      {"data/parts/*.png", {}},
      {"data/no_such_folder/*.*", {}},
      {"data/parts/**x**.*", {"player1_x.xml", "player2_x.xml", "xplayer1.xml"}},
      {"nodo*", {"nodot"}},
      {"nodo", {}},
  };
  CDirectoryListing listing;  // each List replaces the last
  for (const auto& c : cases) {
    listing.List(c.pattern);
    Names names;
    while (!listing.AtEnd()) names.push_back(listing.Next());
    EXPECT_EQ(c.names, names) << c.pattern;
    EXPECT_EQ("", listing.Next());
  }
}

}  // namespace
