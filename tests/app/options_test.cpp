// The player's options file: defaults without it, what is saved reads back,
// bad files fall back with one line, and the game's settings files are never
// written.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>

#include "app/options.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;

// A scratch game folder with data/settings.xml, the working folder meanwhile.
struct GameFolder : testing_support::TempFolder {
  GameFolder() { makeFolder("data"), write("data/settings.xml", "<Settings><!-- mine --></Settings>\n"); }
  testing_support::WorkingDirectory cwd{path()};
};

TEST(Options, SavedOptionsReadBackAndOnlyTheirOwnFileIsWritten) {
  GameFolder folder;
  COptions options;
  options.volume = 0.5f;
  options.muted = options.hintShown = true;
  ASSERT_TRUE(saveOptions(options));
  options.volume = 0.25f;  // a second save replaces the first
  options.fullScreen = true;
  options.level = "easy";
  options.matchLength = "long";
  options.joinAddress = "box.lan:5000";
  options.hostPort = 0;
  ASSERT_TRUE(saveOptions(options));
  EXPECT_EQ(folder.read("data/options.xml").rfind("<Options>\n  <Volume>\n    0.25\n  </Volume>\n", 0), 0u);
  testing::internal::CaptureStderr();
  const COptions loaded = loadOptions();
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
  EXPECT_FLOAT_EQ(loaded.volume, 0.25f);
  EXPECT_TRUE(loaded.muted && loaded.hintShown && loaded.fullScreen);
  EXPECT_EQ(loaded.level + " " + loaded.matchLength + " " + loaded.joinAddress + " " + std::to_string(loaded.hostPort),
            "easy long box.lan:5000 0");
  EXPECT_EQ(folder.read("data/settings.xml"), "<Settings><!-- mine --></Settings>\n");
  EXPECT_EQ(std::distance(fs::directory_iterator(folder.file("data")), fs::directory_iterator()), 2);
}

TEST(Options, OddFilesAreReadAsFarAsTheyGoWithOneLineForWhatIsNot) {
  struct Case {
    const char* text;  // null: no file; "/": a folder where the file should be
    float volume;
    bool muted, hintShown;
    int lines;
  } cases[] = {
      {nullptr, 0.8f, false, false, 0},
      {"<Options><Volume>1.5</Volume></Options>", 1.0f, false, false, 0},
      {"<Options><Volume>-2</Volume><Muted>1</Muted></Options>", 0.0f, true, false, 0},
      {"<Options>\r\n<HintShown>1</HintShown>\r\n<Volume>0.5</Volume>\r\n<Extra>x</Extra>\r\n</Options>\r\n", 0.5f,
       false, true, 0},
      {"<Options><Volume>loud</Volume><Muted>1</Muted><HintShown>yes</HintShown></Options>", 0.8f, true, false, 1},
      {"<Options><Volume>nan</Volume></Options>", 0.8f, false, false, 1},
      {"<Settings><Volume>0.5</Volume><Muted>1</Muted></Settings>", 0.8f, false, false, 1},
      {"volume = 0.5", 0.8f, false, false, 1},
      {"", 0.8f, false, false, 1},
      {"/", 0.8f, false, false, 1},
      // Words the menu does not offer, a port no socket has, a flag that is
      // not one: each falls back, all in one line.
      {"<Options><Level>expert</Level><MatchLength>epic</MatchLength><Muted>1</Muted></Options>", 0.8f, true, false, 1},
      {"<Options><HostPort>70000</HostPort><FullScreen>2</FullScreen></Options>", 0.8f, false, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "no file");
    GameFolder folder;
    if (c.text && c.text[0] == '/') {
      fs::create_directory("data/options.xml");
    } else if (c.text) {
      folder.write("data/options.xml", c.text);
    }
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const COptions loaded = loadOptions();
    const std::string printed = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    EXPECT_FLOAT_EQ(loaded.volume, c.volume);
    EXPECT_EQ(loaded.muted, c.muted);
    EXPECT_EQ(loaded.hintShown, c.hintShown);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), c.lines) << printed;
    if (c.lines) {
      EXPECT_NE(printed.find("data/options.xml"), std::string::npos) << printed;
    }
    // Reading never writes anything.
    EXPECT_EQ(folder.read("data/options.xml"), c.text && c.text[0] != '/' ? c.text : "");
  }
}

}  // namespace
