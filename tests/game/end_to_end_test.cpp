// The whole game headless: the real main loop on the null device with a fake
// clock and scripted keys and mouse, on a small board built to end quickly.
#include <stdlib.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app.h"
#include "game_world.h"
#include "support/png_writer.h"
#include "support/scripted_game.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    char tmpl[] = "/tmp/vesicor_e2e_XXXXXX";
    ASSERT_NE(mkdtemp(tmpl), nullptr);
    root = tmpl;
    fs::create_directories(root + "/gfx");
    fs::create_directories(root + "/parts");
    writePictures(root + "/gfx");
    // The floor is a 45-degree ramp from below the spout down to player 2's
    // collector, with a wall behind it, so blood reaches player 2 quickly;
    // the board is stamped one column left of the grid's edge.
    std::vector<uint32_t> board(256 * 211, 0);
    for (int col = 100; col < 219; ++col)
      for (int row = 0; row < 211; ++row) {
        const int floorRow = col <= 200 ? col - 49 : 151;
        if ((col < 215 && row >= floorRow && row < floorRow + 4) || (col >= 215 && row >= 100 && row < 156))
          board[row * 256 + col + 1] = 0xff803030;
      }
    ASSERT_TRUE(writePng(root + "/gfx/board.png", 256, 211, board));
    const std::pair<const char*, const char*> parts[] = {{"stomach.xml", "board.png"},
        {"player1_a.xml", "block.png"}, {"player1_b.xml", "block.png"}, {"player2_a.xml", "block.png"}};
    for (auto [file, picture] : parts)
      std::ofstream(root + "/parts/" + file) << "<GamePart><Filename>data/gfx/" << picture << "</Filename><ImageFile>data/gfx/"
                                             << picture << "</ImageFile><GameplayCost>1000</GameplayCost></GamePart>\n";
    script.gfxDir = root + "/gfx";
    script.partsDir = root + "/parts";
  }
  void TearDown() override { fs::remove_all(root); }

  std::string root;
  GameScript script;
};

// The numbers the frame hook printed after `key` in the child's output.
std::vector<float> numbers(const std::string& output, const std::string& key) {
  const size_t at = output.find(key + " ");
  std::istringstream in(at == std::string::npos ? "" : output.substr(at + key.size()));
  std::vector<float> out;
  for (float v; out.size() < 5 && in >> v;) out.push_back(v);
  return out;
}

TEST_F(EndToEnd, BuyDragTurnDropSteerAndPlayUntilAWinner) {
  script.seed = 7;
  script.settingsXml = "<Settings><P1_TargetValue>1000000</P1_TargetValue><P2_TargetValue>6200</P2_TargetValue></Settings>";
  script.durationMs = 30000;
  // Player 1's shop has slid in after well under a second; its one parked
  // template lies at (316.3, 90) (the other one is steered on the board).
  script.events = {{600, motionEvent(316, 90)},          {616, motionEvent(316, 91)},
                   {632, buttonEvent(true, 1, 316, 91)}, {700, motionEvent(300, 200)},
                   {716, buttonEvent(true, 5, 300, 200)}, {732, buttonEvent(true, 5, 300, 200)},
                   {748, buttonEvent(true, 4, 300, 200)}, {800, buttonEvent(false, 1, 300, 200)},
                   {1000, keyEvent(true, SDLK_UP)},       {1000, keyEvent(true, SDLK_a)},
                   {1100, keyEvent(false, SDLK_a)},       {1400, keyEvent(false, SDLK_UP)}};
  const GameRunResult result = runGame(script, [](CApplication& app, uint32_t ms) {
    CGameManager* game = app.game();
    CDragState& drag = app.drag();
    static int lastPlayer = 0, turnChanges = 0;
    if (game->currentPlayer != lastPlayer) lastPlayer = game->currentPlayer, ++turnChanges;
    if (ms == 656 && drag.part)
      std::printf("holding %d %.1f %zu %d\n", drag.part->ownerPlayer, game->player1Value, g_partList.size(), drag.part->inShop);
    if (ms == 768 && drag.part)
      std::printf("dragged %.1f %.1f %.2f\n", drag.part->screenCentre().x, drag.part->screenCentre().y, drag.part->rotation);
    if (ms == 816) std::printf("dropped %d %u %d\n", drag.held, g_partList.back()->placedTime, g_partList.back()->ownerPlayer);
    if (ms == 2000)
      std::printf("steered %.2f %.2f %.3f\n", game->controller2.position.x, game->controller1.part->rotation,
                  game->controller2.part->screenCentre().x);
    static bool over = false;
    if (game->gameOver && !over) over = true, std::printf("over %.0f %.0f %d\n", game->player1Value, game->player2Value, turnChanges);
    std::fflush(stdout);
  });
  ASSERT_TRUE(result.started && !result.crashed) << result.output;
  // The purchase: a copy of player 1's template in the hand, paid for; three
  // templates, the two steered parts' stand-ins in the rows, and the copy.
  EXPECT_EQ(numbers(result.output, "holding"), (std::vector<float>{1, 4000, 6, 0})) << result.output;
  // Dragged to the mouse and turned by two wheel-downs and one wheel-up.
  const auto dragged = numbers(result.output, "dragged");
  ASSERT_EQ(dragged.size(), 3u) << result.output;
  EXPECT_NEAR(dragged[0], 300, 1.5f);
  EXPECT_NEAR(dragged[1], 200, 1.5f);
  EXPECT_NEAR(dragged[2], 0.15f, 1e-3);
  // Dropped outside the arena: placed, still the buyer's.
  const auto dropped = numbers(result.output, "dropped");
  ASSERT_EQ(dropped.size(), 3u) << result.output;
  EXPECT_EQ(dropped[0], 0);
  EXPECT_GE(dropped[1], 1000 + 800);
  EXPECT_EQ(dropped[2], 1);
  // Player 2 drove right from the start point; player 1 turned left.
  const auto steered = numbers(result.output, "steered");
  ASSERT_EQ(steered.size(), 3u) << result.output;
  EXPECT_GT(steered[0], 336.5f + 20);
  EXPECT_LT(steered[1], -0.025f);
  EXPECT_NEAR(steered[2], steered[0], 1.0f);
  // The blood running down the ramp made player 2 the winner, over at least
  // three turns, and goes on flowing into the collector after the end.
  const auto over = numbers(result.output, "over");
  ASSERT_EQ(over.size(), 3u) << result.output;
  EXPECT_FLOAT_EQ(over[0], 4000);
  EXPECT_GT(over[1], 6200);
  EXPECT_GE(over[2], 3);
  EXPECT_TRUE(result.gameOver);
  EXPECT_GT(result.value2, over[1]);
}

TEST_F(EndToEnd, RefusesToStartWhenAPlayerHasNoPartToSteer) {
  fs::remove(root + "/parts/player2_a.xml");
  script.durationMs = 1000;
  const GameRunResult result = runGame(script);
  EXPECT_FALSE(result.started);
  EXPECT_NE(result.output.find("no part for player 2 to steer"), std::string::npos) << result.output;
}

}  // namespace
