// The house rules of the settings file, each on and off, as players meet
// them: paddles driven into each other, and a bomb laid on a paddle.
#include <cmath>

#include "game/player_input.h"
#include "game_world.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"

namespace {

using HouseRules = GameWorld;

PlayerInput key(int player, int dir, bool down) {
  PlayerInput in;
  in.player = player;
  in.action = down ? PlayerAction::kKeyDown : PlayerAction::kKeyUp;
  in.code = dir;
  return in;
}

bool paddlesOverlap(const CGameManager& game) { return solidCellsOverlap(*game.controller1.part, *game.controller2.part); }

// Both paddles start heading right: player 1 drives forward into player 2,
// who backs into player 1; then player 1 turns against player 2.
TEST_F(HouseRules, SolidPaddlesNeverOverlapWhereOtherwiseTheyPassThrough) {
  const struct {
    bool solid;
    bool passThrough;  // player 1 ends right of player 2
  } cases[] = {{false, true}, {true, false}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.solid ? "solid" : "off");
    if (&c != cases) TearDown(), SetUp();  // each case in a fresh world
    buildGame();
    game->solidPaddles = c.solid;
    frame();
    applyPlayerInput(key(1, kForward, true), *game, drag);
    applyPlayerInput(key(2, kBackward, true), *game, drag);
    int overlapped = 0;
    for (int i = 0; i < 150; ++i) {
      if (i == 100) {
        applyPlayerInput(key(1, kForward, false), *game, drag);
        applyPlayerInput(key(1, kTurnLeft, true), *game, drag);
      }
      now += 16, frame();
      overlapped += paddlesOverlap(*game);
    }
    const float x1 = game->controller1.part->screenCentre().x, x2 = game->controller2.part->screenCentre().x;
    EXPECT_EQ(x1 > x2, c.passThrough) << x1 << " " << x2;
    if (c.solid) {
      EXPECT_EQ(overlapped, 0);
      // Stopped against each other, not short of each other: 20 cells wide.
      EXPECT_LT(x2 - x1, 20 * 1.28f + 4);
      EXPECT_EQ(game->controller2.speed, 0);
    } else {
      EXPECT_GT(overlapped, 0);
    }
  }
}

// Player 2 drives off its start; player 1's bomb lands on it.
TEST_F(HouseRules, ABombSendsAPaddleHomeStillSteeredOnlyUnderItsRule) {
  const struct {
    const char* name;
    bool returns, solid;
    bool parkOnStart;  // player 1's paddle waits on player 2's start point
  } cases[] = {
      {"off", false, false, false},
      {"on", true, false, false},
      {"on, home occupied, solid paddles part again", true, true, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    if (&c != cases) TearDown(), SetUp();  // each case in a fresh world
    buildGame();
    game->bombReturnsPaddle = c.returns;
    game->solidPaddles = c.solid;
    frame();
    CPlayerController& paddle = game->controller2;
    applyPlayerInput(key(2, kForward, true), *game, drag);
    for (int i = 0; i < 15; ++i) now += 16, frame();
    applyPlayerInput(key(2, kForward, false), *game, drag);
    for (int i = 0; i < 40; ++i) now += 16, frame();
    ASSERT_EQ(paddle.speed, 0);
    const Vec2 before = paddle.part->screenCentre();
    // Beyond the blast from the start point: the parked paddle is spared.
    ASSERT_GT(before.x - startPoint(2).x, 45);
    if (c.parkOnStart) {
      game->controller1.position = startPoint(2);
      game->controller1.part->setGridPosition(screenToGrid(startPoint(2)));
    }

    CGamePart* bomb = placePart(1, before, false, 1);
    bomb->drop();
    EXPECT_TRUE(bomb->dying);
    EXPECT_FALSE(paddle.part->dying);
    const Vec2 expected = c.returns ? gridToScreen(screenToGrid(startPoint(2))) : before;
    EXPECT_FLOAT_EQ(paddle.part->screenCentre().x, expected.x);
    EXPECT_FLOAT_EQ(paddle.part->screenCentre().y, expected.y);
    if (c.returns) {
      EXPECT_FLOAT_EQ(paddle.position.x, startPoint(2).x);
    }
    EXPECT_EQ(paddlesOverlap(*game), c.parkOnStart);

    // Its owner steers it on from there, out from under the other paddle too.
    applyPlayerInput(key(2, kForward, true), *game, drag);
    for (int i = 0; i < 20; ++i) now += 16, frame();
    EXPECT_GT(paddle.part->screenCentre().x, expected.x + 10);
    EXPECT_FALSE(paddlesOverlap(*game));
    for (int i = 0; i < 40; ++i) now += 16, frame();
    EXPECT_EQ(g_partList.size(), 4u);  // the bomb gone, both paddles and both templates for sale
  }
}

}  // namespace
