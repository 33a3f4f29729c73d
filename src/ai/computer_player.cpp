// The computer player's hands: driving its steered part to where its mind
// wants it with key presses and releases, and carrying out a purchase with
// the mouse in its own turn. Every action goes out as a player input.
#include "ai/computer_player.h"

#include <cmath>
#include <utility>

#include "ai/computer_planner.h"

#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/player_controller.h"
#include "game/rules.h"
#include "platform/clock.h"
#include "sim/cell_grid.h"

namespace {

// The look-ahead's work per step, the pointer's pace, and the gaps between
// two presses of a key and two wheel clicks are the level's (at hard: about
// 0.4 ms of work, 750 pixels a second, twelve presses a second). A quick tap
// holds a key for two steps (steps are 16 ms).
constexpr uint32_t kTapSteps = 2;
constexpr float kWheelStep = 0.15f;
constexpr int kStepMs = 16;
// Steps kept in hand beyond the estimate, so a purchase is never cut short by
// the end of the turn.
constexpr float kSpareSteps = 40;

// Driving: close enough in pixels and radians, and how the controller's
// numbers behave (speed and turn are scaled by 0.16 per step; coasting takes
// 0.675 off the speed and damping keeps 0.7 of the turn rate each step).
// Driving forward gets within kNear; from there taps of the reverse key,
// which stops at once when let go, creep the last pixels: a part a cell off
// its place changes where the pool spills.
constexpr float kNear = 3.0f;
constexpr float kArrive = 0.6f;
constexpr float kAim = 0.04f;
constexpr float kFacing = 0.6f;
constexpr float kTimeFactor = 0.16f;
constexpr float kCoastStep = 0.675f;
constexpr float kTurnCoast = kTimeFactor / (1.0f - 0.7f);
constexpr float kReverseWithin = 40.0f;
constexpr float kPi = 3.14159265f;

float wrapAngle(float a) {
  while (a > kPi) a -= 2 * kPi;
  while (a < -kPi) a += 2 * kPi;
  return a;
}

float clickRotation(int clicks) {
  float r = 0;
  for (int k = 0; k < clicks; ++k) r = r + kWheelStep;
  for (int k = 0; k > clicks; --k) r = r + -kWheelStep;
  return r;
}

float distance(Vec2 a, Vec2 b) { return std::sqrt(sqr(a.x - b.x) + sqr(a.y - b.y)); }

}  // namespace

CComputerPlayer::CComputerPlayer(int player, uint32_t seed, ComputerLevel level)
    : player_(player),
      level_(level),
      params_(levelParams(level)),
      mind_(std::make_unique<CComputerPlanner>(player, seed, level)),
      slips_(seed * 2891336453u + 1) {}

CComputerPlayer::CComputerPlayer(int player, ComputerLevel level, std::unique_ptr<IComputerMind> mind)
    : player_(player), level_(level), params_(levelParams(level)), mind_(std::move(mind)), slips_(1) {}

void CComputerPlayer::reset() {
  mind_->reset();
  steps_ = 0;
  nudged_ = 0;
  for (uint32_t& changed : keyChanged_) changed = 0;
  mouse_ = Vec2{256, 256};
  lastWheel_ = 0;
  hand_ = Hand::kIdle;
  plan_.reset();
  heldPart_ = 0;
  reachAt_ = 0;
  dropOff_ = Vec2{0, 0};
}

void CComputerPlayer::step(const CGameManager& game, const CDragState& drag, std::vector<PlayerInput>& out) {
  ++steps_;
  mind_->think(game, params_.thinkBudget);
  steer(game, out);
  useMouse(game, drag, out);
  // After the hand has claimed what it just bought.
  mind_->watch(game);
}

void CComputerPlayer::letGo(const CGameManager& game, const CDragState& drag, std::vector<PlayerInput>& out) {
  const CPlayerController& c = player_ == 1 ? game.controller1 : game.controller2;
  for (int d = 0; d < 4; ++d) {
    if (!c.keys[d]) continue;
    PlayerInput in;
    in.player = player_;
    in.action = PlayerAction::kKeyUp;
    in.code = d;
    out.push_back(in);
  }
  if (drag.held && drag.holder == player_) button(PlayerAction::kButtonUp, kLeftButton, out);
  hand_ = Hand::kIdle;
  plan_.reset();
}

