// The game screen: what the scene builds, the breathing background copies,
// the stomach board in the grid, and a clean teardown.
#include <cmath>

#include "game_world.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"

using Scene = GameWorld;

TEST_F(Scene, BuildsTheBoardPicturesInTheirLayersAndPlaces) {
  buildScene();
  EXPECT_EQ(scene->background->layer, 256);
  ASSERT_EQ(scene->copies.size(), 10u);
  for (CSprite* copy : scene->copies) {
    EXPECT_EQ(copy->layer, 255);
    EXPECT_FLOAT_EQ(copy->color[3], 0.2f);
    EXPECT_EQ(copy->stackedOn, scene->background);
  }
  // The copies lie over the background and under everything else.
  EXPECT_EQ(g_spriteList.front(), scene->background);
  auto it = std::next(g_spriteList.begin());
  for (CSprite* copy : scene->copies) EXPECT_EQ(*it++, copy);
  EXPECT_FLOAT_EQ(scene->timerDown->x, 53);
  EXPECT_FLOAT_EQ(scene->timerUp->y, 11);
  EXPECT_FLOAT_EQ(scene->shadow->x, 89);
  EXPECT_FALSE(scene->shadow->behindGrid);
  EXPECT_TRUE(scene->dude->behindGrid);
  EXPECT_FLOAT_EQ(scene->bar1->x, 4);
  EXPECT_FLOAT_EQ(scene->bar2->y, 275.5f);
  EXPECT_FLOAT_EQ(scene->bar2->scaleY, 185.5f / 100);
  EXPECT_EQ(scene->banner, nullptr);
}

TEST_F(Scene, TheStomachIsStampedAtItsPlaceAndLeavesTheGridWithTheScene) {
  writeFile("data/parts/stomach.xml",
            "<GamePart><Filename>data/gfx/block.png</Filename><ImageFile>data/gfx/block.png</ImageFile>"
            "</GamePart>");
  buildScene();
  CGamePart* stomach = scene->stomach.get();
  EXPECT_FLOAT_EQ(stomach->gridX, 127);
  EXPECT_FLOAT_EQ(stomach->gridY, 105.5f);
  EXPECT_EQ(stomach->ownerPlayer, 0);
  EXPECT_TRUE(stomach->inGrid);
  EXPECT_TRUE(g_partList.empty());
  ASSERT_NE(g_cellGrid.atRaw(127, 105), nullptr);
  EXPECT_EQ(g_cellGrid.atRaw(127, 105)->getOwner(), stomach->id);
  scene.reset();
  g_scene = nullptr;
  EXPECT_EQ(g_cellGrid.atRaw(127, 105), nullptr);
  EXPECT_TRUE(g_spriteList.empty());
}

TEST_F(Scene, BeforeTheFirstSecondTheCopiesStayStill) {
  buildScene();
  for (int i = 0; i < 50; ++i) scene->update();
  EXPECT_FLOAT_EQ(scene->pulse, 1);
  for (CSprite* copy : scene->copies) {
    EXPECT_FLOAT_EQ(copy->rotation, 0);
    EXPECT_FLOAT_EQ(copy->scaleX, 1);
    EXPECT_FLOAT_EQ(copy->x, 256 - 32);
  }
}

TEST_F(Scene, TheCopiesFanOutAndBreatheTowardsTheTargets) {
  buildScene();
  scene->swayTarget = 0.1f;
  scene->pulseTarget = 1.01f;
  for (int i = 0; i < 200; ++i) scene->update();
  EXPECT_NEAR(scene->sway, 0.1f, 1e-4);
  EXPECT_NEAR(scene->copies[9]->rotation, 0.09f, 1e-4);
  EXPECT_FLOAT_EQ(scene->copies[0]->rotation, 0);
  EXPECT_LT(scene->pulsePhase, 2.5f + 0.16f);
  // Each copy is centred on the middle of the window whatever its scale.
  CSprite* last = scene->copies[9];
  EXPECT_NEAR(last->x + last->width * last->scaleX / 2, 256, 1e-3);
  bool breathed = false;
  for (int i = 0; i < 20; ++i) {
    scene->update();
    breathed = breathed || std::fabs(scene->copies[9]->scaleX - 1) > 1e-4;
  }
  EXPECT_TRUE(breathed);
}
