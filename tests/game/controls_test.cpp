// Steering with the keys and handling parts with the mouse: speeds and turns
// as a player feels them, the arena edge, the pick scan, dragging, wheel and
// drop, and how the controllers are bound at start.
#include <cmath>

#include "game_world.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"

using Steering = GameWorld;

TEST_F(Steering, ForwardAcceleratesToTwentyAndCoastsToAStop) {
  CPlayerController c;
  c.keyPress(kForward);
  EXPECT_FLOAT_EQ(c.speed, 1.125f);
  for (int i = 0; i < 16; ++i) c.update();
  EXPECT_FLOAT_EQ(c.speed, 19.125f);
  c.update();
  EXPECT_FLOAT_EQ(c.speed, 20.0f);
  c.update();
  EXPECT_FLOAT_EQ(c.speed, 20.0f);
  c.keyRelease(kForward);
  c.update();
  EXPECT_FLOAT_EQ(c.speed, 20 - 0.675f);
  for (int i = 0; i < 40; ++i) c.update();
  EXPECT_FLOAT_EQ(c.speed, 0);
}

TEST_F(Steering, ReverseStopsTheFrameAfterTheKeyIsReleased) {
  CPlayerController c;
  c.position = Vec2{264, 364};
  c.keyPress(kBackward);
  EXPECT_FLOAT_EQ(c.speed, -1.125f);
  c.keyRelease(kBackward);
  c.update();
  EXPECT_FLOAT_EQ(c.speed, 0);
}

// A held key must always act, even where the presses left a rate or speed of
// exactly zero under it.
TEST_F(Steering, HeldKeysAlwaysActWhereThePressesCancelled) {
  {  // A and D held together turn left.
    CPlayerController c;
    c.keyPress(kTurnLeft);
    c.keyPress(kTurnRight);
    EXPECT_FLOAT_EQ(c.turnRate, 0);
    c.update();
    EXPECT_FLOAT_EQ(c.turnRate, -0.07f);
    EXPECT_LT(c.direction.y, 0);  // screen y grows downwards: left is up
    c.update();
    EXPECT_FLOAT_EQ(c.turnRate, -0.14f);
  }
  {  // D tapped for one frame, then A: the turn swings over to the left.
    CPlayerController c;
    c.keyPress(kTurnRight);
    c.update();
    c.keyRelease(kTurnRight);
    c.keyPress(kTurnLeft);
    c.update();
    EXPECT_NEAR(c.turnRate, 0, 1e-6);
    c.update();
    EXPECT_LT(c.turnRate, 0);
  }
  {  // W let go while S is held: the part slows down and then reverses.
    CPlayerController c;
    c.position = Vec2{264, 364};
    c.keyPress(kForward);
    c.update();
    c.keyRelease(kForward);
    c.keyPress(kBackward);
    EXPECT_FLOAT_EQ(c.speed, 1.125f);
    c.update();
    EXPECT_FLOAT_EQ(c.speed, 0);
    c.update();
    EXPECT_FLOAT_EQ(c.speed, -1.125f);
    EXPECT_LT(c.position.x, 264 + 2.25f * 0.16f + 1.125f * 0.16f);
  }
  {  // Nothing held, nothing moving: nothing happens, and a released turn damps out.
    CPlayerController c;
    c.update();
    EXPECT_FLOAT_EQ(c.speed, 0);
    EXPECT_FLOAT_EQ(c.turnRate, 0);
    c.keyPress(kTurnLeft);
    c.update();
    c.keyRelease(kTurnLeft);
    c.update();
    EXPECT_NEAR(c.turnRate, -0.098f, 1e-6);
    c.update();
    EXPECT_FLOAT_EQ(c.turnRate, 0);  // 0.0686 is below the stop threshold
  }
}

