// The player's options file: defaults without it, what is saved reads back,
// bad files fall back with one line, and the game's settings files are never
// written.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <set>
#include <sstream>
#include <string>

#include "options.h"

namespace {

namespace fs = std::filesystem;

const char* const kSettings = "<Settings>\n<P1_InitValue>7</P1_InitValue>\n<!-- mine -->\n</Settings>\n";
const char* const kAppSettings = "<Settings><Debug>1</Debug></Settings>";

// A scratch game folder holding data/ with both settings files, used as the
// working directory for the guard's lifetime.
class GameFolder {
 public:
  GameFolder() {
    std::string path = (fs::temp_directory_path() / "vesicor-options-XXXXXX").string();
    EXPECT_NE(nullptr, mkdtemp(path.data()));
    root_ = path;
    fs::create_directory(root_ / "data");
    write("data/settings.xml", kSettings);
    write("data/app_settings.xml", kAppSettings);
    previous_ = fs::current_path();
    fs::current_path(root_);
  }
  ~GameFolder() {
    fs::current_path(previous_);
    fs::remove_all(root_);
  }
  GameFolder(const GameFolder&) = delete;
  GameFolder& operator=(const GameFolder&) = delete;

  void write(const std::string& name, const std::string& text) const {
    std::ofstream(root_ / name, std::ios::binary) << text;
  }
  std::string read(const std::string& name) const {
    std::ifstream in(root_ / name, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }
  std::set<std::string> dataFiles() const {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_ / "data")) names.insert(entry.path().filename());
    return names;
  }

 private:
  fs::path root_, previous_;
};

struct Loaded {
  COptions options;
  std::string printed;
};

Loaded loadPrinting() {
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  Loaded loaded{loadOptions(), ""};
  loaded.printed = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
  return loaded;
}

int lines(const std::string& text) { return static_cast<int>(std::count(text.begin(), text.end(), '\n')); }

TEST(Options, WithoutAFileTheDefaultsAreUsedAndNothingIsWritten) {
  GameFolder folder;
  const Loaded loaded = loadPrinting();
  EXPECT_FLOAT_EQ(0.8f, loaded.options.volume);
  EXPECT_FALSE(loaded.options.muted);
  EXPECT_FALSE(loaded.options.hintShown);
  EXPECT_EQ("", loaded.printed);
  EXPECT_EQ((std::set<std::string>{"settings.xml", "app_settings.xml"}), folder.dataFiles());
}

TEST(Options, SavedOptionsReadBackAndOnlyTheirOwnFileIsWritten) {
  GameFolder folder;
  COptions options;
  options.volume = 0.25f;
  options.muted = true;
  options.hintShown = true;
  ASSERT_TRUE(saveOptions(options));
  EXPECT_EQ(
      "<Options>\n  <Volume>\n    0.25\n  </Volume>\n  <Muted>\n    1\n  </Muted>\n"
      "  <HintShown>\n    1\n  </HintShown>\n</Options>\n",
      folder.read("data/options.xml"));
  const Loaded loaded = loadPrinting();
  EXPECT_FLOAT_EQ(0.25f, loaded.options.volume);
  EXPECT_TRUE(loaded.options.muted);
  EXPECT_TRUE(loaded.options.hintShown);
  EXPECT_EQ("", loaded.printed);

  // A volume out of range is saved within it; a second save replaces the first.
  options.volume = 3.0f;
  options.muted = false;
  ASSERT_TRUE(saveOptions(options));
  EXPECT_FLOAT_EQ(1.0f, loadOptions().volume);
  EXPECT_FALSE(loadOptions().muted);

  EXPECT_EQ(kSettings, folder.read("data/settings.xml"));
  EXPECT_EQ(kAppSettings, folder.read("data/app_settings.xml"));
  EXPECT_EQ((std::set<std::string>{"settings.xml", "app_settings.xml", "options.xml"}), folder.dataFiles());
}

TEST(Options, OddFilesAreReadAsFarAsTheyGoWithOneLineForWhatIsNot) {
  struct Case {
    const char* text;  // null: a folder where the file should be
    float volume;
    bool muted;
    bool hintShown;
    int lines;
  };
  const Case cases[] = {
      {"<Options><Volume>1.5</Volume></Options>", 1.0f, false, false, 0},
      {"<Options><Volume>-2</Volume><Muted>1</Muted></Options>", 0.0f, true, false, 0},
      {"<Options>\r\n<HintShown>1</HintShown>\r\n<Volume>0.5</Volume>\r\n<Extra>x</Extra>\r\n</Options>\r\n", 0.5f,
       false, true, 0},
      {"<Options><Volume>loud</Volume><Muted>1</Muted><HintShown>yes</HintShown></Options>", 0.8f, true, false,
       1},
      {"<Options><Volume>nan</Volume></Options>", 0.8f, false, false, 1},
      {"<Settings><Volume>0.5</Volume><Muted>1</Muted></Settings>", 0.8f, false, false, 1},
      {"volume = 0.5", 0.8f, false, false, 1},
      {"", 0.8f, false, false, 1},
      {nullptr, 0.8f, false, false, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text ? c.text : "a folder");
    GameFolder folder;
    if (c.text) {
      folder.write("data/options.xml", c.text);
    } else {
      fs::create_directory("data/options.xml");
    }
    const Loaded loaded = loadPrinting();
    EXPECT_FLOAT_EQ(c.volume, loaded.options.volume);
    EXPECT_EQ(c.muted, loaded.options.muted);
    EXPECT_EQ(c.hintShown, loaded.options.hintShown);
    EXPECT_EQ(c.lines, lines(loaded.printed)) << loaded.printed;
    if (c.lines) {
      EXPECT_NE(std::string::npos, loaded.printed.find("data/options.xml")) << loaded.printed;
    }
    // Reading never rewrites anything.
    if (c.text) {
      EXPECT_EQ(c.text, folder.read("data/options.xml"));
    }
  }
}

}  // namespace
