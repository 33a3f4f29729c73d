// The one seam every player's hands go through, the computer's included: the
// mouse belongs to the player whose turn it is, a release drops only what its
// own press holds, and a key drives only its own player's controller; and the
// two ways of ending the game.
#include "game/player_input.h"
#include "game_world.h"
#include "input.h"

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
  // A button held over the turn change is let go only by its own hand.
  hand(1, PlayerAction::kMouseMotion, 0, Vec2{400, 150});
  hand(1, PlayerAction::kButtonDown, kLeftButton);
  game->changeTurn(2, *scene, drag);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  hand(2, PlayerAction::kButtonUp, kLeftButton);
  EXPECT_EQ(drag.holder * 10 + drag.held, 11);
  hand(1, PlayerAction::kButtonUp, kLeftButton);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  EXPECT_EQ(drag.holder * 10 + drag.held, 21);
}

TEST_F(PlayerInputSeam, AKeyDrivesOnlyItsOwnPlayersControllerOnceAPress) {
  buildGame();
  bool running = true;
  const struct {
    SDLKey sym;
    int player, dir;
  } table[] = {{SDLK_d, 1, kTurnRight}, {SDLK_w, 1, kForward}, {SDLK_s, 1, kBackward}, {SDLK_a, 1, kTurnLeft},
               {SDLK_RIGHT, 2, kTurnRight}, {SDLK_UP, 2, kForward}, {SDLK_DOWN, 2, kBackward}, {SDLK_LEFT, 2, kTurnLeft}};
  for (const auto& row : table) {
    CPlayerController& mine = row.player == 1 ? game->controller1 : game->controller2;
    CPlayerController& other = row.player == 1 ? game->controller2 : game->controller1;
    SDL_Event e{};
    e.type = SDL_KEYDOWN;
    e.key.keysym.sym = row.sym;
    dispatchEvent(e, running, game.get(), drag);
    EXPECT_EQ(mine.keys[row.dir] * 10 + other.keys[row.dir], 10) << row.sym;
    e.type = SDL_KEYUP;
    dispatchEvent(e, running, game.get(), drag);
    EXPECT_EQ(mine.keys[row.dir], 0) << row.sym;
  }
  // Each key-down changes the speed once; a key-up never pressed only clears its flag.
  game->controller1.speed = game->controller2.speed = 0;
  hand(1, PlayerAction::kKeyDown, kForward);
  hand(1, PlayerAction::kKeyDown, kForward);
  hand(2, PlayerAction::kKeyUp, kForward);
  EXPECT_FLOAT_EQ(game->controller1.speed, 2.25f);
  EXPECT_FLOAT_EQ(game->controller2.speed, 0);
  EXPECT_TRUE(running);
}

TEST(Input, EscapeAndCloseEndTheLoopEvenWithoutAGame) {
  CDragState drag{};
  for (const Uint8 type : {SDL_KEYDOWN, SDL_QUIT}) {
    bool running = true;
    SDL_Event e{};
    e.type = type;
    e.key.keysym.sym = SDLK_ESCAPE;
    dispatchEvent(e, running, nullptr, drag);
    EXPECT_FALSE(running) << int(type);
  }
  bool running = true;
  SDL_Event up{};
  up.type = SDL_KEYUP;
  up.key.keysym.sym = SDLK_ESCAPE;
  dispatchEvent(up, running, nullptr, drag);
  EXPECT_TRUE(running);
}

}  // namespace
