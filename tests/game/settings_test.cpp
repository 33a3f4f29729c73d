// The game settings file: what a modder writes into data/settings.xml and
// what the game writes back; spending is the shop tests', earning the replays'.
#include <sys/stat.h>

#include "game_world.h"

using Settings = GameWorld;

TEST_F(Settings, AShortFileIsRewrittenWithAllSevenKeysAndTheStartValues) {
  writeFile("data/settings.xml", "<Settings>\n  <P1_InitValue>100</P1_InitValue><P1_TargetValue>10000</P1_TargetValue>\n"
                                 "<TurnLength>30</TurnLength><DraggingAllowed>1</DraggingAllowed></Settings>");
  buildGame();
  EXPECT_FLOAT_EQ(game->turnLength, 30);
  EXPECT_FLOAT_EQ(valueScale, 10000);  // player 1's target, for both players
  EXPECT_TRUE(draggingAllowed);
  earnValue(1, 50);  // values reached in play are not written back
  EXPECT_EQ(readFile("data/settings.xml"),
            "<Settings>\n  <P1_InitValue>\n    100\n  </P1_InitValue>\n  <P2_InitValue>\n    5000\n  </P2_InitValue>\n"
            "  <P1_TargetValue>\n    10000\n  </P1_TargetValue>\n  <P2_TargetValue>\n    30000\n  </P2_TargetValue>\n"
            "  <TurnLength>\n    30\n  </TurnLength>\n  <ChangeTime>\n    749\n  </ChangeTime>\n"
            "  <DraggingAllowed>\n    1\n  </DraggingAllowed>\n</Settings>\n");
}

TEST_F(Settings, AHandEditedFileTheRewriteWouldCutShortIsKeptBesideIt) {
  // The comment's inner end tag closes Settings early for the reader, so
  // ChangeTime keeps its default.
  const std::string handEdited = "<Settings>\n  <TurnLength>3000</TurnLength>\n  <!-- was:\n  <TurnLength>9000</TurnLength>\n"
                                 "  -->\n  <ChangeTime>10</ChangeTime>\n</Settings>\n";
  writeFile("data/settings.xml", handEdited);
  testing::internal::CaptureStdout();
  buildGame();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_FLOAT_EQ(game->changeTime, 749);
  EXPECT_EQ(readFile("data/settings.xml.bak"), handEdited);
  const std::string line =
      "data/settings.xml would change when written back; the file as it was is kept in data/settings.xml.bak\n";
  EXPECT_NE(printed.find(line), std::string::npos) << printed;
  EXPECT_EQ(printed.find(line), printed.rfind(line)) << printed;
}

TEST_F(Settings, ASettingsFifoNeitherHangsStartUpNorIsReplaced) {
  ASSERT_EQ(mkfifo("data/settings.xml", 0600), 0);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  buildGame();
  EXPECT_EQ(testing::internal::GetCapturedStderr(),
            "Could not write data/settings.xml: not a regular file; the file was left as it was\n");
  EXPECT_NE(testing::internal::GetCapturedStdout().find("Skipped data/settings.xml: not a regular file\n"),
            std::string::npos);
  struct stat info {};
  ASSERT_EQ(lstat("data/settings.xml", &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  frame();
  EXPECT_EQ(game->currentPlayer, 1);
}
