// Look-ahead rounds of the computer player: a snapshot of the board, the
// candidates it may try, each run a few seconds ahead on the flow model, and
// the choice of where to park and what to buy.
#include "ai/computer_planner.h"

#include <algorithm>
#include <cmath>
#include <iterator>

#include "game/game_manager.h"
#include "game/game_part.h"
#include "platform/clock.h"
#include "render/image.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"

namespace {

constexpr int kStepMs = 16;
// Loading a candidate copies the board: counted as this many slot visits.
constexpr int kLoadWork = flow::kWidth * flow::kHeight / 8;

// The middle of player 1's collector, where a lid lies over it (the other
// collector is its mirror); where the stream leaves the throat, and the rows
// between the throat and the ridge's top where a part slanted under the
// stream turns it.
constexpr float kLeftLidX = 45.5f;
constexpr float kLidRow = 139.0f;
constexpr float kStreamX = 127.5f;
constexpr float kStreamRows[] = {40.0f, 58.0f, 75.0f};
constexpr int kStreamHeights = static_cast<int>(sizeof(kStreamRows) / sizeof(kStreamRows[0]));
constexpr float kRidgeTopRow = 95.0f;

// What a part turns the other way is lost to the other collector and won by
// this one: a look-ahead of a few seconds sees most of that swing, not the
// blood still on its way down the slopes.
constexpr float kSwing = 1.2f;
// A new parking place must beat the present one by this much blood over the
// look-ahead, or the part would wander between near-equal places.
constexpr int kPoseMargin = 80;
// Places within this much of the best are as good as the best, as far as a
// few seconds of look-ahead can tell; one of them is taken at random, so the
// computer does not always play the same way.
constexpr int kPoseTie = 40;
// How long a part is expected to last once the other player answers parts
// with bombs: the rest of this turn and the next one.
constexpr float kAnsweredSteps = 450;
constexpr float kBlastRadius = 45.0f;
constexpr float kWheelStep = 0.15f;
constexpr float kRadiansToDegrees = 57.29578f;
constexpr float kQuarterTurn = 1.5707964f;
constexpr float kEighthTurn = 0.7853982f;

float clickRotation(int clicks) {
  // The same sums the wheel makes, one click at a time.
  float r = 0;
  for (int k = 0; k < clicks; ++k) r = r + kWheelStep;
  for (int k = 0; k > clicks; --k) r = r + -kWheelStep;
  return r;
}

std::unique_ptr<CAlphaMask> copyMask(const CAlphaMask* mask) {
  return mask ? std::make_unique<CAlphaMask>(*mask) : nullptr;
}

// The mask a part stamps once turned to `rotation` from its unturned mask,
// as the game makes it; null where the game keeps none.
std::shared_ptr<const CAlphaMask> turned(const CAlphaMask* mask, float rotation) {
  if (!mask) return nullptr;
  const double degrees = 360.0 - rotation * kRadiansToDegrees;
  if (std::fabs(degrees) <= 0.001) return nullptr;
  return std::shared_ptr<const CAlphaMask>(rotateMask(mask, degrees));
}

}  // namespace

CComputerPlanner::CComputerPlanner(int player, uint32_t seed, ComputerLevel level)
    : player_(player), seed_(seed ? seed : 1), params_(levelParams(level)), slips_(seed) {}

CComputerPlanner::~CComputerPlanner() = default;

uint32_t CComputerPlanner::nextRandom() {
  seed_ ^= seed_ << 13;
  seed_ ^= seed_ >> 17;
  seed_ ^= seed_ << 5;
  return seed_;
}

void CComputerPlanner::reset() {
  candidates_.clear();
  current_ = 0;
  loaded_ = false;
  inRound_ = false;
  rounds_ = 0;
  pose_.reset();
  poseShape_.reset();
  purchase_.reset();
  parts_.clear();
  templates_.clear();
  paddle_.reset();
  myParts_.clear();
  paddleId_ = 0;
  roundIndex_ = 0;
  freshFromRound_ = 0;
  otherPlays_ = false;
}

void CComputerPlanner::watch(const CGameManager& game) {
  if (otherPlays_) return;
  const CPlayerController& other = player_ == 1 ? game.controller2 : game.controller1;
  if (other.speed != 0 || other.turnRate != 0) {
    otherPlays_ = true;
    return;
  }
  for (const CGamePart* p : g_partList) {
    if (!p->inShop && !p->steered && std::find(myParts_.begin(), myParts_.end(), p->id) == myParts_.end()) {
      otherPlays_ = true;
      return;
    }
  }
}

void CComputerPlanner::noteBought(int partId) {
  myParts_.push_back(partId);
  purchase_.reset();
  freshFromRound_ = roundIndex_ + 1;
}