void CComputerPlayer::setKey(const int* keys, int dir, bool down, std::vector<PlayerInput>& out) {
  if ((keys[dir] != 0) == down) return;
  // A press waits until the last change has reached the world through the
  // input delay; a release ends a tap after a fixed time either way.
  if (steps_ - keyChanged_[dir] < (down ? params_.keyGap + inputDelay_ : kTapSteps)) return;
  keyChanged_[dir] = steps_;
  PlayerInput in;
  in.player = player_;
  in.action = down ? PlayerAction::kKeyDown : PlayerAction::kKeyUp;
  in.code = dir;
  out.push_back(in);
}

void CComputerPlayer::steer(const CGameManager& game, std::vector<PlayerInput>& out) {
  const CPlayerController& c = player_ == 1 ? game.controller1 : game.controller2;
  const std::optional<PaddlePose>& pose = mind_->pose();
  bool forward = false, backward = false, left = false, right = false;
  if (c.part && pose && !game.gameOver) {
    Vec2 target = gridToScreen(pose->grid);
    // The controller keeps its part inside the arena; aim a little inside.
    const float fromCentre = std::sqrt(distanceSqToArenaCentre(target));
    if (fromCentre > kArenaRadius - 2) {
      const float k = (kArenaRadius - 2) / fromCentre;
      target = Vec2{kArenaCentreX + (target.x - kArenaCentreX) * k, kArenaCentreY + (target.y - kArenaCentreY) * k};
    }
    const float heading = std::atan2(c.direction.y, c.direction.x);
    const float dist = distance(target, c.position);
    float goal = pose->heading;
    bool reverse = false;
    if (dist > kNear) {
      goal = std::atan2(target.y - c.position.y, target.x - c.position.x);
      // Close and behind: back up rather than turn round.
      if (dist < kReverseWithin && std::fabs(wrapAngle(goal - heading)) > 2.2f) {
        goal = wrapAngle(goal + kPi);
        reverse = true;
      }
    } else if (dist > kArrive) {
      // Facing away from the place, to back into it.
      goal = std::atan2(c.position.y - target.y, c.position.x - target.x);
      reverse = true;
    }
    // Turning goes on by itself for a while after the key is let go.
    const float rest = wrapAngle(goal - heading) - c.turnRate * kTurnCoast;
    right = rest > kAim;
    left = rest < -kAim;
    const float off = std::fabs(wrapAngle(goal - heading));
    if (dist > kNear && off < kFacing) {
      if (reverse) {
        backward = true;
      } else {
        // The speed from which coasting stops right on the target.
        const float wanted = std::sqrt(2 * kCoastStep * dist / kTimeFactor);
        forward = c.speed < wanted - 0.5f;
      }
    } else if (dist > kArrive && reverse && off < kAim * 2 && c.speed == 0 && c.turnRate == 0) {
      backward = true;  // a tap: let go as soon as it may be
    } else if (dist <= kArrive && params_.repairSteps != 0 && steps_ - nudged_ >= params_.repairSteps &&
               c.speed == 0 && c.turnRate == 0) {
      // A nudge, which stamps the part whole again: a tap of a turning key
      // towards the heading it should have, which turns it about two
      // hundredths of a radian and keeps it within aim (a tap of a driving
      // key would carry it most of a pixel and set it turning round to back
      // into its place).
      right = wrapAngle(goal - heading) >= 0;
      left = !right;
      nudged_ = steps_;
    }
  }
  setKey(c.keys, kForward, forward, out);
  setKey(c.keys, kBackward, backward, out);
  setKey(c.keys, kTurnLeft, left, out);
  setKey(c.keys, kTurnRight, right, out);
}

void CComputerPlayer::button(PlayerAction action, int code, std::vector<PlayerInput>& out) {
  PlayerInput in;
  in.player = player_;
  in.action = action;
  in.code = code;
  in.x = mouse_.x;
  in.y = mouse_.y;
  out.push_back(in);
}

bool CComputerPlayer::moveMouse(Vec2 point, std::vector<PlayerInput>& out) {
  const float dist = distance(point, mouse_);
  if (dist < 1.0f) return true;
  const float step = dist < params_.mouseStep ? dist : params_.mouseStep;
  // Whole pixels, as a real pointer reports them.
  mouse_ = Vec2{std::round(mouse_.x + (point.x - mouse_.x) / dist * step),
                std::round(mouse_.y + (point.y - mouse_.y) / dist * step)};
  PlayerInput in;
  in.player = player_;
  in.action = PlayerAction::kMouseMotion;
  in.x = mouse_.x;
  in.y = mouse_.y;
  out.push_back(in);
  return distance(point, mouse_) < 1.0f;
}

