// The match length presets; see match_length.h.
#include "app/match_length.h"

#include <cmath>

const std::vector<MatchLength>& matchLengths() {
  // Turns grow with the match: a long match is for the careful builder.
  static const std::vector<MatchLength> lengths = {
      {"quick", "Quick", 0.5f, 1.0f},
      {"standard", "Standard", 1.0f, 1.0f},
      {"long", "Long", 2.0f, 1.4f},
  };
  return lengths;
}

const MatchLength& matchLengthNamed(const std::string& name) {
  for (const MatchLength& length : matchLengths()) {
    if (name == length.name) return length;
  }
  return matchLengths()[1];
}

MatchSettings atLength(const MatchSettings& file, const MatchLength& length) {
  MatchSettings s = file;
  auto scaled = [&length](float start, float target) {
    const float result = start + (target - start) * length.targetScale;
    // A target at or below the start would end the match on its first step.
    return std::isfinite(result) && result > start ? std::round(result) : target;
  };
  s.target1 = scaled(file.value1, file.target1);
  s.target2 = scaled(file.value2, file.target2);
  const float turn = std::round(file.turnLength * length.turnScale);
  if (std::isfinite(turn) && turn > 0) s.turnLength = turn;
  return s;
}
