// The game on broken content: garbage part files, no board, pictures that are
// not pictures or lie about their size, masks without alpha, a settings file
// full of nonsense. It reports what it cannot use and plays on, or refuses to
// start with a clear message; it never crashes.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "support/scripted_game.h"

namespace {

using testing_support::GameScript;
using testing_support::TimedEvent;

const std::string kBad = "tests/badcontent/data";

std::string readText(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

TimedEvent at(uint32_t tick, SDL_Event e) {
  TimedEvent t;
  t.tick = tick;
  t.event = e;
  return t;
}

// Clicks along both shop rows, drags what comes to hand into the stomach,
// turns it, and drives both players, over several turns.
std::vector<TimedEvent> clumsyPlay() {
  std::vector<TimedEvent> out;
  for (uint32_t turn = 0; turn < 4; ++turn) {
    uint32_t t0 = 800 + turn * 5800;
    for (int slot = 0; slot < 6; ++slot) {
      uint32_t t = t0 + static_cast<uint32_t>(slot) * 700;
      int x = 60 + slot * 65;
      out.push_back(at(t, testing_support::motionEvent(x, 90)));
      out.push_back(at(t + 16, testing_support::motionEvent(x + 1, 91)));
      out.push_back(at(t + 40, testing_support::buttonEvent(true, 1, x + 1, 91)));
      out.push_back(at(t + 100, testing_support::motionEvent(250, 300)));
      out.push_back(at(t + 200, testing_support::buttonEvent(true, 4, 250, 300)));
      out.push_back(at(t + 260, testing_support::buttonEvent(true, 5, 250, 300)));
      out.push_back(at(t + 300, testing_support::motionEvent(260, 420)));
      out.push_back(at(t + 400, testing_support::buttonEvent(false, 1, 260, 420)));
    }
    out.push_back(at(t0, testing_support::keyEvent(true, SDLK_w)));
    out.push_back(at(t0 + 50, testing_support::keyEvent(true, SDLK_UP)));
    out.push_back(at(t0 + 300, testing_support::keyEvent(true, SDLK_a)));
    out.push_back(at(t0 + 2000, testing_support::keyEvent(false, SDLK_a)));
    out.push_back(at(t0 + 2500, testing_support::keyEvent(false, SDLK_w)));
    out.push_back(at(t0 + 2600, testing_support::keyEvent(false, SDLK_UP)));
  }
  return out;
}

TEST(BadContent, BrokenPartsPicturesBoardAndSettingsAreReportedAndTheGamePlaysOn) {
  GameScript s;
  s.seed = 9;
  s.durationMs = 25000;
  s.gfxDir = kBad + "/gfx";
  s.partsDir = kBad + "/parts";
  s.settingsXml = readText(kBad + "/settings_garbage.xml");
  ASSERT_FALSE(s.settingsXml.empty());
  s.events = clumsyPlay();
  auto r = testing_support::runGame(s);

  ASSERT_TRUE(r.started) << r.output;
  ASSERT_FALSE(r.crashed) << "exit " << r.exitCode << "\n" << r.output;
  EXPECT_GT(r.frames, 1500);
  const std::string& out = r.output;
  // Every directory entry gets its line, after the failure line of what is
  // not a picture: the sub-folder, a text file, a lying header, a cut file.
  for (const char* name : {"old", "not_a_picture.png", "huge_header.png", "truncated.png", "a_gif.gif"}) {
    std::string path = std::string("data/gfx/") + name;
    EXPECT_NE(out.find("Couldn't load image: " + path + "\nLoaded: " + path + "\n"), std::string::npos) << name;
  }
  EXPECT_NE(out.find("Loaded: data/gfx/opaque_picture.png\n"), std::string::npos);
  // The part whose fields stand out of order is still read, with warnings.
  EXPECT_NE(out.find("Xml warning a child node wasn't in the place it should be, order fucked up in node: GamePart"),
            std::string::npos);
  // The board and the scene's pictures are missing, and say so.
  EXPECT_NE(out.find("Couldn't load image: data/gfx/background.jpg\n"), std::string::npos);
}

TEST(BadContent, PartFilesThatAreNotFilesOrNeverEndAreSkippedOrCutAndTheGamePlays) {
  namespace fs = std::filesystem;
  char tmpl[] = "/tmp/vesicor-parts-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string parts = tmpl;
  for (const auto& entry : fs::directory_iterator("data/parts")) {
    fs::create_symlink(fs::absolute(entry.path()), parts + "/" + entry.path().filename().string());
  }
  ASSERT_EQ(mkfifo((parts + "/player1_zz_fifo.xml").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", parts + "/player2_zz_zero.xml");
  std::ofstream(parts + "/player2_zz_endless.xml") << std::string(3 << 20, '<');
  GameScript s;
  s.seed = 4;
  s.durationMs = 8000;
  s.partsDir = parts;
  s.events = clumsyPlay();
  auto r = testing_support::runGame(s);
  fs::remove_all(parts);

  ASSERT_TRUE(r.started) << r.output;
  ASSERT_FALSE(r.crashed) << "exit " << r.exitCode << "\n" << r.output;
  EXPECT_GT(r.frames, 400);
  for (const char* line : {"Skipped data/parts/player1_zz_fifo.xml: not a regular file\n",
                           "Skipped data/parts/player2_zz_zero.xml: not a regular file\n",
                           "Cut data/parts/player2_zz_endless.xml after 1048576 bytes: a line longer than 1048576 bytes\n"}) {
    EXPECT_NE(r.output.find(line), std::string::npos) << line << r.output;
  }
}

TEST(BadContent, NoPartsAtAllRefusesToStartWithAMessage) {
  char tmpl[] = "/tmp/vesicor-empty-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  std::string gfx = std::string(tmpl) + "/gfx", parts = std::string(tmpl) + "/parts";
  ASSERT_EQ(mkdir(gfx.c_str(), 0755), 0);
  ASSERT_EQ(mkdir(parts.c_str(), 0755), 0);
  GameScript s;
  s.durationMs = 1000;
  s.gfxDir = gfx;
  s.partsDir = parts;
  auto r = testing_support::runGame(s);
  rmdir(gfx.c_str());
  rmdir(parts.c_str());
  rmdir(tmpl);
  EXPECT_FALSE(r.started);
  EXPECT_FALSE(r.crashed);
  EXPECT_NE(r.output.find("Cannot start"), std::string::npos) << r.output;
}

}  // namespace
