// The one seam every player's hands go through, the computer's included: the
// mouse belongs to the player whose turn it is, and a release drops only what
// its own press holds.
#include "game/player_input.h"
#include "game_world.h"

namespace {

class PlayerInputSeam : public GameWorld {
 protected:
  void hand(int player, PlayerAction action, int code = 0, Vec2 at = Vec2{}) {
    applyPlayerInput(PlayerInput{player, action, code, at.x, at.y}, *game, drag);
  }
};

TEST_F(PlayerInputSeam, TheMouseActsOnlyForThePlayerWhoseTurnItIs) {
  buildGame();
  startTurn();
  ASSERT_EQ(game->currentPlayer, 1);
  const Vec2 shelf = game->shop1.templates[0]->screenCentre();
  hand(2, PlayerAction::kMouseMotion, 0, shelf);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  EXPECT_FALSE(drag.held) << "player 2's hand bought in player 1's turn";
  EXPECT_FLOAT_EQ(drag.mouse.x, 0);
  hand(1, PlayerAction::kMouseMotion, 0, shelf);
  hand(1, PlayerAction::kButtonDown, kLeftButton);
  CGamePart* bought = drag.part;
  ASSERT_NE(bought, nullptr);
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
  EXPECT_NE(bought->placedTime, 0u);
  // A part held over the turn change is dropped there, but the button is let go only by its own hand.
  CGamePart* held = placePart(1, Vec2{400, 150}, false);
  hand(1, PlayerAction::kMouseMotion, 0, Vec2{400, 150});
  hand(1, PlayerAction::kButtonDown, kLeftButton);
  ASSERT_EQ(drag.part, held);
  game->changeTurn(2, *scene, drag);
  EXPECT_TRUE(drag.part == nullptr && held->placedTime == now);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  hand(2, PlayerAction::kButtonUp, kLeftButton);
  EXPECT_EQ(drag.holder * 10 + drag.held, 11);
  hand(1, PlayerAction::kButtonUp, kLeftButton);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  EXPECT_EQ(drag.holder * 10 + drag.held, 21);
}

}  // namespace
