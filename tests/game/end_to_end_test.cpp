// The whole game headless: the real main loop on the null device with a fake
// clock and scripted keys and mouse, on a small board built to end quickly.
#include <gtest/gtest.h>

#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include "app.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "render/sprite.h"
#include "support/png_writer.h"
#include "support/scripted_game.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

// A board whose floor is a 45-degree ramp from below the spout down to player
// 2's collector, with a wall behind it, so blood reaches player 2 quickly.
std::vector<uint32_t> rampBoard() {
  const int width = 256, height = 211;
  std::vector<uint32_t> px(static_cast<size_t>(width) * height, 0);
  auto solid = [&](int col, int row) {
    int k = col + 1;  // the board is stamped one column left of the grid's edge
    if (k >= 0 && k < width && row >= 0 && row < height) px[static_cast<size_t>(row) * width + k] = 0xff803030;
  };
  for (int col = 100; col < 215; ++col) {
    int floorRow = col <= 200 ? col - 49 : 151;
    for (int row = floorRow; row < floorRow + 4; ++row) solid(col, row);
  }
  for (int col = 215; col < 219; ++col) {
    for (int row = 100; row < 156; ++row) solid(col, row);
  }
  return px;
}

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vesicor_e2e_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root = tmpl;
    fs::create_directories(root + "/gfx");
    fs::create_directories(root + "/parts");
    auto pic = [&](const char* name, int w, int h, uint32_t argb) {
      ASSERT_TRUE(writeSolidPng(root + "/gfx/" + name, w, h, argb));
    };
    for (const char* name : {"player1_bar.png", "player2_bar.png"}) pic(name, 8, 100, 0xff2222cc);
    for (const char* name : {"player1_turn.png", "player2_turn.png"}) pic(name, 64, 32, 0xff0000ff);
    for (const char* name : {"player1_wins.png", "player2_wins.png"}) pic(name, 64, 40, 0xffff0000);
    pic("background.jpg", 64, 64, 0xff402020);
    pic("timer_down.png", 100, 10, 0xffffffff);
    pic("timer_up.png", 104, 14, 0xff808080);
    pic("timer_slice.png", 8, 10, 0xffffff00);
    pic("dude.png", 16, 16, 0xff00ff00);
    pic("shadow.png", 16, 16, 0x80000000);
    pic("shop_background.png", 400, 100, 0xff303030);
    pic("shop_highlight.png", 24, 24, 0x8000ff00);
    pic("shop_nocan.png", 24, 24, 0x80ff0000);
    pic("particle.png", 2, 2, 0xffff0000);
    pic("block.png", 20, 20, 0xffcc2222);
    ASSERT_TRUE(writePng(root + "/gfx/board.png", 256, 211, rampBoard()));
    part("stomach.xml", "data/gfx/board.png", 0);
    part("player1_a.xml", "data/gfx/block.png", 1000);
    part("player1_b.xml", "data/gfx/block.png", 1000);
    part("player2_a.xml", "data/gfx/block.png", 1000);
  }
  void TearDown() override { fs::remove_all(root); }

  void part(const std::string& file, const std::string& picture, float cost) {
    std::ofstream(root + "/parts/" + file) << "<GamePart><Filename>" << picture << "</Filename><ImageFile>"
                                           << picture << "</ImageFile><GameplayCost>" << cost
                                           << "</GameplayCost></GamePart>\n";
  }

  std::string root;
};

// What the frame hook saw, printed by the child as "key value..." lines.
std::string lineOf(const std::string& output, const std::string& key) {
  std::istringstream in(output);
  std::string line;
  while (std::getline(in, line)) {
    if (line.rfind(key + " ", 0) == 0) return line.substr(key.size() + 1);
  }
  return {};
}

}  // namespace

