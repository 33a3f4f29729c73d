// Hands on the game: steering where key presses cancel out, the mouse's pick
// scan, and shops as players see them: which files land where, the hover
// marker and its cost slice, buying at the edge of a purse, clicks on a shop
// picture, the end.
#include <filesystem>

#include "game_world.h"
#include "render/image.h"
#include "render/sprite.h"
#include "sim/placement.h"

namespace {

// A held key must act even where the presses left a rate or speed of zero.
TEST(Steering, HeldKeysAlwaysActWhereThePressesCancelled) {
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> presses;  // direction, +1 press / -1 release / 0 a frame
    float speed, turnRate;                     // after the last frame
  } cases[] = {
      {"A and D held together turn left", {{kTurnLeft, 1}, {kTurnRight, 1}, {0, 0}, {0, 0}}, 0, -0.14f},
      {"D for a frame, then A", {{kTurnRight, 1}, {0, 0}, {kTurnRight, -1}, {kTurnLeft, 1}, {0, 0}, {0, 0}}, 0, -0.07f},
      {"W let go while S is held reverses", {{kForward, 1}, {0, 0}, {kForward, -1}, {kBackward, 1}, {0, 0}, {0, 0}},
       -1.125f, 0},
      {"a released turn damps out", {{kTurnLeft, 1}, {0, 0}, {kTurnLeft, -1}, {0, 0}}, 0, -0.098f},
      {"and stops below the threshold", {{kTurnLeft, 1}, {0, 0}, {kTurnLeft, -1}, {0, 0}, {0, 0}}, 0, 0},
      {"reverse stops the frame after the release", {{kBackward, 1}, {kBackward, -1}, {0, 0}}, 0, 0},
      {"forward tops out at twenty", {{kForward, 1}, {0, 0}}, 20, 0},  // and seventeen frames more
  };
  for (auto c : cases) {
    if (c.presses.size() == 2) c.presses.insert(c.presses.end(), 17, {0, 0});
    CPlayerController controller;
    controller.position = Vec2{264, 364};
    for (auto [dir, what] : c.presses) {
      if (what > 0) controller.keyPress(dir);
      if (what < 0) controller.keyRelease(dir);
      if (what == 0) controller.update();
    }
    EXPECT_NEAR(controller.speed, c.speed, 1e-6) << c.name;
    EXPECT_NEAR(controller.turnRate, c.turnRate, 1e-6) << c.name;
  }
}

using MousePick = GameWorld;

TEST_F(MousePick, TheScanOverThePartListDecidesWhatEndsInHand) {
  writePart("player1_b.xml");
  buildGame(false);
  game->currentPlayer = 1;
  CGamePart* first = game->shop1.templates[0];
  CGamePart* mine = placePart(1, Vec2{200, 300});
  drag.mouse = Vec2{205, 303};
  drag.press();
  ASSERT_EQ(drag.part, mine);
  EXPECT_NEAR(drag.grabOffset.x, mine->screenCentre().x - 205, 1e-4);
  drag.part = nullptr;
  drag.press();  // a second press while held does nothing
  EXPECT_EQ(drag.part, nullptr);
  drag.release();
  const struct {
    const char* name;
    int firstOwner, secondOwner;  // of two placed parts, the second 5 pixels right
    bool second;                  // expected in hand: the second part, else nothing
  } cases[] = {{"the other player's part", 2, 2, false},
               {"a later unpickable part ends the scan empty-handed", 1, 2, false},
               {"the last pickable part wins", 1, 1, true}};
  for (const auto& c : cases) {
    placePart(c.firstOwner, Vec2{300, 200});
    CGamePart* second = placePart(c.secondOwner, Vec2{305, 200});
    drag.mouse = Vec2{303, 200};
    drag.press();
    EXPECT_EQ(drag.part, c.second ? second : nullptr) << c.name;
    drag.release();
    for (int i = 0; i < 2; ++i) g_partList.back()->finished = true, partListPass(drag);
  }
  // A purchase ends the scan with the copy in hand despite a later unpickable
  // part, and two touching templates charge once for one click.
  game->shop1.templates[1]->setGridPosition(Vec2{first->gridX + 2, first->gridY});
  placePart(2, first->screenCentre());
  const size_t parts = g_partList.size();
  drag.mouse = first->screenCentre();
  drag.press();
  ASSERT_EQ(g_partList.size(), parts + 1);
  EXPECT_EQ(drag.part, g_partList.back());
  EXPECT_NEAR(drag.grabOffset.x, 0, 1e-3);
  EXPECT_FLOAT_EQ(game->player1Value, 4000);
}

using Shop = GameWorld;

