// Named match lengths: each sets the targets and the turn length a match is
// played with, starting from what data/settings.xml gives, so a modder's
// settings stay the measure and the file itself is left alone.
#pragma once

#include <string>
#include <vector>

#include "game/match_settings.h"

struct MatchLength {
  const char* name;   // as data/options.xml keeps it
  const char* label;  // as the options screen shows it
  float targetScale;  // of the file's targets, measured from the start values
  float turnScale;    // of the file's turn length
};

const std::vector<MatchLength>& matchLengths();
// The named length, or the standard one for a name it does not know.
const MatchLength& matchLengthNamed(const std::string& name);

// The file's settings played at that length: the distance from each start
// value to its target is scaled, so a quick match needs less blood, not a
// smaller start.
MatchSettings atLength(const MatchSettings& file, const MatchLength& length);