TEST_F(Steering, TheSteeredPartFollowsPositionAndHeading) {
  writeDefaultParts();
  buildGame();
  CPlayerController& c = game->controller1;
  CGamePart* part = c.part;
  c.keyPress(kTurnRight);
  c.keyPress(kForward);
  c.update();
  // The first frame turns by 0.0224 radians, below the part's threshold.
  EXPECT_FLOAT_EQ(part->rotation, 0);
  c.update();
  EXPECT_NEAR(part->rotation, std::atan2(c.direction.y, c.direction.x), 1e-6);
  EXPECT_GT(part->rotation, 0.025f);
  Vec2 g = screenToGrid(c.position);
  EXPECT_FLOAT_EQ(part->gridX, g.x);
  EXPECT_FLOAT_EQ(part->gridY, g.y);
  EXPECT_GT(part->screenCentre().x, 191.5f);
}

TEST_F(Steering, TheArenaEdgeHoldsAPartDrivenAgainstIt) {
  writeDefaultParts();
  buildGame();
  CPlayerController& c = game->controller2;
  c.keyPress(kForward);  // heading right, towards the edge
  for (int i = 0; i < 200; ++i) c.update();
  float dist = std::hypot(c.position.x - 264, c.position.y - 364);
  EXPECT_NEAR(dist, 145, 1e-3);
  EXPECT_NEAR(c.position.y, 364, 1e-3);
  // Turning along the edge keeps it on the circle.
  c.keyPress(kTurnLeft);
  for (int i = 0; i < 50; ++i) c.update();
  EXPECT_LE(std::hypot(c.position.x - 264, c.position.y - 364), 145.001f);
  Vec2 g = screenToGrid(c.position);
  EXPECT_FLOAT_EQ(c.part->gridX, g.x);
}

using ControllerBinding = GameWorld;

TEST_F(ControllerBinding, EachPlayerSteersTheirOwnFirstPartFromTheirStartPoint) {
  writePart("player1_a.xml");
  writePart("player1_b.xml");
  writePart("player2_a.xml");
  writePart("player2_b.xml");
  buildGame(false);
  ASSERT_TRUE(bindControllers(*game));
  // Each steers the first part of the own shop, which a copy replaces in the
  // row, so the row stays whole and the part stays for sale.
  for (CShop* shop : {&game->shop1, &game->shop2}) {
    CGamePart* steered = shop == &game->shop1 ? game->controller1.part : game->controller2.part;
    ASSERT_NE(steered, nullptr);
    EXPECT_TRUE(steered->steered);
    EXPECT_FALSE(steered->inShop);
    ASSERT_EQ(shop->templates.size(), 2u);
    EXPECT_NE(shop->templates[0], steered);
    EXPECT_EQ(shop->templates[0]->fileName, steered->fileName);
    EXPECT_TRUE(shop->templates[0]->inShop);
    EXPECT_NEAR(shop->templates[0]->screenCentre().x, 55 + 392 / 3.0f, 1e-3);
    EXPECT_NEAR(shop->templates[1]->screenCentre().x, 55 + 2 * 392 / 3.0f, 1e-3);
  }
  EXPECT_EQ(game->controller2.part->ownerPlayer, 2);
  EXPECT_FLOAT_EQ(game->controller1.position.x, 191.5f);
  EXPECT_FLOAT_EQ(game->controller2.position.x, 336.5f);
  EXPECT_FLOAT_EQ(game->controller2.position.y, 364);
  EXPECT_NEAR(game->controller1.part->screenCentre().x, 191.5f, 1e-3);
  EXPECT_NEAR(game->controller2.part->screenCentre().y, 364, 1e-3);
  // Player 2's keys steer player 2's part.
  game->controller2.keyPress(kForward);
  game->controller2.update();
  EXPECT_GT(game->controller2.part->screenCentre().x, 336.5f);
  EXPECT_NEAR(game->shop1.templates[1]->screenCentre().y, -166, 1e-3);
}

TEST_F(ControllerBinding, RefusesToStartWhenAPlayerHasNoPart) {
  writePart("player1_a.xml");
  writePart("player1_b.xml");
  buildGame(false);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(bindControllers(*game));
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("player 2"), std::string::npos) << out;
  EXPECT_EQ(game->controller1.part, nullptr);
}

