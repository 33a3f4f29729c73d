// A gamepad's state as the players' hands, without SDL or a game: who a pad
// plays, what the stick and the cross hold past the dead zone, how far a step
// moves the pointer, and the inputs and menu keys its events give.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/gamepad.h"
#include "support/scripted_game.h"

namespace {

SDL_Event axis(int pad, int which, int value) { return testing_support::padAxisEvent(pad, which, value); }
SDL_Event hat(int pad, int value) { return testing_support::padHatEvent(pad, value); }
SDL_Event button(int pad, int which, bool down) { return testing_support::padButtonEvent(pad, which, down); }

// Inputs as "p1 down 1", "p2 motion 8 0", "p1 button down 1 at 3 4".
std::string spelled(const std::vector<PlayerInput>& ins) {
  std::string out;
  for (const PlayerInput& in : ins) {
    out += out.empty() ? "" : ", ";
    out += "p" + std::to_string(in.player) + " ";
    switch (in.action) {
      case PlayerAction::kKeyDown: out += "down " + std::to_string(in.code); break;
      case PlayerAction::kKeyUp: out += "up " + std::to_string(in.code); break;
      case PlayerAction::kMouseMotion: out += "motion"; break;
      case PlayerAction::kButtonDown: out += "button down " + std::to_string(in.code); break;
      case PlayerAction::kButtonUp: out += "button up " + std::to_string(in.code); break;
    }
    if (in.action != PlayerAction::kKeyDown && in.action != PlayerAction::kKeyUp) {
      out += " at " + std::to_string(static_cast<int>(in.x)) + " " + std::to_string(static_cast<int>(in.y));
    }
  }
  return out;
}

TEST(Gamepad, EachPadHasItsPlayerAndALonePadLeavesPlayerOneTheKeyboard) {
  const struct {
    int pad, count, onlyPlayer, player;
  } cases[] = {
      {0, 2, 0, 1}, {1, 2, 0, 2}, {2, 3, 0, 0},  // a third pad plays nobody
      {0, 1, 0, 2},                              // one pad: player 2's
      {0, 1, 1, 1}, {1, 2, 2, 2}, {0, 2, 2, 2},  // one person's side here takes every pad
      {1, 1, 0, 0}, {-1, 2, 0, 0}, {0, 0, 0, 0}, // no such pad
  };
  for (const auto& c : cases) {
    EXPECT_EQ(padPlayer(c.pad, c.count, c.onlyPlayer), c.player) << c.pad << " of " << c.count << ", only " << c.onlyPlayer;
  }
}

TEST(Gamepad, OnlyATiltPastTheDeadZoneSteersOrMovesThePointer) {
  const unsigned fwd = 1u << kForward, back = 1u << kBackward, left = 1u << kTurnLeft, right = 1u << kTurnRight;
  const struct {
    int x, y;
    unsigned held;
    float dx, dy;  // pointer pixels a step from (100, 100)
  } cases[] = {
      {0, 0, 0, 0, 0},
      {kStickDeadZone, -kStickDeadZone, 0, 0, 0},  // at the edge of the dead zone: still resting
      {kStickDeadZone + 1, 0, right, 0.0003f, 0},
      {0, -32768, fwd, 0, -8},
      {32767, 32767, back | right, 8, 8},
      {-32768, 4000, left, -8, 0},
      {-20384, 0, left, -(20384.0f - kStickDeadZone) / (32767.0f - kStickDeadZone) * 8, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.x) + ", " + std::to_string(c.y));
    EXPECT_EQ(stickDirections(c.x, c.y), c.held);
    const Vec2 p = padPointerStep({100, 100}, c.x, c.y);
    EXPECT_NEAR(p.x, 100 + c.dx, 0.001f);
    EXPECT_NEAR(p.y, 100 + c.dy, 0.001f);
  }
  // The cross holds one or two directions; the pointer stays in the window.
  EXPECT_EQ(hatDirections(SDL_HAT_CENTERED), 0u);
  EXPECT_EQ(hatDirections(SDL_HAT_LEFTUP), left | fwd);
  EXPECT_EQ(hatDirections(SDL_HAT_RIGHTDOWN), right | back);
  const Vec2 corner = padPointerStep({509, 3}, 32767, -32768);
  EXPECT_EQ(corner.x, 511.0f);
  EXPECT_EQ(corner.y, 0.0f);
}

