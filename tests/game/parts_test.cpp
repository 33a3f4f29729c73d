// Game parts as a player meets them: what a part file gives, copies bought
// from templates, moving and turning in the grid, locking, bombs and fading.
#include <cmath>

#include "game_world.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"

namespace {

int groundCellsOf(const CGamePart& part) {
  int count = 0;
  for (int y = 0; y < g_cellGrid.height; ++y) {
    for (int x = 0; x < g_cellGrid.width; ++x) {
      ISingleCell* cell = g_cellGrid.atRaw(x, y);
      if (cell && cell->getType() == 1 && cell->getOwner() == part.id) ++count;
    }
  }
  return count;
}

// A grid point whose screen centre lies exactly `distance` pixels right of
// the arena centre, found among the floats next to the ideal one.
bool gridPointAtArenaDistance(float distance, Vec2& grid) {
  Vec2 ideal = screenToGrid(Vec2{264 + distance, 364});
  float gx = ideal.x, gy = ideal.y;
  for (int i = 0; i < 64; ++i) {
    for (int j = 0; j < 64; ++j) {
      Vec2 g{gx, gy};
      Vec2 s = gridToScreen(g);
      if (s.x == 264 + distance && s.y == 364) {
        grid = g;
        return true;
      }
      gy = std::nextafter(gy, s.y < 364 ? 1e9f : -1e9f);
    }
    gy = ideal.y;
    gx = std::nextafter(gx, gridToScreen(Vec2{gx, gy}).x < 264 + distance ? 1e9f : -1e9f);
  }
  return false;
}

}  // namespace

using PartFile = GameWorld;

TEST_F(PartFile, GivesItsCostLifetimeBombAndPictures) {
  writePart("player1_bomb.xml", 1234.5f, 7000, 1);
  auto part = loadGamePart("data/parts/player1_bomb.xml");
  EXPECT_EQ(part->fileName, "data/gfx/block.png");
  EXPECT_EQ(part->imageFile, "data/gfx/block.png");
  EXPECT_FLOAT_EQ(part->cost, 1234.5f);
  EXPECT_FLOAT_EQ(part->lifetime, 7000);
  EXPECT_EQ(part->bomb, 1);
  ASSERT_NE(part->mask, nullptr);
  EXPECT_EQ(part->mask->width, 20);
  EXPECT_EQ(part->rotatedMask, part->mask.get());
  ASSERT_NE(part->sprite, nullptr);
  EXPECT_EQ(part->sprite->layer, 100);
  EXPECT_FALSE(part->inGrid);
}

TEST_F(PartFile, MissingKeysKeepTheDefaults) {
  writeFile("data/parts/player1_bare.xml", "<GamePart><Filename>data/gfx/block.png</Filename></GamePart>");
  auto part = loadGamePart("data/parts/player1_bare.xml");
  EXPECT_FLOAT_EQ(part->cost, 2000);
  EXPECT_FLOAT_EQ(part->lifetime, 20000);
  EXPECT_EQ(part->bomb, 0);
  EXPECT_NE(part->mask, nullptr);
}

TEST_F(PartFile, UnreadableMaskLeavesAPartThatIsNeverHitAndStampsNothing) {
  writePart("player1_ghost.xml", 100, 20000, 0, "data/gfx/missing.png");
  auto part = loadGamePart("data/parts/player1_ghost.xml");
  EXPECT_EQ(part->mask, nullptr);
  part->setGridPosition(screenToGrid(Vec2{264, 364}));
  stamp(*part, Vec2{0, -1});
  EXPECT_FALSE(hitTest(*part, Vec2{264, 364}));
  EXPECT_EQ(groundCellsOf(*part), 0);
  part->setRotation(1.0f);
  EXPECT_EQ(part->rotatedMask, nullptr);
}

using PartCopy = GameWorld;