TEST_F(ControllerBinding, RefusesToStartWithoutAnyPartFiles) {
  buildGame(false);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(bindControllers(*game));
  std::string out = testing::internal::GetCapturedStdout();
  EXPECT_NE(out.find("either player"), std::string::npos) << out;
}

using MousePick = GameWorld;

TEST_F(MousePick, PressOverOwnPartPicksItWithItsGrabOffset) {
  writeDefaultParts();
  buildGame();
  g_currentPlayer = 1;
  CGamePart* mine = placePart(1, Vec2{200, 300});
  drag.mouse = Vec2{205, 303};
  drag.press();
  EXPECT_TRUE(drag.held);
  EXPECT_EQ(drag.part, mine);
  EXPECT_NEAR(drag.grabOffset.x, mine->screenCentre().x - 205, 1e-4);
  EXPECT_NEAR(drag.grabOffset.y, mine->screenCentre().y - 303, 1e-4);
  // A second press while held does nothing.
  drag.part = nullptr;
  drag.press();
  EXPECT_EQ(drag.part, nullptr);
}

TEST_F(MousePick, TheOtherPlayersPartIsNotPicked) {
  writeDefaultParts();
  buildGame();
  g_currentPlayer = 1;
  placePart(2, Vec2{200, 300});
  drag.mouse = Vec2{200, 300};
  drag.press();
  EXPECT_TRUE(drag.held);
  EXPECT_EQ(drag.part, nullptr);
}

TEST_F(MousePick, ALaterUnpickablePartEndsTheScanWithNothingInHand) {
  writeDefaultParts();
  buildGame();
  g_currentPlayer = 1;
  placePart(1, Vec2{200, 300});
  placePart(2, Vec2{205, 300});
  drag.mouse = Vec2{203, 300};
  drag.press();
  EXPECT_EQ(drag.part, nullptr);
}

TEST_F(MousePick, TheLastPickablePartUnderTheMouseEndsInHand) {
  writeDefaultParts();
  buildGame();
  g_currentPlayer = 2;
  placePart(2, Vec2{200, 300});
  CGamePart* upper = placePart(2, Vec2{205, 300});
  drag.mouse = Vec2{203, 300};
  drag.press();
  EXPECT_EQ(drag.part, upper);
}

TEST_F(MousePick, APurchaseEndsTheScanWithTheCopyInHandDespiteALaterUnpickablePart) {
  writeDefaultParts();
  buildGame(false);
  g_currentPlayer = 1;
  CGamePart* t = game->shop1.templates[0];
  placePart(2, t->screenCentre());  // later in the list, cannot be picked by player 1
  size_t parts = g_partList.size();
  drag.mouse = t->screenCentre();
  drag.press();
  ASSERT_EQ(g_partList.size(), parts + 1);
  CGamePart* copy = g_partList.back();
  EXPECT_EQ(drag.part, copy);
  EXPECT_EQ(copy->ownerPlayer, 1);
  EXPECT_NEAR(drag.grabOffset.x, 0, 1e-3);
  EXPECT_NEAR(drag.grabOffset.y, 0, 1e-3);
  EXPECT_FLOAT_EQ(game->player1Value, 4000);
  // Releasing drops the copy: its lifetime runs.
  drag.release();
  EXPECT_EQ(copy->placedTime, now);
}

TEST_F(MousePick, TwoTouchingTemplatesChargeOnceForOneClick) {
  writePart("player1_a.xml");
  writePart("player1_b.xml");
  writePart("player2_a.xml");
  buildGame(false);
  g_currentPlayer = 1;
  CGamePart* first = game->shop1.templates[0];
  CGamePart* second = game->shop1.templates[1];
  second->setGridPosition(Vec2{first->gridX + 2, first->gridY});
  size_t parts = g_partList.size();
  drag.mouse = first->screenCentre();
  drag.press();
  EXPECT_EQ(g_partList.size(), parts + 1);
  EXPECT_FLOAT_EQ(game->player1Value, 4000);
  EXPECT_EQ(drag.part, g_partList.back());
}