void CComputerPlanner::noteDropped() {
  purchase_.reset();
  freshFromRound_ = roundIndex_ + 1;
}

std::optional<PartPlan> CComputerPlanner::takePurchase() {
  std::optional<PartPlan> plan = purchase_;
  purchase_.reset();
  return plan;
}

void CComputerPlanner::think(const CGameManager& game, int budget) {
  if (game.gameOver) return;
  int work = 0;
  if (!inRound_) {
    // Reading the whole board is a step's work of its own.
    startRound(game);
    return;
  }
  while (work < budget && current_ < candidates_.size()) {
    Candidate& c = candidates_[current_];
    if (!loaded_) {
      loadCandidate(c);
      loaded_ = true;
      work += kLoadWork;
    }
    while (work < budget && model_.steps() < params_.horizonSteps) work += model_.step();
    if (model_.steps() < params_.horizonSteps) return;
    c.score = score();
    c.done = true;
    loaded_ = false;
    ++current_;
    // Parts are tried with the steered part where it is going to be, so the
    // place is settled as soon as the last place has been tried.
    const bool lastPose = current_ == candidates_.size() || candidates_[current_].kind != Kind::kPose;
    if (c.kind == Kind::kPose && lastPose) {
      const Candidate* best = nullptr;
      const Candidate* kept = nullptr;
      for (const Candidate& p : candidates_) {
        if (p.kind != Kind::kPose) continue;
        if (!best || p.score > best->score) best = &p;
        if (pose_ && p.pose.grid.x == pose_->grid.x && p.pose.grid.y == pose_->grid.y &&
            p.pose.heading == pose_->heading) {
          kept = &p;
        }
      }
      const Candidate* chosen = kept && best->score - kept->score < kPoseMargin ? kept : nullptr;
      if (slips_.chance(params_.wrongPlacePercent)) {
        // Misjudged: any place it tried looks best.
        std::vector<const Candidate*> tried;
        for (const Candidate& p : candidates_) {
          if (p.kind == Kind::kPose) tried.push_back(&p);
        }
        chosen = tried[slips_.next() % tried.size()];
      }
      if (!chosen) {
        std::vector<const Candidate*> near;
        for (const Candidate& p : candidates_) {
          if (p.kind == Kind::kPose && p.score >= best->score - kPoseTie) near.push_back(&p);
        }
        chosen = near[nextRandom() % near.size()];
      }
      pose_ = chosen->pose;
      poseShape_ = chosen->shape;
      poseAt_ = chosen->at;
      baseScore_ = static_cast<float>(chosen->score);
    }
  }
  if (current_ >= candidates_.size()) finishRound();
}

void CComputerPlanner::startRound(const CGameManager& game) {
  const CPlayerController& mine = player_ == 1 ? game.controller1 : game.controller2;
  const CShop& shop = player_ == 1 ? game.shop1 : game.shop2;
  if (!mine.part) return;
  value_ = player_ == 1 ? game.player1Value : game.player2Value;
  paddleId_ = mine.part->id;
  paddle_ = copyMask(mine.part->mask.get());
  templates_.clear();
  for (const CGamePart* t : shop.templates) {
    TemplateInfo info;
    info.mask = copyMask(t->mask.get());
    info.cost = t->cost;
    info.lifetime = t->lifetime;
    info.bomb = t->bomb != 0;
    templates_.push_back(std::move(info));
  }
  const uint32_t now = platform::gameTicks();
  parts_.clear();
  for (const CGamePart* p : g_partList) {
    const bool own = std::find(myParts_.begin(), myParts_.end(), p->id) != myParts_.end();
    if (p->inShop || p->steered || p->dying || p->finished) continue;
    PartInfo info;
    info.id = p->id;
    info.owner = own ? player_ : 3 - player_;
    info.screen = p->screenCentre();
    const float age = p->placedTime == 0 ? 0.0f : static_cast<float>(now - p->placedTime);
    info.stepsLeft = std::max(0.0f, p->lifetime - age) / static_cast<float>(kStepMs);
    parts_.push_back(info);
  }
  board_.captureRows(g_cellGrid, 0, flow::kHeight, player_ == 1);
  roundSeed_ = nextRandom();

  candidates_.clear();
  addPoseCandidates(game);
  if (!game.gameOver) addPartCandidates(game);
  current_ = 0;
  loaded_ = false;
  inRound_ = true;
  ++roundIndex_;
}

