// What a computer player's hands ask of its judgement: where to park the
// steered part and what to buy next. The look-ahead planner is one mind; the
// scripted strategies in strategies.h are others, played by the same hands.
#pragma once

#include <optional>

#include "core/math2d.h"

class CGameManager;

// Where the steered part should sit: its centre in grid coordinates and the
// heading (the part's rotation) in radians.
struct PaddlePose {
  Vec2 grid;
  float heading = 0;
};

// A purchase worth its price: which template of the player's shop, where its
// centre goes (grid coordinates), and how many wheel clicks turn it (positive
// turns clockwise by 0.15 radians each).
struct PartPlan {
  int templateIndex = 0;
  Vec2 grid;
  int clicks = 0;
  float cost = 0;
};

class IComputerMind {
 public:
  virtual ~IComputerMind() = default;
  // Forgets everything (a new match).
  virtual void reset() = 0;
  // Every step, before the hands act: `budget` units of work to think with.
  virtual void think(const CGameManager& game, int budget) = 0;
  // Every step, after the hands acted.
  virtual void watch(const CGameManager& game) = 0;
  virtual const std::optional<PaddlePose>& pose() const = 0;
  // The purchase it wants now; taking it clears it.
  virtual std::optional<PartPlan> takePurchase() = 0;
  // The hand holds a part it just bought.
  virtual void noteBought(int partId) = 0;
  // The hand laid its part down, or the turn's end dropped it.
  virtual void noteDropped() = 0;
};

// A mind that holds one pose and offers one purchase at a time, which the
// hands take once: what simple, scripted minds share.
class CPlainMind : public IComputerMind {
 public:
  void watch(const CGameManager&) override {}
  const std::optional<PaddlePose>& pose() const override { return pose_; }
  std::optional<PartPlan> takePurchase() override {
    std::optional<PartPlan> plan = purchase_;
    purchase_.reset();
    return plan;
  }

 protected:
  std::optional<PaddlePose> pose_;
  std::optional<PartPlan> purchase_;
};