TEST_F(PartCopy, LiesOnItsTemplateWithItsOwnPicturesAndIsNotYetPlaced) {
  writePart("player1_a.xml", 900, 8000, 1);
  auto tmpl = loadGamePart("data/parts/player1_a.xml");
  tmpl->setGridPosition(Vec2{40, 50});
  tmpl->setRotation(0.5f);
  tmpl->inShop = true;
  tmpl->placedTime = 77;
  auto copy = copyGamePart(*tmpl);
  EXPECT_NE(copy->id, tmpl->id);
  EXPECT_FLOAT_EQ(copy->gridX, 40);
  EXPECT_FLOAT_EQ(copy->gridY, 50);
  EXPECT_FLOAT_EQ(copy->rotation, 0.5f);
  EXPECT_FLOAT_EQ(copy->cost, 900);
  EXPECT_FLOAT_EQ(copy->lifetime, 8000);
  EXPECT_EQ(copy->bomb, 1);
  EXPECT_NE(copy->sprite, tmpl->sprite);
  EXPECT_NE(copy->mask.get(), tmpl->mask.get());
  EXPECT_NE(copy->rotatedMask, nullptr);
  EXPECT_FALSE(copy->inShop);
  EXPECT_EQ(copy->ownerShop, nullptr);
  EXPECT_EQ(copy->placedTime, 0u);
  EXPECT_FALSE(copy->inGrid);
}

using PartMotion = GameWorld;

TEST_F(PartMotion, MovingAStampedPartCarriesItsCellsAndCentresItsSprite) {
  CGamePart* part = placePart(1, Vec2{264, 364});
  int cells = groundCellsOf(*part);
  EXPECT_EQ(cells, 400);
  part->setGridPosition(Vec2{60, 60});
  EXPECT_EQ(groundCellsOf(*part), cells);
  EXPECT_EQ(g_cellGrid.atRaw(60, 60)->getOwner(), part->id);
  Vec2 screen = gridToScreen(Vec2{60, 60});
  EXPECT_FLOAT_EQ(part->screenCentre().x, screen.x);
  EXPECT_FLOAT_EQ(part->sprite->x, screen.x - 10);
  EXPECT_FLOAT_EQ(part->sprite->y, screen.y - 10);
}

TEST_F(PartMotion, TurnsOfAtMostTheThresholdAreIgnoredAndWheelStepsApply) {
  CGamePart* part = placePart(1, Vec2{264, 364});
  CAlphaMask* before = part->rotatedMask;
  part->setRotation(0.02f);
  EXPECT_FLOAT_EQ(part->rotation, 0);
  EXPECT_EQ(part->rotatedMask, before);
  part->setRotation(0.15f);
  EXPECT_FLOAT_EQ(part->rotation, 0.15f);
  EXPECT_FLOAT_EQ(part->sprite->rotation, 0.15f);
  EXPECT_NE(part->rotatedMask, part->mask.get());
  EXPECT_GT(groundCellsOf(*part), 0);
}

TEST_F(PartMotion, DestroyingTurnedAndUnturnedPartsFreesEachMaskOnce) {
  // An unturned part's rotated mask is its mask; a turned one owns a copy.
  CGamePart* unturned = placePart(1, Vec2{200, 364});
  CGamePart* turned = placePart(1, Vec2{320, 364});
  turned->setRotation(1.0f);
  turned->setRotation(2.0f);
  ASSERT_EQ(unturned->rotatedMask, unturned->mask.get());
  ASSERT_NE(turned->rotatedMask, turned->mask.get());
  for (CGamePart* part : {unturned, turned}) {
    part->destroy();
    EXPECT_EQ(part->rotatedMask, nullptr);
    EXPECT_EQ(part->mask, nullptr);
    EXPECT_EQ(part->sprite, nullptr);
    EXPECT_EQ(groundCellsOf(*part), 0);
    part->destroy();  // a second destroy has nothing left to free
  }
}

using PartDrop = GameWorld;

TEST_F(PartDrop, StartsTheLifetimeOnlyOnTheFirstDrop) {
  CGamePart* part = placePart(1, Vec2{100, 100}, false);
  part->drop();
  EXPECT_EQ(part->placedTime, 1000u);
  now = 3000;
  part->drop();
  EXPECT_EQ(part->placedTime, 1000u);
}

TEST_F(PartDrop, InsideTheArenaLocksThePartUnlessDraggingIsAllowed) {
  CGamePart* locked = placePart(1, Vec2{264, 364}, false);
  locked->drop();
  EXPECT_EQ(locked->ownerPlayer, -1);
  draggingAllowed = true;
  CGamePart* free = placePart(2, Vec2{264, 364}, false);
  free->drop();
  EXPECT_EQ(free->ownerPlayer, 2);
}

TEST_F(PartDrop, ExactlyOnTheArenaEdgeStaysMovable) {
  Vec2 onEdge;
  ASSERT_TRUE(gridPointAtArenaDistance(145, onEdge));
  CGamePart* part = placePart(1, Vec2{100, 100}, false);
  part->setGridPosition(onEdge);
  part->drop();
  EXPECT_EQ(part->ownerPlayer, 1);

  CGamePart* inside = placePart(1, Vec2{264 + 144.9f, 364}, false);
  inside->drop();
  EXPECT_EQ(inside->ownerPlayer, -1);
}

