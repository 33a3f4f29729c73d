// Turns, the countdown, the value bars and victory, frame by frame with a
// fake clock, as the two players see them.
#include <algorithm>

#include "game_world.h"
#include "render/sprite.h"

namespace {

// The banner's picture is known by its size in this world: turn banners are
// 32 pixels tall, player 1's winner banner 40 and player 2's 44.
int bannerHeight(const CGameScene& scene) { return scene.banner ? static_cast<int>(scene.banner->height) : 0; }

}  // namespace

using Turns = GameWorld;

TEST_F(Turns, TheFirstFrameGivesTheTurnToPlayerOne) {
  writeDefaultParts();
  buildGame();
  EXPECT_EQ(game->currentPlayer, 0);
  EXPECT_EQ(g_currentShop, nullptr);
  frame();
  EXPECT_EQ(game->currentPlayer, 1);
  EXPECT_EQ(g_currentPlayer, 1);
  EXPECT_EQ(g_currentShop, &game->shop1);
  EXPECT_EQ(game->shop1.shown, 1);
  EXPECT_EQ(game->shop2.shown, 0);
  EXPECT_FLOAT_EQ(game->turnStart, 1000 + 749);
  ASSERT_NE(scene->banner, nullptr);
  EXPECT_FLOAT_EQ(scene->banner->height, 32);
  EXPECT_FLOAT_EQ(scene->timerDown->scaleX, 1);
}

TEST_F(Turns, ChangeOnlyOnceStrictlyMoreThanChangeTimePlusLengthHasPassed) {
  writeDefaultParts();
  buildGame();
  frame();
  now = 1000 + 5749;
  frame();
  EXPECT_EQ(game->currentPlayer, 1);
  now += 1;
  frame();
  EXPECT_EQ(game->currentPlayer, 2);
  EXPECT_EQ(g_currentShop, &game->shop2);
  EXPECT_EQ(game->shop1.shown, 0);
  EXPECT_EQ(game->shop2.shown, 1);
  now += 5749;
  frame();
  EXPECT_EQ(game->currentPlayer, 2);
  now += 1;
  frame();
  EXPECT_EQ(game->currentPlayer, 1);
}

TEST_F(Turns, TheTimerStaysFullDuringTheChangeTimeThenShrinks) {
  writeDefaultParts();
  buildGame();
  frame();
  now = 1000 + 749 + 2500;
  frame();
  EXPECT_FLOAT_EQ(scene->timerDown->scaleX, 0.5f);
  now = 1000 + 749 + 5000;
  frame();
  EXPECT_FLOAT_EQ(scene->timerDown->scaleX, 0.5f);  // at 0 the width is kept
}

TEST_F(Turns, APartHeldAtTheChangeIsDroppedButTheButtonStaysHeld) {
  writeDefaultParts();
  buildGame();
  frame();
  CGamePart* mine = placePart(1, Vec2{100, 100}, false);
  drag.mouse = Vec2{100, 100};
  drag.press();
  ASSERT_EQ(drag.part, mine);
  now = 1000 + 5750;
  frame();
  EXPECT_EQ(drag.part, nullptr);
  EXPECT_TRUE(drag.held);
  EXPECT_EQ(mine->placedTime, now);
  // No new pick starts until the button has been released.
  g_currentPlayer = 1;
  drag.press();
  EXPECT_EQ(drag.part, nullptr);
}

TEST_F(Turns, BarsFollowTheValuesFromEmptyToFull) {
  writeDefaultParts();
  buildGame();
  EXPECT_FLOAT_EQ(scene->bar1->y, 461 - 371 * 0.5f);  // half-full until the first update
  game->player1Value = 0;
  game->player2Value = 40000;
  frame();
  EXPECT_FLOAT_EQ(scene->bar1->scaleY, 0);
  EXPECT_FLOAT_EQ(scene->bar1->y, 461);
  EXPECT_FLOAT_EQ(scene->bar2->scaleY * scene->bar2->height, 371);
  EXPECT_FLOAT_EQ(scene->bar2->x, 480);
  EXPECT_FLOAT_EQ(scene->bar2->y, 90);
}

using Victory = GameWorld;

