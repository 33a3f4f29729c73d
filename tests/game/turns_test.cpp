// Turns, the countdown and victory, frame by frame with a fake clock.
#include <algorithm>
#include <cmath>

#include "game_world.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"

namespace {

// Banner pictures are told apart by their height: 32 for a turn, 40 and 44 for the winners.
int bannerHeight(const CGameScene& scene) { return scene.banner ? static_cast<int>(scene.banner->height) : 0; }

using Turns = GameWorld;

TEST_F(Turns, TurnsChangeOnlyOnceStrictlyMoreThanChangeTimePlusLengthHasPassed) {
  buildGame();
  EXPECT_EQ(game->currentPlayer, 0);
  frame();
  EXPECT_EQ(game->shop1.shown * 10 + game->shop2.shown, 10);
  const struct {
    uint32_t at;
    int player;
    float timer;
  } frames[] = {{1000 + 749 + 2500, 1, 0.5f}, {1000 + 5749, 1, 0}, {1000 + 5750, 2, 1},
                {1000 + 5750 + 5749, 2, 0},   {1000 + 5750 + 5750, 1, 1}};
  for (const auto& f : frames) {
    now = f.at;
    frame();
    EXPECT_EQ(game->currentPlayer, f.player) << f.at;
    EXPECT_EQ(g_currentPlayer, f.player) << f.at;
    // The timer stays full through the change time, then shrinks; at 0 the width is kept.
    if (f.timer > 0) {
      EXPECT_FLOAT_EQ(scene->timerDown->scaleX, f.timer) << f.at;
    }
  }
  EXPECT_EQ(g_currentShop, &game->shop1);
}

TEST_F(Turns, AValueAboveTheTargetWinsPlayerOneFirstAndTheGameFreezes) {
  buildGame();
  frame();
  game->player1Value = game->player2Value = 30000;
  frame();
  EXPECT_FALSE(game->gameOver) << "a value equal to the target does not win";
  game->player2Value = game->player1Value = 30001;
  now += 3000;
  frame();
  ASSERT_TRUE(game->gameOver);
  EXPECT_EQ(bannerHeight(*scene), 40) << "both passed in one frame: player 1 wins";
  EXPECT_EQ(scene->bannerDuration, 5000);
  const float timer = scene->timerDown->scaleX, bar1 = scene->bar1->y;
  const Vec2 steered = game->controller1.part->screenCentre();
  game->controller1.keyPress(kForward);
  EXPECT_FLOAT_EQ(game->controller1.speed, 1.125f);  // keys still act on the controller
  earnValue(2, 500);
  EXPECT_FLOAT_EQ(game->player2Value, 30501);  // the collectors still pay
  CGamePart* mine = placePart(1, Vec2{100, 100});
  for (int i = 0; i < 100; ++i) now += 100, frame();
  // No more turns, timer, bars or steering, and the shop leaves.
  EXPECT_EQ(game->currentPlayer, 1);
  EXPECT_FLOAT_EQ(scene->timerDown->scaleX, timer);
  EXPECT_FLOAT_EQ(scene->bar1->y, bar1);
  EXPECT_FLOAT_EQ(game->controller1.part->screenCentre().x, steered.x);
  EXPECT_FLOAT_EQ(game->controller1.part->screenCentre().y, steered.y);
  EXPECT_LT(game->shop1.position.y, -200);
  EXPECT_EQ(scene->banner, nullptr);
  EXPECT_NE(std::find(g_partList.begin(), g_partList.end(), mine), g_partList.end());
  drag.mouseMotion(100, 100);
  drag.press();
  EXPECT_EQ(drag.part, nullptr) << "nothing can be picked up any more";
}

}  // namespace