using Dragging = GameWorld;

TEST_F(Dragging, MotionMovesTheHeldPartKeepingTheGrabOffset) {
  writeDefaultParts();
  buildGame();
  g_currentPlayer = 1;
  CGamePart* mine = placePart(1, Vec2{200, 300});
  drag.mouseMotion(205, 300);
  drag.press();
  ASSERT_EQ(drag.part, mine);
  drag.mouseMotion(105, 250);
  EXPECT_NEAR(mine->screenCentre().x, 100, 1e-3);
  EXPECT_NEAR(mine->screenCentre().y, 250, 1e-3);
}

TEST_F(Dragging, TheWheelTurnsOnlyAHeldPart) {
  writeDefaultParts();
  buildGame();
  g_currentPlayer = 1;
  CGamePart* mine = placePart(1, Vec2{200, 300});
  drag.mouse = Vec2{200, 300};
  drag.turn(0.15f);
  EXPECT_FLOAT_EQ(mine->rotation, 0);
  drag.press();
  drag.turn(-0.15f);
  EXPECT_FLOAT_EQ(mine->rotation, -0.15f);
  drag.turn(0.15f);
  drag.turn(0.15f);
  EXPECT_FLOAT_EQ(mine->rotation, 0.15f);
  drag.release();
  drag.turn(0.15f);
  EXPECT_FLOAT_EQ(mine->rotation, 0.15f);
}

TEST_F(Dragging, ReleaseDropsAndLocksInsideTheArena) {
  writeDefaultParts();
  buildGame();
  g_currentPlayer = 1;
  CGamePart* mine = placePart(1, Vec2{100, 100}, false);
  drag.mouseMotion(100, 100);
  drag.press();
  ASSERT_EQ(drag.part, mine);
  drag.mouseMotion(264, 330);
  now = 4321;
  drag.release();
  EXPECT_FALSE(drag.held);
  EXPECT_EQ(drag.part, nullptr);
  EXPECT_EQ(mine->placedTime, 4321u);
  EXPECT_EQ(mine->ownerPlayer, -1);
  // A locked part cannot be picked again.
  drag.press();
  EXPECT_EQ(drag.part, nullptr);
}

TEST_F(Dragging, ReleaseWithNothingHeldChangesNothing) {
  CDragState idle{};
  idle.mouse = Vec2{3, 4};
  idle.release();
  EXPECT_FALSE(idle.held);
  EXPECT_FLOAT_EQ(idle.mouse.x, 3);
}

TEST_F(Dragging, TheShopHoversEverySecondMotionAndNeverWhileDragging) {
  writeDefaultParts();
  buildGame();
  frame();  // player 1's turn: shop 1 is the current shop
  ASSERT_EQ(g_currentShop, &game->shop1);
  CGamePart* t = game->shop1.templates[0];  // steered, out on the board
  Vec2 over = t->screenCentre();
  game->shop1.highlight->hidden = true;
  drag.mouseMotion(over.x, over.y);
  EXPECT_TRUE(game->shop1.highlight->hidden);
  drag.mouseMotion(over.x, over.y);
  EXPECT_FALSE(game->shop1.highlight->hidden);

  CGamePart* mine = placePart(1, Vec2{100, 100});
  drag.mouseMotion(100, 100);
  drag.press();
  ASSERT_EQ(drag.part, mine);
  game->shop1.highlight->hidden = true;
  for (int i = 0; i < 5; ++i) drag.mouseMotion(over.x, over.y + i * 0.01f);
  EXPECT_TRUE(game->shop1.highlight->hidden);
  drag.release();
  // The counter kept counting: the first motion after the drag hovers.
  drag.mouseMotion(over.x, over.y);
  EXPECT_FALSE(game->shop1.highlight->hidden);
}
