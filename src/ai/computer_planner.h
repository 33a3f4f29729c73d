// The computer player's judgement: rounds of look-ahead on a byte copy of the
// board that try where to park its steered part and which part to lay or
// bomb to drop, scored by what would reach its collector against the other.
// Player 1 looks at the board in a mirror, so it sees it as player 2 does:
// the same situation on either side leads to the same choice.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <vector>

#include "ai/computer_level.h"
#include "ai/computer_mind.h"
#include "ai/flow_model.h"
#include "core/math2d.h"

class CGameManager;
struct CAlphaMask;

class CComputerPlanner : public IComputerMind {
 public:
  // The level sets how far ahead it looks, how many bombs it tries and how
  // often it misjudges; hard is its best judgement.
  CComputerPlanner(int player, uint32_t seed, ComputerLevel level = kDefaultComputerLevel);
  ~CComputerPlanner() override;
  CComputerPlanner(const CComputerPlanner&) = delete;
  CComputerPlanner& operator=(const CComputerPlanner&) = delete;

  // Forgets every round, result and plan.
  void reset() override;
  // Every step: notices whether the other player plays at all (steers or
  // buys), which a round could miss.
  void watch(const CGameManager& game) override;
  // Goes on with the current round for about `budget` units of work (a unit
  // is a slot of the model visited); a finished round updates the pose and
  // the purchase.
  void think(const CGameManager& game, int budget) override;

  const std::optional<PaddlePose>& pose() const override { return pose_; }
  // The purchase the last round found worth its price; taking it clears it.
  std::optional<PartPlan> takePurchase() override;
  int roundsDone() const { return rounds_; }
  // A part this player bought, so later rounds know it for its own.
  void noteBought(int partId) override;
  // The hand laid a part down: rounds that began before it did not see it
  // lying there (or a bomb's work done) and propose no purchase.
  void noteDropped() override;

 private:
  enum class Kind { kPose, kPart, kBomb };
  struct Candidate {
    Kind kind = Kind::kPose;
    PaddlePose pose;  // kPose, on the board
    PartPlan part;    // kPart, kBomb, on the board
    // The steered part (kPose) or the bought part (kPart) as the game will
    // stamp it, turned, and where, both as this player sees the board;
    // null when it stamps nothing.
    std::shared_ptr<const CAlphaMask> shape;
    Vec2 at;
    std::vector<int> removes;  // kBomb: ids of the parts it would destroy
    float benefitSteps = 0;    // how long a part's effect would last
    int score = 0;
    bool done = false;
  };
  // What the round knows of a part on the board, by value: the part itself
  // may be gone by the time the round uses it.
  struct PartInfo {
    int id = 0;
    int owner = 0;
    Vec2 screen;
    float stepsLeft = 0;
  };

  uint32_t nextRandom();
  void startRound(const CGameManager& game);
  std::vector<float> knownStreamRows() const;
  float side(float heading) const;
  std::shared_ptr<const CAlphaMask> seen(std::shared_ptr<const CAlphaMask> shape) const;
  void place(Candidate& c, float referenceX, float y, Vec2& onBoard) const;
  void addPoseCandidates(const CGameManager& game);
  void addPartCandidates(const CGameManager& game);
  void loadCandidate(Candidate& c);
  int score() const;
  void finishRound();

  int player_;
  uint32_t seed_;
  const ComputerLevelParams& params_;
  CSlipRandom slips_;
  uint32_t roundSeed_ = 1;
  CBoardSnapshot board_;
  CFlowModel model_;
  std::vector<Candidate> candidates_;
  size_t current_ = 0;
  bool loaded_ = false;
  bool inRound_ = false;
  int rounds_ = 0;
  int paddleId_ = 0;
  std::vector<PartInfo> parts_;
  float baseScore_ = 0;
  std::optional<PaddlePose> pose_;
  std::shared_ptr<const CAlphaMask> poseShape_;
  Vec2 poseAt_;
  std::optional<PartPlan> purchase_;
  float value_ = 0;

  // Masks of the player's templates and steered part, copied when a round
  // starts so no pointer into a part outlives the step it was read in.
  struct TemplateInfo {
    std::unique_ptr<CAlphaMask> mask;
    float cost = 0;
    float lifetime = 0;
    bool bomb = false;
  };
  std::vector<TemplateInfo> templates_;
  std::unique_ptr<CAlphaMask> paddle_;
  // Parts this player laid, by id: once locked in the arena a part no longer
  // says whose it was.
  std::vector<int> myParts_;
  int roundIndex_ = 0;       // of the round in progress
  int freshFromRound_ = 0;   // rounds before this one did not see the last purchase
  // Whether the other player plays: one who does will answer a part laid
  // now with a bomb soon after; one who never touches anything will not.
  bool otherPlays_ = false;
};
