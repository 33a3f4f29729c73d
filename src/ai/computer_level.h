// How well the computer player plays: three levels, each a handful of numbers
// for the pace of its hands, the work of its look-ahead and the slips it
// makes. The slips come from the player's own seeded generator, so a replay
// repeats them.
#pragma once

#include <cstdint>
#include <string>

enum class ComputerLevel { kEasy, kNormal, kHard };

// A match against the computer, unless the options or --level say otherwise.
constexpr ComputerLevel kDefaultComputerLevel = ComputerLevel::kNormal;

struct ComputerLevelParams {
  // Look-ahead: work per step in slots of the model visited, the steps each
  // candidate is run ahead, and how many of the other player's parts are
  // tried as bomb targets in a round.
  int thinkBudget;
  int horizonSteps;
  int bombTargets;
  // Hands: pixels the pointer moves in a step at most, and the least steps
  // between two presses of a key and between two wheel clicks.
  float mouseStep;
  uint32_t keyGap;
  uint32_t wheelGap;
  // Slips: at most this many steps of dithering before reaching for the
  // shop; a part laid at most this many pixels off its place; the percent
  // of rounds whose parking place is any it tried rather than the best; the
  // percent of purchases worth their price it lets pass.
  uint32_t hesitateSteps;
  float dropSlip;
  int wrongPlacePercent;
  int passPurchasePercent;
  // Where the other player's steered part lay over its own when its own was
  // stamped, that part's ground is not its own: once the other moves away it
  // leaves a hole that blood falls through. A parked part is nudged every
  // this many steps, which stamps it whole again; 0 never (a beginner does
  // not know).
  uint32_t repairSteps;
  // How many of the heights under the stream it knows to park at, from the
  // lowest: the higher a part slanted under the stream, the sooner it takes
  // the stream from one lower down.
  int streamHeights;
};

const char* levelName(ComputerLevel level);
// Only the exact lower-case names: "easy", "normal", "hard".
bool parseLevel(const std::string& name, ComputerLevel& level);
const ComputerLevelParams& levelParams(ComputerLevel level);

// A small generator for the slips, apart from the look-ahead's own so a
// level without slips draws nothing and plays as if it had none.
class CSlipRandom {
 public:
  explicit CSlipRandom(uint32_t seed) : state_((seed ^ 0xA5F1523Du) ? seed ^ 0xA5F1523Du : 1) {}
  uint32_t next() {
    state_ ^= state_ << 13;
    state_ ^= state_ >> 17;
    state_ ^= state_ << 5;
    return state_;
  }
  // True with the given percent chance; draws nothing at 0.
  bool chance(int percent) { return percent > 0 && static_cast<int>(next() % 100) < percent; }
  // Evenly in [0, most]; draws nothing at 0.
  uint32_t upTo(uint32_t most) { return most == 0 ? 0 : next() % (most + 1); }

 private:
  uint32_t state_;
};