using Bomb = GameWorld;

TEST_F(Bomb, AloneStillDestroysItself) {
  CGamePart* bomb = placePart(1, Vec2{100, 100}, false, 1);
  CGamePart* far = placePart(2, Vec2{200, 100});
  bomb->drop();
  EXPECT_TRUE(bomb->dying);
  EXPECT_EQ(bomb->placedTime, now);
  EXPECT_FALSE(far->dying);
}

TEST_F(Bomb, TakesPartsOfBothPlayersWithin45PixelsButNeverTemplates) {
  CGamePart* bomb = placePart(1, Vec2{300, 300}, false, 1);
  CGamePart* near1 = placePart(1, Vec2{330, 300});
  CGamePart* near2 = placePart(2, Vec2{300, 340});
  CGamePart* beyond = placePart(2, Vec2{300, 350});
  CGamePart* shopPart = placePart(1, Vec2{310, 300}, false);
  shopPart->inShop = true;
  now = 5000;
  bomb->drop();
  EXPECT_TRUE(bomb->dying);
  EXPECT_TRUE(near1->dying);
  EXPECT_TRUE(near2->dying);
  EXPECT_EQ(near1->placedTime, 5000u);
  EXPECT_FALSE(beyond->dying);
  EXPECT_FALSE(shopPart->dying);
  EXPECT_EQ(shopPart->placedTime, 0u);
}

TEST_F(Bomb, VictimsFadeForHalfASecondAndAreRemovedTheFrameAfter) {
  CGamePart* bomb = placePart(1, Vec2{300, 300}, false, 1);
  bomb->drop();
  now += 250;
  partListPass(drag);
  EXPECT_NEAR(bomb->sprite->color[3], 0.5f, 1e-5);
  now += 251;
  partListPass(drag);
  EXPECT_TRUE(bomb->finished);
  EXPECT_EQ(g_partList.size(), 1u);
  partListPass(drag);
  EXPECT_TRUE(g_partList.empty());
}

using Lifetime = GameWorld;

TEST_F(Lifetime, FadesDuringTheLastSecondAndIsRemovedOneFrameLater) {
  CGamePart* part = placePart(1, Vec2{100, 100});
  part->lifetime = 5000;
  now = 1000 + 4000;  // the fade begins
  partListPass(drag);
  EXPECT_FLOAT_EQ(part->sprite->color[3], 1);
  now = 1000 + 4500;
  partListPass(drag);
  EXPECT_NEAR(part->sprite->color[3], 0.5f, 1e-5);
  now = 1000 + 5000;  // exactly at the end nothing happens yet
  partListPass(drag);
  EXPECT_FALSE(part->finished);
  now = 1000 + 5001;
  partListPass(drag);
  EXPECT_TRUE(part->finished);
  ASSERT_EQ(g_partList.size(), 1u);
  partListPass(drag);
  EXPECT_TRUE(g_partList.empty());
}

TEST_F(Lifetime, APartNeverDroppedAndTemplatesNeverAge) {
  CGamePart* held = placePart(1, Vec2{100, 100}, false);
  CGamePart* shopPart = placePart(1, Vec2{200, 100});
  shopPart->inShop = true;
  now += 10'000'000;
  partListPass(drag);
  EXPECT_FALSE(held->finished);
  EXPECT_FALSE(shopPart->finished);
  EXPECT_FLOAT_EQ(held->sprite->color[3], 1);
}

using PartListPass = GameWorld;

TEST_F(PartListPass, RemovesFinishedPartsAnywhereAndForgetsTheDraggedOne) {
  CGamePart* a = placePart(1, Vec2{100, 100});
  CGamePart* b = placePart(1, Vec2{150, 100});
  CGamePart* c = placePart(1, Vec2{200, 100});
  CGamePart* d = placePart(1, Vec2{250, 100});
  b->finished = true;
  d->finished = true;
  drag.held = true;
  drag.part = d;
  partListPass(drag);
  EXPECT_EQ(drag.part, nullptr);
  EXPECT_TRUE(drag.held);
  ASSERT_EQ(g_partList.size(), 2u);
  // The last entry moved into the freed slot.
  EXPECT_EQ(g_partList[0], a);
  EXPECT_EQ(g_partList[1], c);
}
