// The application switches as read from data/app_settings.xml in the
// working directory.
#include <gtest/gtest.h>

#include <string>

#include "app_settings.h"
#include "engine/xml_bind.h"
#include "temp_folder.h"

namespace {

struct Loaded {
  bool debug;
  bool spriteDevice;
  std::string printed;
};

// Runs the load in a folder holding `fileText` as data/app_settings.xml
// (no file for a null text).
Loaded load(const char* fileText) {
  engine_tests::TempFolder folder;
  folder.makeFolder("data");
  if (fileText) folder.write("data/app_settings.xml", fileText);
  engine_tests::WorkingDirectory cwd(folder.path());
  g_debug = false;
  g_spriteDevice = false;
  CAppSettings settings;
  testing::internal::CaptureStdout();
  loadAppSettings(settings);
  Loaded result{g_debug, g_spriteDevice, testing::internal::GetCapturedStdout()};
  EXPECT_EQ(settings.debug, g_debug);
  EXPECT_EQ(settings.spriteDevice, g_spriteDevice);
  return result;
}

TEST(AppSettings, NoFileLeavesBothOffSilently) {
  const Loaded loaded = load(nullptr);
  EXPECT_FALSE(loaded.debug);
  EXPECT_FALSE(loaded.spriteDevice);
  EXPECT_EQ("", loaded.printed);
}

TEST(AppSettings, BothInOrderReadSilently) {
  const Loaded loaded = load("<Settings>\n  <Debug>\n    1\n  </Debug>\n  <SpriteDevice>\n    1\n  </SpriteDevice>\n</Settings>\n");
  EXPECT_TRUE(loaded.debug);
  EXPECT_TRUE(loaded.spriteDevice);
  EXPECT_EQ("", loaded.printed);
}

TEST(AppSettings, OnlySpriteDeviceSet) {
  const Loaded loaded = load("<Settings>\n<SpriteDevice>1</SpriteDevice>\n</Settings>\n");
  EXPECT_FALSE(loaded.debug);
  EXPECT_TRUE(loaded.spriteDevice);
  // "Debug" is looked for but missing: no message for it; "SpriteDevice"
  // then sits at the cursor.
  EXPECT_EQ("", loaded.printed);
}

TEST(AppSettings, SwappedKeysAreReadAndWarnedAboutWithTheFixedPlaces) {
  const Loaded loaded = load("<Settings>\n<SpriteDevice>1</SpriteDevice>\n<Debug>1</Debug>\n</Settings>\n");
  EXPECT_TRUE(loaded.debug);
  EXPECT_TRUE(loaded.spriteDevice);
  const std::string order =
      "Xml warning a child node wasn't in the place it should be, order fucked up in node: Settings in file: "
      ".\\src\\main at line ";
  EXPECT_EQ(order + "2304\n" + order + "2305\n", loaded.printed);
}

TEST(AppSettings, DeclarationAndWindowsLineEndsStillRead) {
  const Loaded loaded =
      load("<?xml version=\"1.0\" encoding=\"utf-8\"?>\r\n<Settings>\r\n<Debug>1</Debug>\r\n"
           "<SpriteDevice>0</SpriteDevice>\r\n</Settings>\r\n");
  EXPECT_TRUE(loaded.debug);
  EXPECT_FALSE(loaded.spriteDevice);
  EXPECT_EQ("", loaded.printed);
}

TEST(AppSettings, WordsAreNotBools) {
  const Loaded loaded = load("<Settings><Debug>true</Debug><SpriteDevice>yes</SpriteDevice></Settings>");
  EXPECT_FALSE(loaded.debug);
  EXPECT_FALSE(loaded.spriteDevice);
}

TEST(AppSettings, BindingWritesBothKeysInOrder) {
  CAppSettings settings;
  settings.debug = true;
  auto tree = brin::BuildXmlTree(settings, "Settings");
  ASSERT_EQ(2, tree->GetChildCount());
  EXPECT_EQ("Debug", tree->GetChild(0)->GetName());
  EXPECT_EQ("1", tree->GetChild(0)->GetValue());
  EXPECT_EQ("SpriteDevice", tree->GetChild(1)->GetName());
  EXPECT_EQ("0", tree->GetChild(1)->GetValue());
}

}  // namespace