TEST_F(Victory, AValueEqualToTheTargetDoesNotWinOneAboveDoes) {
  writeDefaultParts();
  buildGame();
  frame();
  game->player2Value = game->player2Target;
  frame();
  EXPECT_FALSE(game->gameOver);
  earnValue(2, 1);
  frame();
  EXPECT_TRUE(game->gameOver);
  EXPECT_EQ(bannerHeight(*scene), 44);
  EXPECT_EQ(scene->bannerDuration, 5000);
}

TEST_F(Victory, PlayerOneWinsWhenBothPassInTheSameFrame) {
  writeDefaultParts();
  writeFile("data/settings.xml", "<Settings><P2_TargetValue>100</P2_TargetValue></Settings>");
  buildGame();
  game->player1Value = 30001;
  frame();
  ASSERT_TRUE(game->gameOver);
  EXPECT_EQ(bannerHeight(*scene), 40);
}

TEST_F(Victory, GameOverStopsTurnsTimerBarsAndSteeringButNotEarningOrDragging) {
  writeDefaultParts();
  buildGame();
  frame();
  now += 3000;
  game->player1Value = 30001;
  frame();
  ASSERT_TRUE(game->gameOver);
  float timerWidth = scene->timerDown->scaleX;
  float barTop = scene->bar1->y;
  Vec2 steered = game->controller1.part->screenCentre();
  game->controller1.keyPress(kForward);
  EXPECT_FLOAT_EQ(game->controller1.speed, 1.125f);  // keys still act on the controller
  earnValue(2, 500);
  EXPECT_FLOAT_EQ(game->player2Value, 5500);  // the collectors still pay
  game->player1Value = 0;
  float bar2Top = scene->bar2->y;
  CGamePart* mine = placePart(1, Vec2{100, 100});
  for (int i = 0; i < 100; ++i) {
    now += 100;
    frame();
  }
  EXPECT_EQ(game->currentPlayer, 1);
  EXPECT_FLOAT_EQ(scene->timerDown->scaleX, timerWidth);
  EXPECT_FLOAT_EQ(scene->bar1->y, barTop);
  EXPECT_FLOAT_EQ(scene->bar2->y, bar2Top);
  EXPECT_FLOAT_EQ(game->controller1.part->screenCentre().x, steered.x);
  EXPECT_FLOAT_EQ(game->controller1.part->screenCentre().y, steered.y);  // not carried off by the shop
  EXPECT_EQ(game->shop1.shown, 0);
  EXPECT_LT(game->shop1.position.y, -200);
  EXPECT_EQ(scene->banner, nullptr);  // the winner banner ran its course
  // The part list goes on; nothing can be picked up any more.
  EXPECT_NE(std::find(g_partList.begin(), g_partList.end(), mine), g_partList.end());
  drag.mouseMotion(100, 100);
  drag.press();
  EXPECT_EQ(drag.part, nullptr);
}

using Banner = GameWorld;

TEST_F(Banner, DropsInRestsAndRisesOut) {
  buildScene();
  scene->showBanner("data/gfx/player1_turn.png", 1500);
  EXPECT_FLOAT_EQ(scene->bannerPosition.y, -32);
  EXPECT_FLOAT_EQ(scene->banner->y, -32 - 16);
  scene->update();
  EXPECT_FLOAT_EQ(scene->bannerPosition.y, -32 + (156 + 32) * 0.25f);
  for (int i = 0; i < 30; ++i) {
    now += 16;
    scene->update();
  }
  EXPECT_NEAR(scene->bannerPosition.y, 156, 0.5f);
  EXPECT_FLOAT_EQ(scene->banner->x, 256 - 32);
  now = 1000 + 1200;
  scene->update();
  EXPECT_LT(scene->bannerPosition.y, 156 - 100);
  now = 1000 + 1500;
  scene->update();
  EXPECT_NE(scene->banner, nullptr);
  now += 1;
  scene->update();
  EXPECT_EQ(scene->banner, nullptr);
}

TEST_F(Banner, ANewBannerReplacesTheOld) {
  buildScene();
  size_t sprites = g_spriteList.size();
  scene->showBanner("data/gfx/player1_turn.png", 1500);
  scene->showBanner("data/gfx/player2_turn.png", 1500);
  EXPECT_EQ(g_spriteList.size(), sprites + 1);
  EXPECT_FALSE(scene->banner->behindGrid);
}
