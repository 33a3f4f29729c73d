// Shops as players see them: which part files land in which shop, the row,
// the slide, the hover marker with the cost slice, and buying.
#include <algorithm>
#include <filesystem>

#include "game_world.h"
#include "render/image.h"
#include "render/sprite.h"
#include "sim/placement.h"
#include "sim/cell_grid.h"

namespace {

void slideUntilStill(CShop& shop) {
  for (int i = 0; i < 100; ++i) shop.slide();
}

}  // namespace

using ShopFilling = GameWorld;

TEST_F(ShopFilling, EachPlayersFilesLandInThatShopOnlyAndTheStomachNever) {
  writePart("player1_a.xml");
  writePart("player1_b.xml");
  writePart("player2_a.xml");
  writePart("xplayer1.xml");
  writePart("PLAYER1_C.XML");
  buildGame(false);
  EXPECT_EQ(game->shop1.templates.size(), 2u);
  EXPECT_EQ(game->shop2.templates.size(), 1u);
  // Player 1's templates come first in the part list, then player 2's.
  ASSERT_EQ(g_partList.size(), 3u);
  EXPECT_EQ(g_partList[0], game->shop1.templates[0]);
  EXPECT_EQ(g_partList[1], game->shop1.templates[1]);
  EXPECT_EQ(g_partList[2], game->shop2.templates[0]);
  for (CGamePart* t : game->shop1.templates) {
    EXPECT_EQ(t->ownerPlayer, 1);
    EXPECT_TRUE(t->inShop);
    EXPECT_TRUE(t->inGrid);
    EXPECT_EQ(t->ownerShop, &game->shop1);
    EXPECT_FALSE(t->sprite->behindGrid);
  }
  EXPECT_EQ(game->shop2.templates[0]->ownerPlayer, 2);
  EXPECT_EQ(game->shop2.templates[0]->ownerShop, &game->shop2);
}

TEST_F(ShopFilling, ThreeTemplatesSpreadEvenlyAcrossTheRowAboveTheWindow) {
  writePart("player1_a.xml");
  writePart("player1_b.xml");
  writePart("player1_c.xml");
  writePart("player2_a.xml");
  buildGame(false);
  const auto& row = game->shop1.templates;
  ASSERT_EQ(row.size(), 3u);
  EXPECT_NEAR(row[0]->screenCentre().x, 153, 1e-3);
  EXPECT_NEAR(row[1]->screenCentre().x, 251, 1e-3);
  EXPECT_NEAR(row[2]->screenCentre().x, 349, 1e-3);
  for (CGamePart* t : row) EXPECT_NEAR(t->screenCentre().y, -166, 1e-3);
  EXPECT_NEAR(game->shop2.templates[0]->screenCentre().x, 251, 1e-3);
}

using ShopSlide = GameWorld;

TEST_F(ShopSlide, ShowingSlidesPanelAndTemplatesInAndHidingSlidesThemOut) {
  writePart("player1_a.xml");
  writePart("player1_b.xml");
  writeDefaultParts();
  buildGame(false);
  CShop& shop = game->shop1;
  CGamePart* second = shop.templates[1];
  shop.show();
  shop.slide();
  EXPECT_FLOAT_EQ(shop.position.y, -210 + 256 * 0.25f);
  EXPECT_FLOAT_EQ(shop.background->y, shop.position.y);
  slideUntilStill(shop);
  EXPECT_NEAR(shop.position.y, 46, 0.5f);
  EXPECT_NEAR(second->screenCentre().y, 90, 0.6f);
  shop.costSlice->hidden = false;
  shop.hide();
  EXPECT_TRUE(shop.costSlice->hidden);
  slideUntilStill(shop);
  EXPECT_NEAR(second->screenCentre().y, -166, 0.6f);
}

