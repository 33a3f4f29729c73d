// Game parts as a player meets them: part files, copies, freeing, the drop,
// bombs, fading, removal, and the blast, glow and refusal players are shown.
#include <cmath>
#include <filesystem>
#include <tuple>

#include "game/feedback.h"
#include "game_world.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"

namespace {

int groundCellsOf(const CGamePart& part) {
  int count = 0;
  for (int i = 0; i < g_cellGrid.width * g_cellGrid.height; ++i) {
    const ISingleCell* cell = g_cellGrid.slots[i];
    count += cell && cell->getType() == 1 && cell->getOwner() == part.id;
  }
  return count;
}

using Parts = GameWorld;

TEST_F(Parts, AFileGivesCostLifetimeBombAndPicturesAndMissingKeysKeepTheDefaults) {
  writePart("player1_bomb.xml", 1234.5f, 7000, 1);
  writeFile("data/parts/player1_bare.xml", "<GamePart><Filename>data/gfx/block.png</Filename></GamePart>");
  writePart("player1_ghost.xml", 100, 20000, 0, "data/gfx/missing.png");
  auto bomb = loadGamePart("data/parts/player1_bomb.xml"), bare = loadGamePart("data/parts/player1_bare.xml");
  EXPECT_EQ(bomb->imageFile, "data/gfx/block.png");
  for (const auto& [part, cost, lifetime, isBomb] : {std::tuple{bomb.get(), 1234.5f, 7000.0f, 1}, {bare.get(), 2000.0f, 20000.0f, 0}}) {
    EXPECT_EQ(part->cost, cost);
    EXPECT_EQ(part->lifetime, lifetime);
    EXPECT_EQ(part->bomb, isBomb);
  }
  ASSERT_NE(bomb->mask, nullptr);
  // A copy has pictures and masks of its own, or freeing one would free both.
  bomb->setRotation(0.5f);
  bomb->inShop = true;
  bomb->placedTime = 77;
  auto copy = copyGamePart(*bomb);
  EXPECT_NE(copy->id, bomb->id);
  EXPECT_EQ(copy->rotation * 10000 + copy->cost + copy->bomb, 0.5f * 10000 + 1234.5f + 1);
  EXPECT_TRUE(copy->sprite != bomb->sprite && copy->mask.get() != bomb->mask.get() && copy->rotatedMask);
  EXPECT_TRUE(!copy->inShop && !copy->ownerShop && copy->placedTime == 0 && !copy->inGrid);
  // An unreadable mask leaves a part that is never hit and stamps nothing.
  auto ghost = loadGamePart("data/parts/player1_ghost.xml");
  EXPECT_EQ(ghost->mask, nullptr);
  ghost->setGridPosition(screenToGrid(Vec2{264, 364}));
  stamp(*ghost, Vec2{0, -1});
  ghost->setRotation(1.0f);
  EXPECT_FALSE(hitTest(*ghost, Vec2{264, 364}));
  EXPECT_EQ(groundCellsOf(*ghost) + (ghost->rotatedMask != nullptr), 0);
}

TEST_F(Parts, ADropInsideTheArenaLocksThePartUnlessDraggingIsAllowedAndOnlyTheFirstDropCounts) {
  // A grid point whose screen centre lies exactly on the arena's edge, 145
  // pixels right of its centre, found among the floats next to the ideal one.
  Vec2 onEdge = screenToGrid(Vec2{264 + 145, 364});
  for (int i = 0; i < 64 && gridToScreen(onEdge).x != 264 + 145; ++i)
    onEdge.x = std::nextafter(onEdge.x, gridToScreen(onEdge).x < 264 + 145 ? 1e9f : -1e9f);
  for (int i = 0; i < 64 && gridToScreen(onEdge).y != 364; ++i)
    onEdge.y = std::nextafter(onEdge.y, gridToScreen(onEdge).y < 364 ? 1e9f : -1e9f);
  ASSERT_TRUE(gridToScreen(onEdge).x == 264 + 145 && gridToScreen(onEdge).y == 364);
  const struct {
    Vec2 at;
    bool draggingAllowed;
    int owner;
  } cases[] = {{Vec2{264, 364}, false, -1}, {Vec2{264, 364}, true, 2}, {gridToScreen(onEdge), false, 2},
               {Vec2{264 + 144.9f, 364}, false, -1}};
  for (const auto& c : cases) {
    draggingAllowed = c.draggingAllowed;
    CGamePart* part = placePart(2, Vec2{100, 100}, false);
    part->setGridPosition(screenToGrid(c.at));
    if (c.at.x == 264 + 145) part->setGridPosition(onEdge);
    part->drop();
    EXPECT_EQ(part->ownerPlayer, c.owner) << c.at.x << " " << c.draggingAllowed;
    EXPECT_EQ(part->placedTime, now);
  }
  now = 3000;
  g_partList.back()->drop();
  EXPECT_EQ(g_partList.back()->placedTime, 1000u);
}

TEST_F(Parts, ABombTakesPartsOfBothPlayersWithin45PixelsButNeverTemplatesAndAllFadeForHalfASecond) {
  CGamePart* bomb = placePart(1, Vec2{300, 300}, false, 1);
  CGamePart* near1 = placePart(1, Vec2{330, 300});
  CGamePart* near2 = placePart(2, Vec2{300, 340});
  CGamePart* beyond = placePart(2, Vec2{300, 350});
  CGamePart* shopPart = placePart(1, Vec2{310, 300}, false);
  shopPart->inShop = true;
  now = 5000;
  bomb->drop();
  EXPECT_EQ(std::string() + "bomb " + char('0' + bomb->dying) + char('0' + near1->dying) + char('0' + near2->dying) +
                char('0' + beyond->dying) + char('0' + shopPart->dying),
            "bomb 11100");
  EXPECT_EQ(near1->placedTime, 5000u);
  EXPECT_EQ(shopPart->placedTime, 0u);
  now += 250;
  partListPass(drag);
  EXPECT_NEAR(bomb->sprite->color[3], 0.5f, 1e-5);
  now += 251;
  partListPass(drag);
  EXPECT_TRUE(bomb->finished);
  partListPass(drag);
  EXPECT_EQ(g_partList.size(), 2u);
}

TEST_F(Parts, APartFadesInItsLastSecondAndThePassRemovesFinishedPartsAnywhere) {
  CGamePart* part = placePart(1, Vec2{100, 100});
  CGamePart* held = placePart(1, Vec2{150, 100}, false);  // never dropped: never ages
  CGamePart* shopPart = placePart(1, Vec2{200, 100});  // templates never age
  shopPart->inShop = true;
  CGamePart* last = placePart(1, Vec2{250, 100});
  part->lifetime = 5000;
  last->lifetime = 10'000'000;
  const struct {
    uint32_t at;
    float alpha;
    bool finished;
  } frames[] = {{1000 + 4000, 1, false}, {1000 + 4500, 0.5f, false}, {1000 + 5000, 0, false}, {1000 + 5001, 0, true}};
  for (const auto& f : frames) {
    now = f.at;
    partListPass(drag);
    if (f.alpha > 0) {
      EXPECT_NEAR(part->sprite->color[3], f.alpha, 1e-5) << f.at;
    }
    EXPECT_EQ(part->finished, f.finished) << f.at;
  }
  EXPECT_EQ(g_partList.size(), 4u) << "removed only the frame after";
  last->finished = true;
  drag.held = true;
  drag.part = last;
  now += 10'000'000;
  partListPass(drag);
  EXPECT_EQ(drag.part, nullptr);
  EXPECT_TRUE(drag.held);
  // The last entry moved into the freed slot.
  EXPECT_EQ(g_partList, (std::vector<CGamePart*>{shopPart, held}));
  EXPECT_FALSE(held->finished || shopPart->finished);
  EXPECT_FLOAT_EQ(held->sprite->color[3], 1);
}

TEST_F(Parts, BlastsCollectorFlashesAndRefusalsShowAndFade) {
  for (const char* name : {"blast.png", "collector_flash.png"}) {
    std::filesystem::copy_file(sourceDir() + "/data/gfx/" + name, std::string("data/gfx/") + name);
  }
  buildGame(true);
  CFeedback feedback;
  g_feedback = &feedback;

  CGamePart* bomb = placePart(1, Vec2{250, 350}, false, 1);
  bomb->drop();
  ASSERT_EQ(feedback.blastsShowing(), 1u);
  const CSprite* ring = feedback.blastSprite(0);
  for (int i = 0; i < 20; ++i) feedback.update();
  EXPECT_LT(ring->color[3], 1.0f);
  EXPECT_EQ(feedback.blastsShowing(), 1u) << "the blast should last about half a second";
  for (int i = 0; i < 20; ++i) feedback.update();
  EXPECT_EQ(feedback.blastsShowing(), 0u);

  earnValue(2, 1);
  EXPECT_FLOAT_EQ(feedback.flashOpacity(2) * 10 + feedback.flashOpacity(1), 10.0f);
  for (int i = 0; i < 11; ++i) feedback.update();
  EXPECT_GT(feedback.flashOpacity(2), 0.3f);
  for (int i = 0; i < 30; ++i) feedback.update();
  EXPECT_FLOAT_EQ(feedback.flashOpacity(2), 0.0f);

  game->player1Value = 10;
  CGamePart* t = game->shop1.templates[0];
  EXPECT_EQ(buyOrPick(t, 1), nullptr);
  ASSERT_FALSE(feedback.refusal()->hidden);
  float x0 = feedback.refusal()->x;
  feedback.update();
  feedback.update();
  EXPECT_NE(feedback.refusal()->x, x0);
  for (int i = 0; i < 30; ++i) feedback.update();
  EXPECT_TRUE(feedback.refusal()->hidden);
  g_feedback = nullptr;
}

}  // namespace