// Places are given as player 2 sees the board: the column the middle of a
// part's solid cells should fall on. Going by the solid cells rather than the
// mask's centre keeps the two sides exact mirrors even where a turned mask
// sits a cell off its centre. The stamp starts at the column the centre
// truncates to; the centre is aimed half a column into it, as far as can be
// from either neighbour. Player 1's place on the board is the mirror: the
// board mirrors cell c onto 255 - c.
void CComputerPlanner::place(Candidate& c, float referenceX, float y, Vec2& onBoard) const {
  const CAlphaMask* shape = c.shape.get();
  int first = -1, last = -1;
  for (int k = 0; shape && k < shape->width; ++k) {
    for (int r = 0; r < shape->height; ++r) {
      if (shape->data[static_cast<size_t>(k + r * shape->stride)] < 128) continue;
      if (first < 0) first = k;
      last = k;
      break;
    }
  }
  if (first < 0) {
    c.at = Vec2{referenceX, y};
    onBoard = Vec2{player_ == 2 ? referenceX : 256.0f - referenceX, y};
    return;
  }
  const float width = static_cast<float>(shape->width);
  const float left = std::floor(referenceX - static_cast<float>(first + last + 1) * 0.5f + 0.5f);
  const float boardLeft = player_ == 2 ? left : 256.0f - width - left;
  c.at = Vec2{left + width * 0.5f + 0.5f, y};
  onBoard = Vec2{boardLeft + width * 0.5f + 0.5f, y};
}

// The heights under the stream this level knows, highest first.
std::vector<float> CComputerPlanner::knownStreamRows() const {
  const int known = std::clamp(params_.streamHeights, 1, kStreamHeights);
  return std::vector<float>(std::end(kStreamRows) - known, std::end(kStreamRows));
}

// A heading as player 2 sees it, on the board.
float CComputerPlanner::side(float heading) const {
  if (player_ == 2) return heading;
  const float mirrored = 2 * kQuarterTurn - heading;
  return mirrored > 2 * kQuarterTurn ? mirrored - 4 * kQuarterTurn : mirrored;
}

// A mask as stamped on the board, as this player sees it.
std::shared_ptr<const CAlphaMask> CComputerPlanner::seen(std::shared_ptr<const CAlphaMask> shape) const {
  if (player_ == 2 || !shape) return shape;
  auto mirrored = std::make_shared<CAlphaMask>(shape->width, shape->height);
  for (int r = 0; r < shape->height; ++r) {
    for (int k = 0; k < shape->width; ++k) {
      mirrored->data[static_cast<size_t>(shape->width - 1 - k + r * mirrored->stride)] =
          shape->data[static_cast<size_t>(k + r * shape->stride)];
    }
  }
  return mirrored;
}

void CComputerPlanner::addPoseCandidates(const CGameManager&) {
  auto add = [this](float referenceX, float y, float reference) {
    Candidate c;
    c.kind = Kind::kPose;
    c.pose.heading = side(reference);
    c.shape = seen(turned(paddle_.get(), c.pose.heading));
    place(c, referenceX, y, c.pose.grid);
    for (const Candidate& other : candidates_) {
      if (other.at.x == c.at.x && other.at.y == c.at.y && other.pose.heading == c.pose.heading) return;
    }
    candidates_.push_back(c);
  };
  // Where it is going, kept unless another place is clearly better.
  if (pose_) {
    Candidate c;
    c.kind = Kind::kPose;
    c.pose = *pose_;
    c.shape = poseShape_;
    c.at = poseAt_;
    candidates_.push_back(c);
  }
  // A lid over the other collector, the blade lying flat.
  add(kLeftLidX, kLidRow, kQuarterTurn);
  add(kLeftLidX, kLidRow, -kQuarterTurn);
  // Slanted under the stream, so what falls on it slides off towards this
  // side; higher up it takes the stream before a part below can.
  for (float row : knownStreamRows()) add(kStreamX + 4.5f, row, -kEighthTurn);
  add(kStreamX + 4.5f, knownStreamRows().back(), 3 * kEighthTurn);
  // Home, out of the way.
  const Vec2 home = screenToGrid(startPoint(player_));
  add(player_ == 2 ? home.x : 256.0f - home.x, home.y, 2 * kQuarterTurn);
}