TEST_F(ShopSlide, LeavesTheSteeredTemplatesOnTheBoard) {
  writePart("player1_a.xml");
  writePart("player1_b.xml");
  writePart("player2_a.xml");
  buildGame(true);
  CGamePart* steered = game->controller1.part;
  CGamePart* parked = game->shop1.templates[1];
  Vec2 board = steered->screenCentre();
  float parkedY = parked->screenCentre().y;
  game->shop1.show();
  slideUntilStill(game->shop1);
  EXPECT_FLOAT_EQ(steered->screenCentre().x, board.x);
  EXPECT_FLOAT_EQ(steered->screenCentre().y, board.y);
  EXPECT_GT(parked->screenCentre().y, parkedY + 200);
}

using ShopHover = GameWorld;

TEST_F(ShopHover, AnAffordablePartIsHighlightedWithItsCostOnTheBar) {
  writePart("player1_a.xml", 3000);
  writePart("player2_a.xml");
  writeFile("data/settings.xml", "<Settings><P1_InitValue>15000</P1_InitValue></Settings>");
  buildGame(false);
  CShop& shop = game->shop1;
  CGamePart* t = shop.templates[0];
  shop.hover(t->screenCentre());
  EXPECT_FALSE(shop.highlight->hidden);
  EXPECT_TRUE(shop.cannotBuy->hidden);
  EXPECT_EQ(shop.currentMarker, shop.highlight);
  EXPECT_EQ(g_spriteList.back(), shop.highlight);
  EXPECT_FLOAT_EQ(shop.highlight->x + 12, t->screenCentre().x);
  // Fill 0.5 puts the slice's top at the top of the filled bar; a cost of
  // a tenth of the scale covers a tenth of the full bar.
  EXPECT_FALSE(shop.costSlice->hidden);
  EXPECT_FLOAT_EQ(shop.costSlice->x, 4);
  EXPECT_FLOAT_EQ(shop.costSlice->y, 461 - 371 * 0.5f);
  EXPECT_FLOAT_EQ(shop.costSlice->scaleY, 0.1f * 371 / 10);
}

TEST_F(ShopHover, ATooExpensivePartShowsTheCannotBuyPictureAndNoSlice) {
  writePart("player1_a.xml", 6000);
  writePart("player2_a.xml");
  buildGame(false);
  CShop& shop = game->shop1;
  CGamePart* t = shop.templates[0];
  game->player1Value = 4000;  // fill 4000/30000 below the cost share 0.3
  shop.hover(t->screenCentre());
  EXPECT_FALSE(shop.cannotBuy->hidden);
  EXPECT_TRUE(shop.highlight->hidden);
  EXPECT_TRUE(shop.costSlice->hidden);
  EXPECT_EQ(shop.currentMarker, shop.cannotBuy);
}

TEST_F(ShopHover, AFullBarAffordsACostOfTheWholeScale) {
  writePart("player1_a.xml", 30000);
  writePart("player2_a.xml");
  buildGame(false);
  game->player1Value = game->player1Target;
  game->shop1.hover(game->shop1.templates[0]->screenCentre());
  EXPECT_FALSE(game->shop1.highlight->hidden);
  EXPECT_FLOAT_EQ(game->shop1.costSlice->y, 90);
}

TEST_F(ShopHover, PlayerTwosShareIsMeasuredAgainstPlayerOnesTarget) {
  writePart("player1_a.xml");
  writePart("player2_a.xml", 2000);
  writeFile("data/settings.xml",
            "<Settings><P1_TargetValue>10000</P1_TargetValue><P2_TargetValue>40000</P2_TargetValue></Settings>");
  buildGame(false);
  EXPECT_FLOAT_EQ(valueScale, 10000);
  CShop& shop = game->shop2;
  game->player2Value = 10000;  // a quarter of player 2's bar
  shop.hover(shop.templates[0]->screenCentre());
  EXPECT_FALSE(shop.highlight->hidden);
  EXPECT_FLOAT_EQ(shop.costSlice->x, 480);
  EXPECT_FLOAT_EQ(shop.costSlice->y, 461 - 371 / 4.0f);
  EXPECT_FLOAT_EQ(shop.costSlice->scaleY, 0.2f * 371 / 10);
}

