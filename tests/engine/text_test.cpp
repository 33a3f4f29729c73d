// The byte-string helpers under the reader, the listing and the image cache,
// and the application switches read from data/app_settings.xml.
#include <gtest/gtest.h>

#include <string>

#include "app_settings.h"
#include "engine/text.h"
#include "temp_folder.h"

namespace {

TEST(Text, TrimReplaceFindAndLower) {
  EXPECT_EQ("a b", brin::Trim(" \t a b\t "));
  EXPECT_EQ("\r\na\n", brin::Trim(" \r\na\n "));  // only blanks and tabs count
  EXPECT_EQ("&", brin::ReplaceAll("&amp;", "&", "&amp;amp;amp;"));  // replacements are examined again
  EXPECT_EQ("x-y+z", brin::ReplaceAll("+", "-", "x+y+z", 1));
  EXPECT_EQ("same", brin::ReplaceAll("", "x", "same"));
  // A replacement holding the search text would never end without a limit.
  EXPECT_EQ("aaaa", brin::ReplaceAll("a", "aa", "aa"));
  EXPECT_EQ("aaaa", brin::ReplaceAll("a", "aa", "a", 3));
  std::string many;
  for (int i = 0; i < 200000; ++i) many += "&lt;";
  EXPECT_EQ(std::string(200000, '<'), brin::ReplaceAll("&lt;", "<", many));
  EXPECT_EQ(7u, brin::FindOutsideQuotes(" ", "\"a b c\" d"));
  EXPECT_EQ(std::string::npos, brin::FindOutsideQuotes(" ", "\"a b"));
  EXPECT_EQ(3u, brin::FindOutsideQuotes(" ", "a b c", 2));
  EXPECT_EQ("data/gfx/\xC3\x84pfel.png", brin::ToLower("Data/GFX/\xC3\x84pfel.PNG"));  // UTF-8 survives
}

TEST(AppSettings, BothSwitchesReadInEitherOrderWithTheFixedWarningPlaces) {
  const std::string order =
      "Xml warning a child node wasn't in the place it should be, order fucked up in node: Settings in file: "
      ".\\src\\main at line ";
  const struct {
    const char* file;  // null: no file
    bool debug, sprite;
    std::string printed;
  } cases[] = {
      {nullptr, false, false, ""},
      {"<Settings>\n  <Debug>\n    1\n  </Debug>\n  <SpriteDevice>\n    1\n  </SpriteDevice>\n</Settings>\n", true,
       true, ""},
      {"<Settings>\n<SpriteDevice>1</SpriteDevice>\n</Settings>\n", false, true, ""},
      {"<Settings><SpriteDevice>1</SpriteDevice><Debug>1</Debug></Settings>", true, true,
       order + "2304\n" + order + "2305\n"},
      {"<?xml version=\"1.0\"?>\r\n<Settings>\r\n<Debug>1</Debug>\r\n<SpriteDevice>0</SpriteDevice>\r\n</Settings>\r\n",
       true, false, ""},
      {"<Settings><Debug>true</Debug><SpriteDevice>yes</SpriteDevice></Settings>", false, false, ""},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.file ? c.file : "no file");
    engine_tests::TempFolder folder;
    folder.makeFolder("data");
    if (c.file) folder.write("data/app_settings.xml", c.file);
    engine_tests::WorkingDirectory cwd(folder.path());
    g_debug = g_spriteDevice = false;
    CAppSettings settings;
    testing::internal::CaptureStdout();
    loadAppSettings(settings);
    EXPECT_EQ(c.printed, testing::internal::GetCapturedStdout());
    EXPECT_EQ(c.debug * 10 + c.sprite, g_debug * 10 + g_spriteDevice);
    EXPECT_EQ(settings.debug * 10 + settings.spriteDevice, g_debug * 10 + g_spriteDevice);
  }
}

}  // namespace
