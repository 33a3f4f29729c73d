// The byte-string helpers under the reader, the listing and the image cache.
#include <gtest/gtest.h>

#include <string>

#include "engine/text.h"

namespace {

TEST(TextTrim, OnlyBlanksAndTabsCount) {
  EXPECT_EQ("a b", brin::Trim(" \t a b\t "));
  EXPECT_EQ("", brin::Trim(" \t \t"));
  EXPECT_EQ("\r\na\n", brin::Trim(" \r\na\n "));
}

TEST(TextReplaceAll, ReplacementsAreExaminedAgain) {
  EXPECT_EQ("&", brin::ReplaceAll("&amp;", "&", "&amp;amp;amp;"));
  EXPECT_EQ("x-y-z", brin::ReplaceAll("+", "-", "x+y+z"));
  EXPECT_EQ("x-y+z", brin::ReplaceAll("+", "-", "x+y+z", 1));
  EXPECT_EQ("same", brin::ReplaceAll("", "x", "same"));
}

TEST(TextReplaceAll, ReplacementHoldingTheSearchTextEnds) {
  // Searching the replacement again would never end without a limit.
  EXPECT_EQ("aaaa", brin::ReplaceAll("a", "aa", "aa"));
  EXPECT_EQ("aaaa", brin::ReplaceAll("a", "aa", "a", 3));
}

TEST(TextReplaceAll, LongRunsOfEntitiesStayFast) {
  std::string many;
  for (int i = 0; i < 200000; ++i) many += "&lt;";
  EXPECT_EQ(std::string(200000, '<'), brin::ReplaceAll("&lt;", "<", many));
}

TEST(TextFindOutsideQuotes, SkipsQuotedCharacters) {
  EXPECT_EQ(7u, brin::FindOutsideQuotes(" ", "\"a b c\" d"));
  EXPECT_EQ(1u, brin::FindOutsideQuotes(" \t", "a\tb"));
  EXPECT_EQ(std::string::npos, brin::FindOutsideQuotes(" ", "\"a b"));
  EXPECT_EQ(3u, brin::FindOutsideQuotes(" ", "a b c", 2));
  EXPECT_EQ(std::string::npos, brin::FindOutsideQuotes(" ", "a b c", 4));
}

TEST(TextToLower, OnlyAsciiLettersChangeAndUtf8Survives) {
  EXPECT_EQ("data/gfx/gun.png", brin::ToLower("Data/GFX/Gun.PNG"));
  const std::string utf8 = "\xC3\x84pfel\xE2\x82\xAC.PNG";
  EXPECT_EQ("\xC3\x84pfel\xE2\x82\xAC.png", brin::ToLower(utf8));
}

}  // namespace