TEST_F(ShopHover, NothingUnderTheMouseHidesMarkerAndSlice) {
  writeDefaultParts();
  buildGame(false);
  CShop& shop = game->shop1;
  shop.hover(shop.templates[0]->screenCentre());
  ASSERT_FALSE(shop.highlight->hidden);
  shop.hover(Vec2{500, 500});
  EXPECT_TRUE(shop.highlight->hidden);
  EXPECT_TRUE(shop.costSlice->hidden);
}

TEST_F(ShopHover, AnEmptyShopStillSlidesAndHidesOnHover) {
  writePart("player1_a.xml");
  buildGame(false);
  CShop& shop = game->shop2;
  ASSERT_TRUE(shop.templates.empty());
  shop.show();
  slideUntilStill(shop);
  EXPECT_NEAR(shop.position.y, 46, 0.5f);
  shop.hover(Vec2{251, 90});
  EXPECT_TRUE(shop.currentMarker->hidden);
  EXPECT_TRUE(shop.costSlice->hidden);
}

using Buying = GameWorld;

TEST_F(Buying, ExactlyTheWholeValuePaysAndHandsOverAStampedCopy) {
  writePart("player1_a.xml", 5000);
  writePart("player2_a.xml");
  buildGame(false);
  CGamePart* t = game->shop1.templates[0];
  game->shop1.hover(t->screenCentre());
  CGamePart* copy = buyOrPick(t, 1);
  ASSERT_NE(copy, nullptr);
  EXPECT_NE(copy, t);
  EXPECT_FLOAT_EQ(game->player1Value, 0);
  EXPECT_FLOAT_EQ(game->player2Value, 5000);
  EXPECT_EQ(copy->ownerPlayer, 1);
  EXPECT_TRUE(copy->inGrid);
  EXPECT_FALSE(copy->sprite->behindGrid);
  EXPECT_EQ(g_partList.back(), copy);
  EXPECT_FLOAT_EQ(copy->gridX, t->gridX);
  EXPECT_TRUE(game->shop1.currentMarker->hidden);
  EXPECT_TRUE(game->shop1.costSlice->hidden);
}

TEST_F(Buying, HalfAUnitShortPaysNothingAndHidesTheMarkerAllTheSame) {
  writePart("player1_a.xml", 5000);
  writePart("player2_a.xml");
  buildGame(false);
  CGamePart* t = game->shop1.templates[0];
  game->player1Value = 4999.5f;
  game->shop1.hover(t->screenCentre());
  ASSERT_FALSE(game->shop1.currentMarker->hidden);
  size_t parts = g_partList.size();
  EXPECT_EQ(buyOrPick(t, 1), nullptr);
  EXPECT_FLOAT_EQ(game->player1Value, 4999.5f);
  EXPECT_EQ(g_partList.size(), parts);
  EXPECT_TRUE(game->shop1.currentMarker->hidden);
  EXPECT_TRUE(game->shop1.costSlice->hidden);
}

TEST_F(Buying, TheOtherPlayersTemplateIsNeitherBoughtNorCharged) {
  writeDefaultParts();
  buildGame(false);
  size_t parts = g_partList.size();
  EXPECT_EQ(buyOrPick(game->shop2.templates[0], 1), nullptr);
  EXPECT_FLOAT_EQ(game->player2Value, 5000);
  EXPECT_FLOAT_EQ(game->player1Value, 5000);
  EXPECT_EQ(g_partList.size(), parts);
}

TEST_F(Buying, PlacedPartsArePickedOnlyByTheirLivingOwner) {
  writeDefaultParts();
  buildGame(false);
  CGamePart* mine = placePart(1, Vec2{100, 100});
  CGamePart* theirs = placePart(2, Vec2{150, 100});
  CGamePart* fading = placePart(1, Vec2{200, 100});
  fading->dying = true;
  CGamePart* locked = placePart(-1, Vec2{250, 100});
  EXPECT_EQ(buyOrPick(mine, 1), mine);
  EXPECT_EQ(buyOrPick(theirs, 1), nullptr);
  EXPECT_EQ(buyOrPick(fading, 1), nullptr);
  EXPECT_EQ(buyOrPick(locked, 1), nullptr);
}

