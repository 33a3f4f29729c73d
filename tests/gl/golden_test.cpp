// Golden pictures: scripted games on the real OpenGL path, saved at chosen
// moments and compared with the committed pictures within a small per-pixel
// tolerance. tools/update_golden.sh records new ones after a deliberate change.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <set>
#include <string>
#include <vector>

#include "app/app.h"
#include "game/game_manager.h"
#include "platform/device.h"
#include "platform/picture.h"
#include "support/png_writer.h"
#include "support/scripted_game.h"

namespace {

using testing_support::buttonEvent;
using testing_support::GameScript;
using testing_support::keyEvent;
using testing_support::motionEvent;

const char* kGoldenDir = "tests/gl/golden";

using Shot = std::pair<uint32_t, std::string>;  // when, and the picture's name

// Draws the current frame again (the presented one is gone with the swap)
// and saves it. Runs in the game's process: a failure is told on its
// standard output, which the test shows.
void saveFrame(CApplication& app, const std::string& path) {
  app.drawScene();
  std::vector<uint32_t> argb;
  if (!platform::device()->readPixels(argb)) {
    std::printf("the frame for %s could not be read back from the OpenGL window\n", path.c_str());
    return;
  }
  // Compare colours only: whether the window keeps destination alpha is
  // up to the visual Xvfb offers.
  for (uint32_t& p : argb) p |= 0xFF000000u;
  if (!testing_support::writePng(path, platform::kDrawingSize, platform::kDrawingSize, argb)) {
    std::printf("the frame could not be written to %s\n", path.c_str());
  }
}

// A folder of one run's frames. Only frames that differ from their golden
// picture outlive it (the failure names them), and the folder with them.
struct FrameFolder {
  FrameFolder() {
    char tmpl[] = "/tmp/vesicor-golden-XXXXXX";
    if (mkdtemp(tmpl)) path = tmpl;
  }
  ~FrameFolder() {
    if (path.empty()) return;
    for (const std::string& name : names) {
      if (kept.find(name) == kept.end()) std::remove(frame(name).c_str());
    }
    rmdir(path.c_str());
  }
  std::string frame(const std::string& name) const { return path + "/" + name + ".png"; }