TEST_F(Shop, FilesLandInTheirPlayersShopAndTheHoverShowsWhatTheValueAffords) {
  writePart("player1_a.xml", 3000);
  writePart("player1_b.xml", 6000);
  writePart("player1_c.xml", 10000);
  writePart("xplayer1.xml");
  writePart("player2_a.xml", 2000);
  writeFile("data/settings.xml", "<Settings><P1_TargetValue>10000</P1_TargetValue><P2_TargetValue>40000</P2_TargetValue></Settings>");
  buildGame(false);
  ASSERT_EQ(game->shop1.templates.size() * 10 + game->shop2.templates.size(), 31u);
  EXPECT_EQ(g_partList[3], game->shop2.templates[0]);  // player 1's templates come first
  const struct {
    int player, templ;
    float value;
    bool affordable;
    float sliceX, sliceY, sliceScale;  // a cost share of a tenth of the scale covers a tenth of the bar
  } cases[] = {{1, 0, 5000, true, 4, 461 - 371 * 0.5f, 0.3f * 371 / 10},
               {1, 1, 5000, false, 0, 0, 0},
               {1, 2, 9999, false, 0, 0, 0},
               {1, 2, 10000, true, 4, 90, 371 / 10.0f},  // a full bar affords the whole scale
               {2, 0, 10000, true, 480, 461 - 371 / 4.0f, 0.2f * 371 / 10}};  // measured against player 1's target
  for (const auto& c : cases) {
    SCOPED_TRACE(c.player * 10 + c.templ);
    CShop& shop = c.player == 1 ? game->shop1 : game->shop2;
    (c.player == 1 ? game->player1Value : game->player2Value) = c.value;
    CGamePart* t = shop.templates[c.templ];
    EXPECT_EQ(t->ownerPlayer, c.player);
    shop.hover(t->screenCentre());
    EXPECT_EQ(shop.currentMarker, c.affordable ? shop.highlight : shop.cannotBuy);
    EXPECT_EQ(shop.highlight->hidden * 10 + shop.cannotBuy->hidden, c.affordable ? 1 : 10);
    EXPECT_EQ(shop.costSlice->hidden, !c.affordable);
    EXPECT_FLOAT_EQ(shop.currentMarker->x + 12, t->screenCentre().x);
    if (c.affordable) {
      EXPECT_FLOAT_EQ(shop.costSlice->x, c.sliceX);
      EXPECT_FLOAT_EQ(shop.costSlice->y, c.sliceY);
      EXPECT_FLOAT_EQ(shop.costSlice->scaleY, c.sliceScale);
    }
    shop.hover(Vec2{500, 500});
    EXPECT_TRUE(shop.currentMarker->hidden && shop.costSlice->hidden);
  }
  // Half a unit short pays nothing and hides the marker all the same.
  game->player1Value = 2999.5f;
  game->shop1.hover(game->shop1.templates[0]->screenCentre());
  EXPECT_EQ(buyOrPick(game->shop1.templates[0], 1), nullptr);
  EXPECT_TRUE(game->shop1.currentMarker->hidden);
  EXPECT_EQ(buyOrPick(game->shop2.templates[0], 1), nullptr);  // nor the other player's template
  EXPECT_FLOAT_EQ(game->player1Value + game->player2Value, 2999.5f + 10000);
  game->player1Value = 3000;
  CGamePart* copy = buyOrPick(game->shop1.templates[0], 1);
  ASSERT_NE(copy, nullptr);
  EXPECT_FLOAT_EQ(game->player1Value, 0);
  EXPECT_EQ(g_partList.back(), copy);
  EXPECT_TRUE(copy->inGrid && !copy->inShop);
}

TEST_F(Shop, AWholeShopPictureAnswersAClickAndNothingIsSoldAfterTheEnd) {
  for (const char* name : {"p1_scoop.png", "p1_scoop_mask.png"})
    std::filesystem::copy_file(sourceDir() + "/data/gfx/" + name, std::string("data/gfx/") + name);
  testing::internal::CaptureStdout();
  loadAllImages();
  testing::internal::GetCapturedStdout();
  writePart("player1_a.xml", 800);
  writePart("player1_b.xml", 7000);
  // A real scoop, whose middle is open.
  writeFile("data/parts/player1_c.xml", "<GamePart><Filename>data/gfx/p1_scoop_mask.png</Filename><ImageFile>"
                                        "data/gfx/p1_scoop.png</ImageFile><GameplayCost>1000</GameplayCost></GamePart>\n");
  writePart("player2_a.xml");
  writePart("player2_b.xml");
  buildGame();
  CShop& shop = game->shop1;
  for (int i = 0; i < 61; ++i) frame();

  // A press anywhere on a shop picture buys; on the board the mask's strokes decide, as the hit tests pin.
  CGamePart* scoop = shop.templates[2];
  const Vec2 middle = scoop->screenCentre();
  ASSERT_FALSE(hitTest(*scoop, middle)) << "the scoop's middle should be open";
  drag.mouseMotion(middle.x, middle.y);
  drag.press();
  CGamePart* bought = drag.part;
  ASSERT_NE(bought, nullptr);
  EXPECT_EQ(bought->fileName, scoop->fileName);
  drag.mouseMotion(60, 300);
  drag.release();
  ASSERT_EQ(bought->ownerPlayer, 1);
  drag.mouseMotion(60, 300);
  drag.press();
  EXPECT_EQ(drag.part, nullptr) << "the open middle of a part on the board is not the part";
  drag.release();

  // Changing turns takes the markers away; after the end nothing is bought or picked.
  EXPECT_EQ(buyOrPick(game->controller1.part, 1), nullptr) << "the steered part is never bought nor lifted";
  shop.hover(shop.templates[0]->screenCentre());
  game->changeTurn(2, *scene, drag);
  EXPECT_TRUE(shop.costSlice->hidden && shop.highlight->hidden && shop.cannotBuy->hidden);
  game->player1Value = game->player1Target + 1;
  frame();
  ASSERT_TRUE(game->gameOver);
  const size_t parts = g_partList.size();
  EXPECT_EQ(buyOrPick(shop.templates[1], 1), nullptr);
  EXPECT_EQ(buyOrPick(bought, 1), nullptr);
  EXPECT_EQ(g_partList.size(), parts);
  const Vec2 forSale = game->shop2.templates[1]->screenCentre();
  for (int i = 0; i < 2; ++i) drag.mouseMotion(forSale.x, forSale.y);
  EXPECT_TRUE(game->shop2.highlight->hidden && game->shop2.cannotBuy->hidden) << "a marker shown after the end";
}

}  // namespace
