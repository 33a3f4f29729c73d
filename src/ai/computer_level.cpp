// The numbers behind each level of the computer player. Hard is its best:
// no slips, a person's quickest hands. Normal and easy think less per step,
// look less far, move their hands slower and slip more; tools/ai_match
// measures what each level wins against another.
#include "ai/computer_level.h"

namespace {

// thinkBudget, horizonSteps, bombTargets, mouseStep, keyGap, wheelGap,
// hesitateSteps, dropSlip, wrongPlacePercent, passPurchasePercent,
// repairSteps, streamHeights
constexpr ComputerLevelParams kEasyParams{6000, 120, 1, 5.0f, 10, 9, 90, 6.0f, 35, 40, 0, 1};
constexpr ComputerLevelParams kNormalParams{16000, 200, 2, 8.0f, 7, 6, 30, 2.0f, 10, 15, 120, 2};
constexpr ComputerLevelParams kHardParams{32000, 200, 3, 12.0f, 5, 4, 0, 0.0f, 0, 0, 30, 3};

}  // namespace

const char* levelName(ComputerLevel level) {
  switch (level) {
    case ComputerLevel::kEasy:
      return "easy";
    case ComputerLevel::kNormal:
      return "normal";
    case ComputerLevel::kHard:
      return "hard";
  }
  return "normal";
}

bool parseLevel(const std::string& name, ComputerLevel& level) {
  for (ComputerLevel l : {ComputerLevel::kEasy, ComputerLevel::kNormal, ComputerLevel::kHard}) {
    if (name == levelName(l)) {
      level = l;
      return true;
    }
  }
  return false;
}

const ComputerLevelParams& levelParams(ComputerLevel level) {
  switch (level) {
    case ComputerLevel::kEasy:
      return kEasyParams;
    case ComputerLevel::kNormal:
      return kNormalParams;
    case ComputerLevel::kHard:
      break;
  }
  return kHardParams;
}
