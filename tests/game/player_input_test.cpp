// The one seam every player's hands go through, the computer's included: the
// mouse belongs to the player whose turn it is, a release drops only what its
// own press holds, and a key drives only its own player's controller.
#include "game/player_input.h"

#include "game_world.h"

namespace {

class PlayerInputSeam : public GameWorld {
 protected:
  void SetUp() override {
    GameWorld::SetUp();
    writeDefaultParts();
    buildGame();
    frame();  // player 1's turn
    for (int i = 0; i < 60; ++i) {
      now += 16;
      frame();  // the shop slides in
    }
  }
  void hand(int player, PlayerAction action, int code = 0, Vec2 at = Vec2{}) {
    PlayerInput in;
    in.player = player;
    in.action = action;
    in.code = code;
    in.x = at.x;
    in.y = at.y;
    applyPlayerInput(in, *game, drag);
  }
};

TEST_F(PlayerInputSeam, TheMouseActsOnlyForThePlayerWhoseTurnItIs) {
  ASSERT_EQ(game->currentPlayer, 1);
  const Vec2 shelf = game->shop1.templates[0]->screenCentre();
  // Player 2's hand in player 1's turn: no pointer, no purchase.
  hand(2, PlayerAction::kMouseMotion, 0, shelf);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  EXPECT_FALSE(drag.held);
  EXPECT_FLOAT_EQ(drag.mouse.x, 0);
  EXPECT_FLOAT_EQ(game->player1Value + game->player2Value, 10000);

  hand(1, PlayerAction::kMouseMotion, 0, shelf);
  hand(1, PlayerAction::kButtonDown, kLeftButton);
  ASSERT_NE(drag.part, nullptr);
  CGamePart* bought = drag.part;
  EXPECT_EQ(drag.holder, 1);
  EXPECT_FLOAT_EQ(game->player1Value, 4000);

  // The other hand can neither turn, move nor drop what player 1 holds.
  hand(2, PlayerAction::kButtonDown, kWheelDown);
  hand(2, PlayerAction::kMouseMotion, 0, Vec2{300, 300});
  hand(2, PlayerAction::kButtonUp, kLeftButton);
  EXPECT_EQ(drag.part, bought);
  EXPECT_FLOAT_EQ(bought->rotation, 0);
  EXPECT_NEAR(bought->screenCentre().x, shelf.x, 1);

  hand(1, PlayerAction::kButtonDown, kWheelDown);
  hand(1, PlayerAction::kButtonUp, kLeftButton);
  EXPECT_FLOAT_EQ(bought->rotation, 0.15f);
  EXPECT_FALSE(drag.held);
  EXPECT_NE(bought->placedTime, 0u);
}

TEST_F(PlayerInputSeam, AButtonHeldOverTheTurnChangeIsLetGoOnlyByItsOwnHand) {
  hand(1, PlayerAction::kMouseMotion, 0, Vec2{400, 150});
  hand(1, PlayerAction::kButtonDown, kLeftButton);  // nothing there: held, empty-handed
  ASSERT_TRUE(drag.held);
  game->changeTurn(2, *scene, drag);
  // Player 2 cannot press while player 1's button is still down...
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  hand(2, PlayerAction::kButtonUp, kLeftButton);
  EXPECT_TRUE(drag.held);
  EXPECT_EQ(drag.holder, 1);
  // ...until player 1 lets go, in player 2's turn.
  hand(1, PlayerAction::kButtonUp, kLeftButton);
  EXPECT_FALSE(drag.held);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  EXPECT_TRUE(drag.held);
  EXPECT_EQ(drag.holder, 2);
}

TEST_F(PlayerInputSeam, AKeyDrivesOnlyItsOwnPlayersController) {
  const struct {
    int player;
    int dir;
  } rows[] = {{1, kForward}, {1, kTurnLeft}, {2, kBackward}, {2, kTurnRight}};
  for (const auto& row : rows) {
    CPlayerController& mine = row.player == 1 ? game->controller1 : game->controller2;
    CPlayerController& other = row.player == 1 ? game->controller2 : game->controller1;
    hand(row.player, PlayerAction::kKeyDown, row.dir);
    EXPECT_EQ(mine.keys[row.dir], 1) << row.player << " " << row.dir;
    EXPECT_EQ(other.keys[row.dir], 0) << row.player << " " << row.dir;
    hand(row.player, PlayerAction::kKeyUp, row.dir);
    EXPECT_EQ(mine.keys[row.dir], 0) << row.player << " " << row.dir;
  }
}

}  // namespace