// What players meet at the shop: the price marker over the opaque bars, the
// prices and values as numbers, the marker leaving with its shop, the whole
// picture of a shop part answering a click, and nothing for sale after the end.
class ShopPlay : public GameWorld {
 protected:
  // The real text picture and a real scoop, whose middle is open.
  void useRealPictures() {
    for (const char* name : {"font.png", "p1_scoop.png", "p1_scoop_mask.png"}) {
      std::filesystem::copy_file(sourceDir() + "/data/gfx/" + name, std::string("data/gfx/") + name);
    }
    testing::internal::CaptureStdout();
    loadAllImages();
    testing::internal::GetCapturedStdout();
  }

  static size_t drawIndex(const CSprite* sprite) {
    auto it = std::find(g_spriteList.begin(), g_spriteList.end(), sprite);
    return static_cast<size_t>(std::distance(g_spriteList.begin(), it));
  }
};

TEST_F(ShopPlay, TheCostSliceIsDrawnOverTheBarsAndLeavesWithItsShop) {
  writePart("player1_a.xml", 3000);
  writePart("player1_b.xml", 3000);
  writePart("player2_a.xml");
  writePart("player2_b.xml");
  buildGame(true);
  frame();  // player 1's turn
  CShop& shop = game->shop1;
  shop.hover(shop.templates[0]->screenCentre());
  ASSERT_FALSE(shop.costSlice->hidden);
  EXPECT_TRUE(shop.costSlice->behindGrid);
  EXPECT_GT(drawIndex(shop.costSlice), drawIndex(scene->bar1));
  EXPECT_GT(drawIndex(shop.costSlice), drawIndex(scene->dude));

  game->changeTurn(2, *scene, drag);
  EXPECT_TRUE(shop.costSlice->hidden);
  EXPECT_TRUE(shop.highlight->hidden);
  EXPECT_TRUE(shop.cannotBuy->hidden);
}

TEST_F(ShopPlay, PricesSitUnderTheirPartsAndValuesByTheBars) {
  useRealPictures();
  writePart("player1_a.xml", 800);
  writePart("player1_b.xml", 1250);
  writePart("player1_c.xml", 7000);
  writePart("player2_a.xml");
  writePart("player2_b.xml");
  buildGame(true);
  frame();
  CShop& shop = game->shop1;
  ASSERT_EQ(shop.prices.size(), shop.templates.size());
  const char* expected[] = {"800", "1250", "7000"};
  for (size_t i = 0; i < shop.templates.size(); ++i) {
    const CTextLabel& price = *shop.prices[i];
    EXPECT_EQ(price.text(), expected[i]);
    EXPECT_EQ(price.glyphs().size(), price.text().size());
    EXPECT_NEAR(price.x(), shop.templates[i]->screenCentre().x, 0.01f);
    EXPECT_GT(price.y(), shop.templates[i]->screenCentre().y);
  }
  // 7000 is more than player 1's 5000: that price is dimmed.
  EXPECT_LT(shop.prices[2]->glyphs()[0]->color[1], 1.0f);
  EXPECT_FLOAT_EQ(shop.prices[0]->glyphs()[0]->color[1], 1.0f);
  // The prices travel with the panel.
  const float below = shop.prices[0]->y() - shop.templates[0]->screenCentre().y;
  const float startY = shop.prices[0]->y();
  for (int i = 0; i < 60; ++i) frame();
  EXPECT_GT(shop.prices[0]->y(), startY + 100);
  EXPECT_NEAR(shop.prices[0]->y() - shop.templates[0]->screenCentre().y, below, 1.0f);

  game->player1Value = 12345;
  frame();
  EXPECT_EQ(scene->value1->text(), "12345");
  EXPECT_EQ(scene->target1->text(), "30000");
  EXPECT_EQ(scene->value2->text(), "5000");
  // Characters are cut from their own cells of the text picture: '1' and '2'
  // are neighbours in it.
  const auto& glyphs = scene->value1->glyphs();
  ASSERT_EQ(glyphs.size(), 5u);
  EXPECT_TRUE(glyphs[0]->window);
  EXPECT_FLOAT_EQ(glyphs[1]->srcX - glyphs[0]->srcX, kGlyphWidth);
  EXPECT_FLOAT_EQ(glyphs[1]->x - glyphs[0]->x, kGlyphWidth);
}

