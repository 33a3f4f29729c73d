// The whole game headless: the real main loop on the null device with a fake
// clock and scripted keys and mouse, on a small board built to end quickly.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/app.h"
#include "render/text_label.h"
#include "game_world.h"
#include "support/png_writer.h"
#include "support/scripted_game.h"
#include "support/temp_folder.h"

namespace fs = std::filesystem;
using namespace testing_support;

namespace {

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
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
  testing_support::TempFolder folder;
  const std::string root = folder.path();
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

// The index-th number after `key` in the printed lines lies in [low, high].
struct Bound {
  const char* key;
  size_t index;
  float low, high;
};

template <size_t N>
void expectWithin(const std::string& output, const Bound (&bounds)[N]) {
  for (const Bound& b : bounds) {
    const std::vector<float> v = numbers(output, b.key);
    ASSERT_GT(v.size(), b.index) << b.key << "\n" << output;
    EXPECT_TRUE(v[b.index] >= b.low && v[b.index] <= b.high) << b.key << "[" << b.index << "] = " << v[b.index];
  }
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
  const Bound bounds[] = {
      // The purchase: a copy of player 1's template in the hand, paid for; three
      // templates, the two steered parts' stand-ins in the rows, and the copy.
      {"holding", 0, 1, 1}, {"holding", 1, 4000, 4000}, {"holding", 2, 6, 6}, {"holding", 3, 0, 0},
      // Dragged to the mouse and turned by two wheel-downs and one wheel-up.
      {"dragged", 0, 298.5f, 301.5f}, {"dragged", 1, 198.5f, 201.5f}, {"dragged", 2, 0.149f, 0.151f},
      // Dropped outside the arena: placed, still the buyer's.
      {"dropped", 0, 0, 0}, {"dropped", 1, 1800, 1e9f}, {"dropped", 2, 1, 1},
      // Player 2 drove right from the start point; player 1 turned left.
      {"steered", 0, 356.5f, 1e9f}, {"steered", 1, -1e9f, -0.025f},
      // The blood running down the ramp made player 2 the winner, after three turns at least.
      {"over", 0, 4000, 4000}, {"over", 1, 6200.5f, 1e9f}, {"over", 2, 3, 1e9f}};
  expectWithin(result.output, bounds);
  EXPECT_NEAR(numbers(result.output, "steered")[2], numbers(result.output, "steered")[0], 1.0f) << "the part follows";
  EXPECT_TRUE(result.gameOver);
  EXPECT_GT(result.value2, numbers(result.output, "over")[1]) << "the blood goes on flowing after the end";
}

// Two pads and the keyboard at once. In player 1's turn pad 1's stick is the
// pointer: from the corner to player 1's template at (316.3, 90) at full tilt
// (8 pixels a step: 40 steps right, 11 down), buy, drag 10 steps left, turn,
// drop. Meanwhile pad 2 steers player 2, a tilt inside the dead zone doing
// nothing, and W steers player 1.
TEST_F(EndToEnd, PadsBuyDragTurnAndDropInTheirTurnAndSteerBesideTheKeys) {
  script.seed = 7;
  script.pads = 2;
  script.durationMs = 1400;
  script.events = {{160, padAxisEvent(0, 0, 32767)},    {160, padAxisEvent(0, 1, 32767)},
                   {160, padAxisEvent(1, 1, -7000)},    {160, keyEvent(true, SDLK_w)},
                   {336, padAxisEvent(0, 1, 0)},        {400, padAxisEvent(1, 1, -32768)},
                   {400, keyEvent(false, SDLK_w)},      {560, padAxisEvent(1, 1, 0)},
                   {800, padAxisEvent(0, 0, 0)},        {848, padButtonEvent(0, 0, true)},
                   {900, padAxisEvent(0, 0, -32768)},   {1060, padAxisEvent(0, 0, -1000)},
                   {1100, padButtonEvent(0, 5, true)},  {1116, padButtonEvent(0, 5, false)},
                   {1150, padButtonEvent(0, 0, false)},  {1300, motionEvent(100, 100)}};
  const GameRunResult result = runGame(script, [](CApplication& app, uint32_t ms) {
    CGameManager* game = app.game();
    CDragState& drag = app.drag();
    // The pad's pointer is marked where it is, until the mouse moves.
    const CTextLabel* mark = app.padPointer();
    if ((ms == 816 || ms == 1344) && mark)
      std::printf("mark at %u: %d %.1f %.1f\n", ms, mark->hidden() ? 0 : 1, mark->x(), mark->y());
    if (ms == 384)
      std::printf("resting %d %.3f %.3f %.3f\n", game->currentPlayer, game->controller2.speed, game->controller1.speed,
                  game->controller1.turnRate);
    if (ms == 544) std::printf("tilted %.3f %.3f\n", game->controller2.speed, game->controller1.speed);
    if (ms == 816) std::printf("pointer %.0f %.0f\n", drag.mouse.x, drag.mouse.y);
    if (ms == 880 && drag.part)
      std::printf("holding %d %.1f %d\n", drag.part->ownerPlayer, game->player1Value, drag.part->inShop);
    if (ms == 1088 && drag.part) std::printf("dragged %.1f %.1f\n", drag.part->screenCentre().x, drag.mouse.x);
    if (ms == 1136 && drag.part) std::printf("turned %.2f\n", drag.part->rotation);
    if (ms == 1184)
      std::printf("dropped %d %d %.1f\n", drag.held, g_partList.back()->ownerPlayer, g_partList.back()->screenCentre().x);
    std::fflush(stdout);
  });
  ASSERT_TRUE(result.started && !result.crashed) << result.output;
  const Bound bounds[] = {
      // Player 1's turn; pad 2 inside its dead zone left player 2 at rest;
      // W pushed player 1 and pad 1's stick, pointing, turned nobody.
      {"resting", 0, 1, 1}, {"resting", 1, 0, 0}, {"resting", 2, 1, 1e9f}, {"resting", 3, 0, 0},
      // Past the dead zone pad 2 drove player 2; W let go, player 1 coasts.
      {"tilted", 0, 5, 20}, {"tilted", 1, 0.1f, 15},
      {"pointer", 0, 320, 320}, {"pointer", 1, 88, 88},
      {"holding", 0, 1, 1}, {"holding", 1, 4000, 4000}, {"holding", 2, 0, 0},
      // 80 pixels left with the grab's offset of -3.7; one shoulder's turn.
      {"dragged", 0, 235.5f, 237.5f}, {"dragged", 1, 240, 240},
      {"turned", 0, 0.149f, 0.151f},
      {"dropped", 0, 0, 0}, {"dropped", 1, 1, 1}, {"dropped", 2, 235.5f, 237.5f}};
  expectWithin(result.output, bounds);
  EXPECT_NE(result.output.find("mark at 816: 1 320.0 79.5\n"), std::string::npos) << result.output;
  EXPECT_NE(result.output.find("mark at 1344: 0 "), std::string::npos) << result.output;
}

// Pad events where the game found no pad, and SDL's own search for pads on
// a machine that has none: nothing happens, and the keys steer as ever.
TEST_F(EndToEnd, WithoutPadsTheirEventsDoNothingAndTheKeysSteer) {
  for (int pads : {0, -1}) {
    SCOPED_TRACE(pads);
    script.pads = pads;
    script.durationMs = 600;
    script.events = {{100, padAxisEvent(0, 1, -32768)}, {100, padHatEvent(1, SDL_HAT_UP)},
                     {100, padButtonEvent(0, 0, true)}, {200, keyEvent(true, SDLK_UP)}};
    const GameRunResult result = runGame(script, [](CApplication& app, uint32_t ms) {
      if (ms == 192) std::printf("before %.3f %d\n", app.game()->controller2.speed, app.drag().held);
      if (ms == 400) std::printf("after %.3f\n", app.game()->controller2.speed);
    });
    ASSERT_TRUE(result.started && !result.crashed) << result.output;
    EXPECT_NE(result.output.find("before 0.000 0\n"), std::string::npos) << result.output;
    ASSERT_EQ(numbers(result.output, "after").size(), 1u) << result.output;
    EXPECT_GT(numbers(result.output, "after")[0], 5.0f);
  }
}

TEST_F(EndToEnd, RefusesToStartWhenAPlayerHasNoPartToSteer) {
  fs::remove(root + "/parts/player2_a.xml");
  script.durationMs = 1000;
  const GameRunResult result = runGame(script);
  EXPECT_FALSE(result.started);
  EXPECT_NE(result.output.find("no part for player 2 to steer"), std::string::npos) << result.output;
}

}  // namespace