  std::string path;
  std::vector<std::string> names;
  std::set<std::string> kept;
};

// Fraction of pixels differing by more than `tolerance` in any channel.
double differingShare(const platform::Picture& a, const platform::Picture& b, int tolerance) {
  if (a.width != b.width || a.height != b.height) return 1.0;
  size_t bad = 0;
  for (size_t i = 0; i < a.argb.size(); ++i) {
    for (int shift = 0; shift < 24; shift += 8) {
      if (std::abs(int((a.argb[i] >> shift) & 0xFF) - int((b.argb[i] >> shift) & 0xFF)) > tolerance) {
        ++bad;
        break;
      }
    }
  }
  return static_cast<double>(bad) / static_cast<double>(a.argb.size());
}

// `poke`, when given, may change the game after each frame before the shots.
void runAndCompare(GameScript script, const std::vector<Shot>& shots, const testing_support::FrameHook& poke = {}) {
  script.realVideo = true;
  FrameFolder frames;  // made here, before the child saves into it
  ASSERT_FALSE(frames.path.empty()) << "no folder for the frames";
  for (const auto& shot : shots) frames.names.push_back(shot.second);
  auto hook = [&shots, &frames, &poke](CApplication& app, uint32_t ms) {
    if (poke) poke(app, ms);
    for (const auto& [when, name] : shots) {
      if (when == ms) saveFrame(app, frames.frame(name));
    }
  };
  auto r = testing_support::runGame(script, hook);
  ASSERT_TRUE(r.started) << "no OpenGL window (run under tools/with_xvfb.sh): " << r.output;
  ASSERT_FALSE(r.crashed) << r.output;
  bool update = std::getenv("VESICOR_UPDATE_GOLDEN") != nullptr;
  for (const auto& [when, name] : shots) {
    const std::string got = frames.frame(name), want = std::string(kGoldenDir) + "/" + name + ".png";
    platform::Picture a, b;
    ASSERT_TRUE(platform::decodePicture(got, a)) << "no frame saved for " << name << "; the game printed:\n"
                                                 << r.output;
    if (update) {
      ASSERT_EQ(std::rename(got.c_str(), want.c_str()) == 0 || std::system(("cp " + got + " " + want).c_str()) == 0,
                true);
      std::printf("recorded %s\n", want.c_str());
      continue;
    }
    ASSERT_TRUE(platform::decodePicture(want, b)) << "missing golden picture " << want;
    const double share = differingShare(a, b, 6);
    EXPECT_LE(share, 0.002) << name << ": " << share * 100 << "% of pixels differ; the frame is at " << got;
    if (share > 0.002) frames.kept.insert(name);
  }
}

TEST(GoldenPictures, StartShopBannerAndAPlacedPartInTheBlood) {
  GameScript s;
  s.seed = 11;
  s.durationMs = 9000;
  // Player 1 hovers the wall (its price marker shows on the bar), buys it,
  // drags it down into the pool at the
  // bottom of the stomach, turns it and lets go.
  s.events = {{1500, motionEvent(186, 90)}, {1520, motionEvent(186, 91)}, {1600, buttonEvent(true, 1, 186, 91)}};
  for (uint32_t i = 1; i <= 20; ++i) s.events.push_back({1600 + i * 32, motionEvent(186 + i * 3, 91 + i * 19)});
  s.events.push_back({2400, buttonEvent(true, 5, 246, 471)});
  s.events.push_back({2500, buttonEvent(false, 1, 246, 471)});
  runAndCompare(s, {{16, "start"}, {800, "turn_banner"}, {1504, "shop_in"}, {1568, "wall_hovered"}, {8000, "part_in_blood"}});
}

// The same match in the palette every colour vision tells apart: player 2's
// paddle, shop and bar pale and its parts striped, beside the blue player
// 1 and the yellow blood (tools/palette_distances.py measures the three).
TEST(GoldenPictures, PaletteForEveryColourVision) {
  GameScript s;
  s.seed = 11;
  s.durationMs = 8100;
  s.optionsXml = "<Options><Palette>1</Palette></Options>";
  s.events = {{1500, motionEvent(186, 90)}, {1520, motionEvent(186, 91)}, {1600, buttonEvent(true, 1, 186, 91)}};
  for (uint32_t i = 1; i <= 20; ++i) s.events.push_back({1600 + i * 32, motionEvent(186 + i * 3, 91 + i * 19)});
  s.events.push_back({2400, buttonEvent(true, 5, 246, 471)});
  s.events.push_back({2500, buttonEvent(false, 1, 246, 471)});
  runAndCompare(s, {{8000, "palette_part_in_blood"}});
}

TEST(GoldenPictures, WinnerBanner) {
  GameScript s;
  s.seed = 12;
  s.durationMs = 1500;
  s.settingsXml =
      "<Settings><P1_InitValue>5000</P1_InitValue><P2_InitValue>5000</P2_InitValue>"
      "<P1_TargetValue>6000</P1_TargetValue><P2_TargetValue>4000</P2_TargetValue></Settings>";
  runAndCompare(s, {{1200, "player2_wins"}});
}

// After a win the result stays; Enter starts over from the start values; P
// pauses with a notice; F1 shows the help written from the part files.
TEST(GoldenPictures, ResultNewMatchPauseAndHelp) {
  GameScript s;
  s.seed = 13;
  s.durationMs = 9300;
  s.events = {{7008, keyEvent(true, SDLK_RETURN)}, {8000, keyEvent(true, SDLK_p)}, {8400, keyEvent(true, SDLK_p)},
              {9000, keyEvent(true, SDLK_F1)}};
  runAndCompare(s, {{6400, "result"}, {7200, "new_match"}, {8208, "paused"}, {9200, "help"}},
                [](CApplication& app, uint32_t ms) {
                  if (ms == 1008) app.game()->player2Value = app.game()->player2Target + 1;
                });
}

// The title menu over the board that plays itself, its options page, the
// join page with an address typed, and a match chosen there against the
// computer, its sides named by the bars and under the turn banner.
TEST(GoldenPictures, TitleMenuOptionsJoinAndANamedMatch) {
  GameScript s;
  s.seed = 14;
  s.frontDoor = true;
  s.durationMs = 3000;
  s.optionsXml = "<Options><HintShown>1</HintShown></Options>";
  uint32_t at = 600;
  auto key = [&s, &at](SDLKey k) {
    s.events.push_back({at, keyEvent(true, k)});
    s.events.push_back({at + 8, keyEvent(false, k)});
    at += 32;
  };
  for (SDLKey k : {SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN}) key(k);  // options
  at = 1000;
  for (SDLKey k : {SDLK_ESCAPE, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN}) key(k);  // join
  for (char c : std::string("192.168.1.20:5000")) key(static_cast<SDLKey>(c));
  at = 2000;
  for (SDLKey k : {SDLK_ESCAPE, SDLK_DOWN, SDLK_RETURN}) key(k);  // against the computer
  runAndCompare(s, {{496, "menu"}, {800, "options"}, {1904, "join"}, {2896, "computer_match"}});
}

}  // namespace