TEST(Gamepad, TheStickSteersOutsideItsTurnAndPointsInIt) {
  CGamepads pads;
  std::vector<PlayerInput> out;
  pads.setup(2, 0, out);
  ASSERT_TRUE(out.empty());
  const Vec2 pointer{100, 50};
  // Player 1's turn: pad 2's stick steers player 2, pad 1's stick points.
  pads.handleEvent(axis(1, 1, -30000), 1, pointer, true, out);
  pads.handleEvent(axis(0, 0, 32767), 1, pointer, true, out);
  EXPECT_EQ(spelled(out), "p2 down 1");
  out.clear();
  pads.step(1, pointer, out);
  pads.step(1, {108, 50}, out);  // the pad keeps its own pointer during a movement
  EXPECT_EQ(spelled(out), "p1 motion at 108 50, p1 motion at 116 50");
  out.clear();
  // The choose button buys where the pad's pointer is; a shoulder turns.
  pads.handleEvent(button(0, kPadChoose, true), 1, pointer, true, out);
  pads.handleEvent(button(0, kPadShoulderRight, true), 1, pointer, true, out);
  pads.handleEvent(button(0, kPadShoulderLeft, true), 1, pointer, true, out);
  EXPECT_EQ(spelled(out), "p1 button down 1 at 116 50, p1 button down 5 at 116 50, p1 button down 4 at 116 50");
  out.clear();
  // Player 2's turn: pad 1's stick now steers player 1, pad 2's stops
  // steering and points; the held button is let go once it is released.
  pads.step(2, pointer, out);
  EXPECT_EQ(spelled(out), "p1 down 0, p2 up 1, p2 motion at 100 43");
  out.clear();
  pads.handleEvent(button(0, kPadChoose, false), 2, pointer, true, out);
  pads.handleEvent(axis(0, 0, 100), 2, pointer, true, out);
  EXPECT_EQ(spelled(out), "p1 button up 1 at 116 50, p1 up 0");
  out.clear();
  // The cross steers in the player's own turn too; pads nobody found do nothing.
  pads.handleEvent(hat(1, SDL_HAT_LEFT), 2, pointer, true, out);
  pads.handleEvent(axis(5, 0, 32767), 2, pointer, true, out);
  pads.handleEvent(button(3, kPadChoose, true), 2, pointer, true, out);
  EXPECT_EQ(spelled(out), "p2 down 3");
}

TEST(Gamepad, AMenuGetsArrowsOnceATiltBeginsAndEnterAndEscapeFromTheButtons) {
  CGamepads pads;
  std::vector<PlayerInput> out;
  pads.setup(1, 0, out);
  const struct {
    SDL_Event event;
    SDLKey key;
  } cases[] = {
      {axis(0, 1, 3000), SDLK_UNKNOWN},     {axis(0, 1, 20000), SDLK_DOWN},
      {axis(0, 1, 30000), SDLK_UNKNOWN},    // still down: no second arrow
      {hat(0, SDL_HAT_DOWN), SDLK_UNKNOWN}, {axis(0, 1, 0), SDLK_UNKNOWN},
      {hat(0, SDL_HAT_CENTERED), SDLK_UNKNOWN}, {hat(0, SDL_HAT_UP), SDLK_UP},
      {axis(0, 0, -32768), SDLK_LEFT},      {button(0, kPadChoose, true), SDLK_RETURN},
      {button(0, kPadChoose, false), SDLK_UNKNOWN}, {button(0, kPadBack, true), SDLK_ESCAPE},
      {button(0, 7, true), SDLK_UNKNOWN},
  };
  for (const auto& c : cases) EXPECT_EQ(pads.handleEvent(c.event, 1, {}, false, out), c.key);
  EXPECT_TRUE(out.empty()) << "a menu's pad reaches no game: " << spelled(out);
  // Back in the game, what the pad holds reaches it at the next step, but
  // not a press made while the menu had the pad.
  pads.step(1, {}, out);
  EXPECT_EQ(spelled(out), "p2 down 1, p2 down 3");
}

}  // namespace