TEST_F(EndToEnd, BuyDragTurnDropSteerAndPlayUntilAWinner) {
  GameScript script;
  script.seed = 7;
  script.gfxDir = root + "/gfx";
  script.partsDir = root + "/parts";
  script.settingsXml =
      "<Settings><P1_TargetValue>1000000</P1_TargetValue><P2_TargetValue>6200</P2_TargetValue></Settings>";
  script.durationMs = 30000;
  // Player 1's shop has slid in after well under a second; its one parked
  // template lies at (316.3, 90) (the other one is steered on the board).
  auto at = [&](uint32_t ms, SDL_Event e) { script.events.push_back({ms, e}); };
  at(600, motionEvent(316, 90));
  at(616, motionEvent(316, 91));
  at(632, buttonEvent(true, 1, 316, 91));
  at(700, motionEvent(300, 200));
  at(716, buttonEvent(true, 5, 300, 200));
  at(732, buttonEvent(true, 5, 300, 200));
  at(748, buttonEvent(true, 4, 300, 200));
  at(800, buttonEvent(false, 1, 300, 200));
  at(1000, keyEvent(true, SDLK_UP));
  at(1400, keyEvent(false, SDLK_UP));
  at(1000, keyEvent(true, SDLK_a));
  at(1100, keyEvent(false, SDLK_a));
  std::stable_sort(script.events.begin(), script.events.end(),
                   [](const TimedEvent& a, const TimedEvent& b) { return a.tick < b.tick; });

  GameRunResult result = runGame(script, [](CApplication& app, uint32_t ms) {
    CGameManager* game = app.game();
    CDragState& drag = app.drag();
    static bool reportedOver = false;
    static int lastPlayer = 0, turnChanges = 0;
    if (game->currentPlayer != lastPlayer) {
      lastPlayer = game->currentPlayer;
      ++turnChanges;
    }
    if (ms == 656 && drag.part) {
      std::printf("holding %d %.1f %zu %d\n", drag.part->ownerPlayer, game->player1Value, g_partList.size(),
                  drag.part->inShop ? 1 : 0);
    }
    if (ms == 768 && drag.part) {
      std::printf("dragged %.1f %.1f %.2f\n", drag.part->screenCentre().x, drag.part->screenCentre().y,
                  drag.part->rotation);
    }
    if (ms == 816) {
      CGamePart* last = g_partList.back();
      std::printf("dropped %d %u %d\n", drag.held ? 1 : 0, last->placedTime, last->ownerPlayer);
    }
    if (ms == 2000) {
      std::printf("steered %.2f %.2f %.3f\n", game->controller2.position.x, game->controller1.part->rotation,
                  game->controller2.part->screenCentre().x);
    }
    if (game->gameOver && !reportedOver) {
      reportedOver = true;
      std::printf("over %u %.0f %.0f %d\n", ms, game->player1Value, game->player2Value, turnChanges);
    }
    std::fflush(stdout);
  });

  ASSERT_TRUE(result.started) << result.output;
  ASSERT_FALSE(result.crashed) << result.output;

  // The purchase: a copy of player 1's template is in the hand, paid for.
  std::istringstream holding(lineOf(result.output, "holding"));
  int owner = 0, inShop = 1;
  float value = 0;
  size_t parts = 0;
  ASSERT_TRUE(holding >> owner >> value >> parts >> inShop) << result.output;
  EXPECT_EQ(owner, 1);
  EXPECT_FLOAT_EQ(value, 4000);
  EXPECT_EQ(parts, 6u);  // three templates, the two steered parts' stand-ins in the rows, the copy
  EXPECT_EQ(inShop, 0);

  // Dragged to the mouse and turned by two wheel-downs and one wheel-up.
  std::istringstream dragged(lineOf(result.output, "dragged"));
  float x = 0, y = 0, rotation = 0;
  ASSERT_TRUE(dragged >> x >> y >> rotation) << result.output;
  EXPECT_NEAR(x, 300, 1.5f);
  EXPECT_NEAR(y, 200, 1.5f);
  EXPECT_NEAR(rotation, 0.15f, 1e-3);

  // Dropped outside the arena: placed, still the buyer's.
  std::istringstream dropped(lineOf(result.output, "dropped"));
  int held = 1, placedOwner = 0;
  unsigned placedTime = 0;
  ASSERT_TRUE(dropped >> held >> placedTime >> placedOwner) << result.output;
  EXPECT_EQ(held, 0);
  EXPECT_GE(placedTime, 1000u + 800u);
  EXPECT_EQ(placedOwner, 1);

  // Player 2 drove right from the start point; player 1 turned left.
  std::istringstream steered(lineOf(result.output, "steered"));
  float position2 = 0, rotation1 = 0, part2 = 0;
  ASSERT_TRUE(steered >> position2 >> rotation1 >> part2) << result.output;
  EXPECT_GT(position2, 336.5f + 20);
  EXPECT_NEAR(part2, position2, 1.0f);
  EXPECT_LT(rotation1, -0.025f);

  // The blood running down the ramp made player 2 the winner.
  std::istringstream over(lineOf(result.output, "over"));
  unsigned overMs = 0;
  float v1 = 0, v2 = 0;
  int turnChanges = 0;
  ASSERT_TRUE(over >> overMs >> v1 >> v2 >> turnChanges) << result.output;
  EXPECT_GT(v2, 6200);
  EXPECT_FLOAT_EQ(v1, 4000);
  EXPECT_GE(turnChanges, 3);  // player 1, player 2, player 1 again at least
  EXPECT_TRUE(result.gameOver);
  // After the end the blood goes on flowing into the collector.
  EXPECT_GT(result.value2, v2);
}

TEST_F(EndToEnd, RefusesToStartWhenAPlayerHasNoPartToSteer) {
  fs::remove(root + "/parts/player2_a.xml");
  GameScript script;
  script.gfxDir = root + "/gfx";
  script.partsDir = root + "/parts";
  script.durationMs = 1000;
  GameRunResult result = runGame(script);
  EXPECT_FALSE(result.started);
  EXPECT_NE(result.output.find("no part for player 2 to steer"), std::string::npos) << result.output;
}
