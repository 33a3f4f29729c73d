// The computer's levels by name, as a menu or a command line would give
// them: every level's name reads back as that level, nothing else reads.
#include <gtest/gtest.h>

#include <string>

#include "ai/computer_level.h"

namespace {

TEST(ComputerLevel, NamesReadBackAndNothingElseReads) {
  for (ComputerLevel level : {ComputerLevel::kEasy, ComputerLevel::kNormal, ComputerLevel::kHard}) {
    ComputerLevel read = level == ComputerLevel::kEasy ? ComputerLevel::kHard : ComputerLevel::kEasy;
    EXPECT_TRUE(parseLevel(levelName(level), read)) << levelName(level);
    EXPECT_EQ(read, level) << levelName(level);
  }
  EXPECT_STREQ(levelName(ComputerLevel::kEasy), "easy");
  EXPECT_STREQ(levelName(ComputerLevel::kNormal), "normal");
  EXPECT_STREQ(levelName(ComputerLevel::kHard), "hard");
  for (const char* bad : {"", "Easy", "HARD", "hard ", " normal", "medium", "eas", "easy\n", "1"}) {
    ComputerLevel level = ComputerLevel::kNormal;
    EXPECT_FALSE(parseLevel(bad, level)) << '"' << bad << '"';
    EXPECT_EQ(level, ComputerLevel::kNormal) << "a refused name leaves the level as it was";
  }
}

}  // namespace
