// The one key map and the one event translation: every steering key reaches
// its own player and direction and is named once for the replays; the
// mouse's player is left to the caller; what is not a player's input stays
// out.
#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/input.h"
#include "platform/key_map.h"

namespace {

SDL_Event key(bool down, SDLKey sym) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.keysym.sym = sym;
  return e;
}

SDL_Event button(bool down, int which, int x, int y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = static_cast<Uint8>(which);
  e.button.x = static_cast<Uint16>(x);
  e.button.y = static_cast<Uint16>(y);
  return e;
}

TEST(KeyMap, EachSteeringKeyIsOnePlayersDirectionAndItsNameReadsBack) {
  std::set<std::string> names;
  for (int player = 1; player <= 2; ++player) {
    for (int dir = kTurnRight; dir <= kTurnLeft; ++dir) {
      const char* name = steeringKeyName(player, dir);
      ASSERT_NE(name, nullptr) << player << " " << dir;
      EXPECT_TRUE(names.insert(name).second) << name << " steers twice";
      const KeyBinding* b = bindingNamed(name);
      ASSERT_NE(b, nullptr) << name;
      EXPECT_EQ(b, bindingOfKey(b->key)) << name << ": another key row shadows it";
      EXPECT_EQ(b->player, player);
      EXPECT_EQ(b->direction, dir);
      EXPECT_EQ(b->command, AppCommand::kNone);
    }
  }
  EXPECT_STREQ(commandKeyName(AppCommand::kEnter), "enter");
  EXPECT_EQ(commandOfKey(SDLK_KP_ENTER), AppCommand::kEnter);
  EXPECT_EQ(commandOfKey(SDLK_w), AppCommand::kNone);
  EXPECT_EQ(bindingOfKey(SDLK_q), nullptr);
}

TEST(EventTranslation, KeysNameTheirPlayerTheMouseLeavesItOpen) {
  const struct {
    const char* name;
    SDL_Event event;
    bool input;
    int player;
    PlayerAction action;
    int code;
  } cases[] = {
      {"W down", key(true, SDLK_w), true, 1, PlayerAction::kKeyDown, kForward},
      {"A up", key(false, SDLK_a), true, 1, PlayerAction::kKeyUp, kTurnLeft},
      {"Right down", key(true, SDLK_RIGHT), true, 2, PlayerAction::kKeyDown, kTurnRight},
      {"Down up", key(false, SDLK_DOWN), true, 2, PlayerAction::kKeyUp, kBackward},
      {"left button", button(true, 1, 30, 40), true, 0, PlayerAction::kButtonDown, kLeftButton},
      {"wheel down", button(true, 5, 30, 40), true, 0, PlayerAction::kButtonDown, kWheelDown},
      {"release", button(false, 1, 30, 40), true, 0, PlayerAction::kButtonUp, kLeftButton},
      {"right button", button(true, 3, 30, 40), false, 0, PlayerAction::kKeyDown, 0},
      {"Enter", key(true, SDLK_RETURN), false, 0, PlayerAction::kKeyDown, 0},
      {"F1", key(true, SDLK_F1), false, 0, PlayerAction::kKeyDown, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    PlayerInput in;
    ASSERT_EQ(playerInputOf(c.event, in), c.input);
    if (!c.input) continue;
    EXPECT_EQ(in.player, c.player);
    EXPECT_EQ(in.action, c.action);
    EXPECT_EQ(in.code, c.code);
    if (c.player == 0) {
      EXPECT_EQ(in.x, 30);
      EXPECT_EQ(in.y, 40);
    }
  }
  SDL_Event motion{};
  motion.type = SDL_MOUSEMOTION;
  motion.motion.x = 511, motion.motion.y = 7;
  PlayerInput in;
  ASSERT_TRUE(playerInputOf(motion, in));
  EXPECT_EQ(in.action, PlayerAction::kMouseMotion);
  EXPECT_EQ(in.x, 511);
  EXPECT_EQ(in.y, 7);

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  EXPECT_TRUE(isQuit(quit));
  EXPECT_TRUE(isQuit(key(true, SDLK_ESCAPE)));
  EXPECT_FALSE(isQuit(key(false, SDLK_ESCAPE)));
  EXPECT_FALSE(playerInputOf(key(true, SDLK_ESCAPE), in));
}

// Choosing keys changes the one table: a chosen key steers through the same
// translation, keeps the row's replay name, swaps within a player, and a
// key of the other player or of the game is refused.
TEST(KeyMap, ChosenKeysSteerThroughTheSameTableUntilTheDefaultsComeBack) {
  const struct {
    int player, direction;
    SDLKey key;
    bool taken;
  } choices[] = {
      {1, kForward, SDLK_i, true},
      {1, kBackward, SDLK_UP, false},      // player 2's
      {2, kTurnLeft, SDLK_i, false},       // player 1's now
      {2, kTurnLeft, SDLK_ESCAPE, false},  // the game's
      {2, kTurnLeft, SDLK_F11, false},
      {2, kTurnLeft, SDLK_KP_ENTER, false},
      {1, kTurnLeft, SDLK_d, true},        // player 1's own turn right: the two swap
      {2, kForward, SDLK_w, true},         // W is free since I took its place
  };
  for (const auto& c : choices) {
    SCOPED_TRACE(std::to_string(c.player) + " " + std::to_string(c.direction) + " " + std::to_string(c.key));
    EXPECT_EQ(steeringKeyRefusal(c.player, c.direction, c.key).empty(), c.taken);
    EXPECT_EQ(chooseSteeringKey(c.player, c.direction, c.key), c.taken);
  }
  const struct {
    SDLKey key;
    bool input;
    int player, direction;
  } steering[] = {
      {SDLK_i, true, 1, kForward}, {SDLK_d, true, 1, kTurnLeft}, {SDLK_a, true, 1, kTurnRight},
      {SDLK_w, true, 2, kForward}, {SDLK_UP, false, 0, 0},       {SDLK_s, true, 1, kBackward},
  };
  for (const auto& c : steering) {
    PlayerInput in;
    ASSERT_EQ(playerInputOf(key(true, c.key), in), c.input) << c.key;
    if (!c.input) continue;
    EXPECT_EQ(in.player, c.player) << c.key;
    EXPECT_EQ(in.code, c.direction) << c.key;
  }
  // Replays still spell the row by its first name, whatever key it holds.
  EXPECT_STREQ(steeringKeyName(1, kForward), "w");
  EXPECT_EQ(bindingNamed("w")->key, SDLK_i);
  EXPECT_EQ(commandOfKey(SDLK_ESCAPE), AppCommand::kQuit);
  resetSteeringKeys();
  for (int player = 1; player <= 2; ++player) {
    for (int direction = kTurnRight; direction <= kTurnLeft; ++direction) {
      EXPECT_EQ(steeringKey(player, direction), defaultSteeringKey(player, direction));
    }
  }
  EXPECT_EQ(steeringKey(1, kForward), SDLK_w);
}

}  // namespace