TEST_F(ShopPlay, APressAnywhereOnAShopPictureBuysButBoardPartsNeedTheirStrokes) {
  useRealPictures();
  writePart("player1_a.xml");
  writeFile("data/parts/player1_b.xml",
            "<GamePart><Filename>data/gfx/p1_scoop_mask.png</Filename><ImageFile>data/gfx/p1_scoop.png</ImageFile>"
            "<GameplayCost>1000</GameplayCost></GamePart>\n");
  writePart("player2_a.xml");
  writePart("player2_b.xml");
  buildGame(true);
  frame();
  for (int i = 0; i < 60; ++i) frame();  // the shop has slid in
  CGamePart* scoop = game->shop1.templates[1];
  const Vec2 middle = scoop->screenCentre();
  ASSERT_FALSE(hitTest(*scoop, middle)) << "the scoop's middle should be open";
  drag.mouseMotion(middle.x, middle.y);
  drag.mouseMotion(middle.x, middle.y);
  EXPECT_FALSE(game->shop1.highlight->hidden);
  drag.press();
  ASSERT_NE(drag.part, nullptr);
  EXPECT_EQ(drag.part->fileName, scoop->fileName);
  EXPECT_FLOAT_EQ(game->player1Value, 4000);
  CGamePart* bought = drag.part;
  // Laid down outside the arena, where it stays the player's: out of the
  // row, only its strokes catch a press.
  const Vec2 board{60, 300};
  drag.mouseMotion(board.x, board.y);
  drag.release();
  ASSERT_FALSE(bought->inShop);
  ASSERT_EQ(bought->ownerPlayer, 1);
  const Vec2 open = bought->screenCentre();
  drag.mouseMotion(open.x, open.y);
  drag.press();
  EXPECT_EQ(drag.part, nullptr);
  drag.release();
  Vec2 stroke = open;
  for (float dx = -30; dx <= 30 && !hitTest(*bought, stroke); dx += 1) stroke = Vec2{open.x + dx, open.y + 12};
  ASSERT_TRUE(hitTest(*bought, stroke));
  drag.mouseMotion(stroke.x, stroke.y);
  drag.press();
  EXPECT_EQ(drag.part, bought);
}

TEST_F(ShopPlay, NothingIsBoughtOrPickedOnceTheGameIsOverNorTheSteeredPart) {
  writeDefaultParts();
  buildGame(true);
  frame();
  CGamePart* mine = placePart(1, Vec2{100, 300});
  CGamePart* steered = game->controller1.part;
  // Clicking the own steered part buys and lifts nothing, in or out of turn.
  drag.mouseMotion(steered->screenCentre().x, steered->screenCentre().y);
  drag.press();
  EXPECT_EQ(drag.part, nullptr);
  drag.release();
  EXPECT_FLOAT_EQ(game->player1Value, 5000);

  game->player1Value = game->player1Target + 1;
  frame();
  ASSERT_TRUE(game->gameOver);
  const float value = game->player1Value;
  size_t parts = g_partList.size();
  EXPECT_EQ(buyOrPick(game->shop1.templates[0], 1), nullptr);
  EXPECT_EQ(buyOrPick(mine, 1), nullptr);
  drag.mouseMotion(100, 300);
  drag.mouseMotion(100, 300);
  drag.press();
  EXPECT_EQ(drag.part, nullptr);
  EXPECT_FLOAT_EQ(game->player1Value, value);
  EXPECT_EQ(g_partList.size(), parts);
  // Hovering a steered part or a shop that has left shows no marker.
  drag.release();
  drag.mouseMotion(steered->screenCentre().x, steered->screenCentre().y);
  drag.mouseMotion(steered->screenCentre().x, steered->screenCentre().y);
  EXPECT_TRUE(game->shop1.highlight->hidden);
  EXPECT_TRUE(game->shop1.cannotBuy->hidden);
}
