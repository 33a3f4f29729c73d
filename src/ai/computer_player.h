// A computer player for either side: it steers its part with its player's
// four keys and, in its own turn, buys, turns and lays parts with the mouse,
// all through the same player inputs a person's keyboard and mouse make, at
// a person's pace. What to do comes from its mind: the look-ahead planner,
// or a scripted strategy handed in.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "ai/computer_level.h"
#include "ai/computer_mind.h"
#include "game/player_input.h"
#include "core/math2d.h"

class CGameManager;
struct CDragState;

class CComputerPlayer {
 public:
  // The seed makes its choices, and its slips, repeat exactly for the same
  // game.
  CComputerPlayer(int player, uint32_t seed, ComputerLevel level = kDefaultComputerLevel);
  // Hands at the level's pace that play what `mind` decides.
  CComputerPlayer(int player, ComputerLevel level, std::unique_ptr<IComputerMind> mind);

  int player() const { return player_; }
  ComputerLevel level() const { return level_; }

  // Forgets everything it knew, planned or held (a new match). It keeps no
  // part pointers, so this is safe whatever became of the parts.
  void reset();

  // Once per simulation step: looks at the game, thinks within a fixed
  // amount of work, and appends what its hands do in this step.
  void step(const CGameManager& game, const CDragState& drag, std::vector<PlayerInput>& out);

  // Lets go of every steering key of its player and of the mouse button, if
  // its player's press is held, before it is switched off.
  void letGo(const CGameManager& game, const CDragState& drag, std::vector<PlayerInput>& out);

  // Steps between its inputs and the step they reach (a networked match);
  // it waits that long before judging what a press or a click did.
  void setInputDelay(int steps) { inputDelay_ = static_cast<uint32_t>(steps); }

  const IComputerMind& mind() const { return *mind_; }

 private:
  enum class Hand { kIdle, kToShop, kPressed, kCarrying };

  void steer(const CGameManager& game, std::vector<PlayerInput>& out);
  // Keys and button are read from the game, not remembered: a person who
  // handed over with a key or the button still down is let go of too.
  void setKey(const int* keys, int dir, bool down, std::vector<PlayerInput>& out);
  void useMouse(const CGameManager& game, const CDragState& drag, std::vector<PlayerInput>& out);
  // Moves the pointer at most a hand's reach towards the point; true once there.
  bool moveMouse(Vec2 point, std::vector<PlayerInput>& out);
  void button(PlayerAction action, int code, std::vector<PlayerInput>& out);

  int player_;
  ComputerLevel level_;
  const ComputerLevelParams& params_;
  std::unique_ptr<IComputerMind> mind_;
  CSlipRandom slips_;
  uint32_t steps_ = 0;
  uint32_t keyChanged_[4] = {0, 0, 0, 0};
  uint32_t nudged_ = 0;
  Vec2 mouse_{256, 256};
  uint32_t lastWheel_ = 0;
  Hand hand_ = Hand::kIdle;
  std::optional<PartPlan> plan_;
  int heldPart_ = 0;  // id of the part in its hand
  uint32_t inputDelay_ = 0;
  uint32_t pressedAt_ = 0;
  // The slips for the plan in hand: the step before which it dithers, and
  // how far off its place the part goes down.
  uint32_t reachAt_ = 0;
  Vec2 dropOff_{0, 0};
};