void CComputerPlayer::useMouse(const CGameManager& game, const CDragState& drag, std::vector<PlayerInput>& out) {
  const bool myTurn = game.currentPlayer == player_ && !game.gameOver;
  const bool pressed = drag.held && drag.holder == player_;
  if (!myTurn) {
    // The turn change dropped whatever was in hand; free the mouse.
    if (hand_ == Hand::kCarrying) mind_->noteDropped();
    if (pressed) button(PlayerAction::kButtonUp, kLeftButton, out);
    hand_ = Hand::kIdle;
    plan_.reset();
    return;
  }
  const CShop& shop = player_ == 1 ? game.shop1 : game.shop2;
  const float value = player_ == 1 ? game.player1Value : game.player2Value;
  const float msLeft = game.turnStart + game.turnLength - static_cast<float>(platform::gameTicks());
  switch (hand_) {
    case Hand::kIdle: {
      if (pressed) {
        button(PlayerAction::kButtonUp, kLeftButton, out);
        return;
      }
      if (!plan_) {
        plan_ = mind_->takePurchase();
        if (!plan_) return;
        reachAt_ = steps_ + slips_.upTo(params_.hesitateSteps);
        dropOff_ = Vec2{0, 0};
        if (params_.dropSlip > 0) {
          const float unit = params_.dropSlip / 1000.0f;
          dropOff_ = Vec2{static_cast<float>(slips_.upTo(2000)) * unit - params_.dropSlip,
                          static_cast<float>(slips_.upTo(2000)) * unit - params_.dropSlip};
        }
      }
      const size_t index = static_cast<size_t>(plan_->templateIndex);
      if (index >= shop.templates.size() || shop.templates[index]->cost > value) {
        plan_.reset();
        return;
      }
      // Wait for the shop to come in and for the other hand to let go.
      if (shop.position.y < kShopShownY - 1 || drag.held || steps_ < reachAt_) return;
      const Vec2 at = shop.templates[index]->screenCentre();
      const float reach = distance(mouse_, at) + distance(at, gridToScreen(plan_->grid));
      const float steps = reach / params_.mouseStep +
                          static_cast<float>(static_cast<uint32_t>(std::abs(plan_->clicks)) * params_.wheelGap) +
                          kSpareSteps;
      if (msLeft < steps * kStepMs) {
        plan_.reset();
        return;
      }
      hand_ = Hand::kToShop;
      return;
    }
    case Hand::kToShop: {
      const size_t index = static_cast<size_t>(plan_->templateIndex);
      if (index >= shop.templates.size() || drag.held) {
        hand_ = Hand::kIdle;
        plan_.reset();
        return;
      }
      if (moveMouse(shop.templates[index]->screenCentre(), out)) {
        button(PlayerAction::kButtonDown, kLeftButton, out);
        hand_ = Hand::kPressed;
        pressedAt_ = steps_;
      }
      return;
    }
    case Hand::kPressed: {
      const CGamePart* part = drag.part;
      if (drag.held && drag.holder == player_ && part && part->ownerPlayer == player_ && !part->inShop) {
        heldPart_ = part->id;
        mind_->noteBought(heldPart_);
        hand_ = Hand::kCarrying;
        return;
      }
      if (steps_ - pressedAt_ <= inputDelay_) return;  // the press is still under way
      // Nothing came into the hand (the price could not be paid after all).
      button(PlayerAction::kButtonUp, kLeftButton, out);
      hand_ = Hand::kIdle;
      plan_.reset();
      return;
    }
    case Hand::kCarrying: {
      const CGamePart* part = drag.part;
      if (!part || part->id != heldPart_) {
        button(PlayerAction::kButtonUp, kLeftButton, out);
        hand_ = Hand::kIdle;
        plan_.reset();
        return;
      }
      const float turnLeft = clickRotation(plan_->clicks) - part->rotation;
      const bool turned = std::fabs(turnLeft) < kWheelStep * 0.5f;
      if (!turned && steps_ - lastWheel_ >= params_.wheelGap + inputDelay_) {
        const int wheel = turnLeft > 0 ? kWheelDown : kWheelUp;
        button(PlayerAction::kButtonDown, wheel, out);
        button(PlayerAction::kButtonUp, wheel, out);
        lastWheel_ = steps_;
      }
      const Vec2 spot = gridToScreen(plan_->grid);
      const bool there =
          moveMouse(Vec2{spot.x - drag.grabOffset.x + dropOff_.x, spot.y - drag.grabOffset.y + dropOff_.y}, out);
      if (there && turned) {
        button(PlayerAction::kButtonUp, kLeftButton, out);
        mind_->noteDropped();
        hand_ = Hand::kIdle;
        plan_.reset();
      }
      return;
    }
  }
}
