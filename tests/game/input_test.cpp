// The keyboard and mouse table: which key drives which player, what the mouse
// buttons and wheel do, and the two ways of ending the game.
#include "game_world.h"
#include "input.h"

namespace {

SDL_Event key(bool down, SDLKey sym) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.keysym.sym = sym;
  return e;
}

SDL_Event button(bool down, int which) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = static_cast<Uint8>(which);
  return e;
}

SDL_Event motion(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = static_cast<Uint16>(x);
  e.motion.y = static_cast<Uint16>(y);
  return e;
}

}  // namespace

class Input : public GameWorld {
 protected:
  void send(const SDL_Event& e) { dispatchEvent(e, running, game.get(), drag); }
  bool running = true;
};

TEST_F(Input, WasdDrivesPlayerOneAndTheArrowsPlayerTwo) {
  writeDefaultParts();
  buildGame();
  struct Row { SDLKey sym; int player; int dir; };
  const Row table[] = {{SDLK_d, 1, 0}, {SDLK_w, 1, 1}, {SDLK_s, 1, 2}, {SDLK_a, 1, 3},
                       {SDLK_RIGHT, 2, 0}, {SDLK_UP, 2, 1}, {SDLK_DOWN, 2, 2}, {SDLK_LEFT, 2, 3}};
  for (const Row& row : table) {
    CPlayerController& mine = row.player == 1 ? game->controller1 : game->controller2;
    CPlayerController& other = row.player == 1 ? game->controller2 : game->controller1;
    send(key(true, row.sym));
    EXPECT_EQ(mine.keys[row.dir], 1) << row.sym;
    EXPECT_EQ(other.keys[row.dir], 0) << row.sym;
    send(key(false, row.sym));
    EXPECT_EQ(mine.keys[row.dir], 0) << row.sym;
  }
  EXPECT_TRUE(running);
}

TEST_F(Input, EachKeyDownChangesTheSpeedOnce) {
  writeDefaultParts();
  buildGame();
  send(key(true, SDLK_w));
  send(key(true, SDLK_w));
  EXPECT_FLOAT_EQ(game->controller1.speed, 2.25f);
  send(key(false, SDLK_UP));  // never pressed: only the flag, already 0
  EXPECT_FLOAT_EQ(game->controller2.speed, 0);
}

TEST_F(Input, EscapeAndCloseEndTheLoopEvenWithoutAGame) {
  dispatchEvent(key(true, SDLK_ESCAPE), running, nullptr, drag);
  EXPECT_FALSE(running);
  running = true;
  SDL_Event quit{};
  quit.type = SDL_QUIT;
  dispatchEvent(quit, running, nullptr, drag);
  EXPECT_FALSE(running);
  running = true;
  dispatchEvent(key(false, SDLK_ESCAPE), running, nullptr, drag);
  dispatchEvent(motion(10, 10), running, nullptr, drag);
  dispatchEvent(button(true, 1), running, nullptr, drag);
  EXPECT_TRUE(running);
  EXPECT_FALSE(drag.held);
}

TEST_F(Input, TheMouseBuysDragsTurnsAndDrops) {
  writeDefaultParts();
  buildGame();
  frame();
  for (int i = 0; i < 60; ++i) {
    now += 16;
    frame();  // the shop slides in
  }
  CGamePart* t = game->shop1.templates[0];
  CGamePart* forSale = t;
  // The steered template is out on the board; buy from it there.
  Vec2 at = forSale->screenCentre();
  send(motion(static_cast<int>(at.x), static_cast<int>(at.y)));
  send(button(true, 1));
  ASSERT_NE(drag.part, nullptr);
  CGamePart* bought = drag.part;
  EXPECT_NE(bought, t);
  EXPECT_FLOAT_EQ(game->player1Value, 4000);
  send(motion(400, 150));
  EXPECT_NEAR(bought->screenCentre().x, 400 + drag.grabOffset.x, 1e-3);
  send(button(true, 4));
  EXPECT_FLOAT_EQ(bought->rotation, -0.15f);
  send(button(true, 5));
  send(button(true, 5));
  EXPECT_FLOAT_EQ(bought->rotation, 0.15f);
  send(button(true, 2));
  send(button(true, 3));
  EXPECT_FLOAT_EQ(bought->rotation, 0.15f);
  send(button(false, 3));
  EXPECT_EQ(drag.part, bought);
  send(button(false, 1));
  EXPECT_FALSE(drag.held);
  EXPECT_EQ(drag.part, nullptr);
  EXPECT_EQ(bought->placedTime, now);
  EXPECT_EQ(bought->ownerPlayer, 1);  // outside the arena: still movable
}