void CComputerPlanner::addPartCandidates(const CGameManager&) {
  // The players' parts are mirror images of each other, turned the other way.
  const int mirrored = player_ == 2 ? 1 : -1;
  auto add = [this](int index, float referenceX, float y, int clicks) {
    const TemplateInfo& t = templates_[static_cast<size_t>(index)];
    Candidate c;
    c.kind = Kind::kPart;
    c.shape = seen(clicks == 0 ? std::shared_ptr<const CAlphaMask>(copyMask(t.mask.get()))
                               : turned(t.mask.get(), clickRotation(clicks)));
    c.part = PartPlan{index, Vec2{}, clicks, t.cost};
    place(c, referenceX, y, c.part.grid);
    c.benefitSteps = templates_[static_cast<size_t>(index)].lifetime / static_cast<float>(kStepMs);
    if (otherPlays_) c.benefitSteps = std::min(c.benefitSteps, kAnsweredSteps);
    candidates_.push_back(c);
  };
  int bombIndex = -1;
  float reserve = 0;
  for (const TemplateInfo& t : templates_) {
    if (t.bomb) reserve = std::max(reserve, t.cost);
  }
  for (size_t i = 0; i < templates_.size(); ++i) {
    const TemplateInfo& t = templates_[i];
    const int index = static_cast<int>(i);
    if (t.bomb) {
      bombIndex = index;
      continue;
    }
    // Some value is kept back for a bomb, the answer to the other player's
    // parts.
    if (t.cost + reserve > value_ || !t.mask) continue;
    // Lids over the other collector; a tall part lies flat.
    const int flat = t.mask->height > t.mask->width ? 10 : 0;
    add(index, kLeftLidX, kLidRow, flat);
    // A long part slanted under the stream, or over the ridge's top.
    if (t.mask->width >= 40 && t.mask->height <= 12) {
      add(index, kStreamX + 4.5f, knownStreamRows().front(), mirrored * 5);
      add(index, kStreamX + 2.5f, kRidgeTopRow - 25, mirrored * 4);
    }
  }
  if (bombIndex < 0 || templates_[static_cast<size_t>(bombIndex)].cost > value_) return;
  // Bombs on the other player's parts, those nearest the stream first.
  std::vector<PartInfo> targets;
  for (const PartInfo& p : parts_) {
    if (p.owner != player_) targets.push_back(p);
  }
  const Vec2 stream = gridToScreen(Vec2{kStreamX, kStreamRows[1]});
  std::sort(targets.begin(), targets.end(), [&](const PartInfo& a, const PartInfo& b) {
    return sqr(a.screen.x - stream.x) + sqr(a.screen.y - stream.y) <
           sqr(b.screen.x - stream.x) + sqr(b.screen.y - stream.y);
  });
  const size_t tried = static_cast<size_t>(params_.bombTargets);
  if (targets.size() > tried) targets.resize(tried);
  for (const PartInfo& target : targets) {
    Candidate c;
    c.kind = Kind::kBomb;
    c.part = PartPlan{bombIndex, screenToGrid(target.screen), 0, templates_[static_cast<size_t>(bombIndex)].cost};
    for (const PartInfo& p : parts_) {
      if (sqr(p.screen.x - target.screen.x) + sqr(p.screen.y - target.screen.y) > sqr(kBlastRadius)) continue;
      c.removes.push_back(p.id);
      if (p.owner != player_) c.benefitSteps = std::max(c.benefitSteps, p.stepsLeft);
    }
    candidates_.push_back(c);
  }
}

void CComputerPlanner::loadCandidate(Candidate& c) {
  std::vector<int> without{paddleId_};
  if (c.kind == Kind::kBomb) without.insert(without.end(), c.removes.begin(), c.removes.end());
  model_.load(board_, without, roundSeed_);
  // Parts and bombs are tried with the steered part where it is going.
  const CAlphaMask* paddle = c.kind == Kind::kPose ? c.shape.get() : poseShape_.get();
  const Vec2 at = c.kind == Kind::kPose ? c.at : poseAt_;
  if (paddle) model_.stamp(*paddle, at.x, at.y);
  if (c.kind == Kind::kPart && c.shape) model_.stamp(*c.shape, c.at.x, c.at.y);
}

// As player 2 sees the board, its own collector is on the right.
int CComputerPlanner::score() const {
  return model_.collected(2) + model_.committed(2) - model_.collected(1) - model_.committed(1);
}

void CComputerPlanner::finishRound() {
  inRound_ = false;
  ++rounds_;
  purchase_.reset();
  // A purchase made while this round ran changed the board it looked at.
  if (roundIndex_ < freshFromRound_) return;
  float bestNet = 0;
  for (const Candidate& c : candidates_) {
    if (c.kind == Kind::kPose || !c.done) continue;
    const float perStep = (static_cast<float>(c.score) - baseScore_) / static_cast<float>(params_.horizonSteps);
    const float net = perStep * kSwing * c.benefitSteps - c.part.cost;
    if (net > bestNet && c.part.cost <= value_) {
      bestNet = net;
      purchase_ = c.part;
    }
  }
  // Not sure enough yet: perhaps next round.
  if (purchase_ && slips_.chance(params_.passPurchasePercent)) purchase_.reset();
}
