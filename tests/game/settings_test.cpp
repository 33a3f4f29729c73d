// The game settings file and the players' values: what a modder writes into
// data/settings.xml, what the game writes back, and earning and spending.
#include <sys/stat.h>

#include "game_world.h"

using Settings = GameWorld;

TEST_F(Settings, AFileWithOnlyTheTurnLengthIsRewrittenWithAllSevenKeys) {
  writeDefaultParts();
  writeFile("data/settings.xml", "<Settings>\n  <TurnLength>30</TurnLength>\n</Settings>\n");
  buildGame();
  EXPECT_FLOAT_EQ(game->turnLength, 30);
  EXPECT_EQ(readFile("data/settings.xml"),
            "<Settings>\n"
            "  <P1_InitValue>\n    5000\n  </P1_InitValue>\n"
            "  <P2_InitValue>\n    5000\n  </P2_InitValue>\n"
            "  <P1_TargetValue>\n    30000\n  </P1_TargetValue>\n"
            "  <P2_TargetValue>\n    30000\n  </P2_TargetValue>\n"
            "  <TurnLength>\n    30\n  </TurnLength>\n"
            "  <ChangeTime>\n    749\n  </ChangeTime>\n"
            "  <DraggingAllowed>\n    0\n  </DraggingAllowed>\n"
            "</Settings>\n");
}

TEST_F(Settings, AMissingFileIsCreatedWithTheDefaults) {
  writeDefaultParts();
  buildGame();
  std::string text = readFile("data/settings.xml");
  EXPECT_NE(text.find("<ChangeTime>\n    749\n"), std::string::npos) << text;
  EXPECT_FLOAT_EQ(game->player1Value, 5000);
  EXPECT_FLOAT_EQ(game->player2Target, 30000);
  EXPECT_FALSE(game->gameOver);
  EXPECT_EQ(game->currentPlayer, 0);
}

TEST_F(Settings, StartValuesAreWrittenBackNotValuesReachedInPlay) {
  writeDefaultParts();
  writeFile("data/settings.xml",
            "<Settings><P1_InitValue>100</P1_InitValue><P2_InitValue>200</P2_InitValue>"
            "<P1_TargetValue>10000</P1_TargetValue><P2_TargetValue>40000</P2_TargetValue>"
            "<TurnLength>3000</TurnLength><ChangeTime>10</ChangeTime>"
            "<DraggingAllowed>1</DraggingAllowed></Settings>");
  buildGame();
  EXPECT_FLOAT_EQ(game->player1Value, 100);
  EXPECT_FLOAT_EQ(game->player2Value, 200);
  EXPECT_FLOAT_EQ(game->changeTime, 10);
  EXPECT_TRUE(draggingAllowed);
  EXPECT_FLOAT_EQ(valueScale, 10000);  // player 1's target, for both players
  earnValue(1, 50);
  std::string text = readFile("data/settings.xml");
  EXPECT_NE(text.find("<P1_InitValue>\n    100\n"), std::string::npos) << text;
  EXPECT_NE(text.find("<DraggingAllowed>\n    1\n"), std::string::npos) << text;
}

TEST_F(Settings, DraggingAllowedKeepsPartsInTheArenaMovable) {
  writeDefaultParts();
  writeFile("data/settings.xml", "<Settings><DraggingAllowed>1</DraggingAllowed></Settings>");
  buildGame();
  frame();
  CGamePart* mine = placePart(1, Vec2{264, 330}, false);
  mine->drop();
  EXPECT_EQ(mine->ownerPlayer, 1);
  drag.mouse = Vec2{264, 330};
  drag.press();
  EXPECT_EQ(drag.part, mine);
}

TEST_F(Settings, AHandEditedFileTheRewriteWouldCutShortIsKeptBesideIt) {
  writeDefaultParts();
  // The comment's inner end tag closes Settings early for the reader, so
  // ChangeTime keeps its default.
  const std::string handEdited =
      "<Settings>\n  <TurnLength>3000</TurnLength>\n  <!-- was:\n  <TurnLength>9000</TurnLength>\n  -->\n"
      "  <ChangeTime>10</ChangeTime>\n</Settings>\n";
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
  EXPECT_NE(readFile("data/settings.xml").find("<ChangeTime>\n    749\n"), std::string::npos);
  frame();
  EXPECT_EQ(game->currentPlayer, 1);
}

TEST_F(Settings, ASettingsFifoNeitherHangsStartUpNorIsReplaced) {
  writeDefaultParts();
  ASSERT_EQ(mkfifo("data/settings.xml", 0600), 0);
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  buildGame();
  const std::string errors = testing::internal::GetCapturedStderr();
  const std::string printed = testing::internal::GetCapturedStdout();
  EXPECT_NE(printed.find("Skipped data/settings.xml: not a regular file\n"), std::string::npos) << printed;
  EXPECT_EQ(errors, "Could not write data/settings.xml: not a regular file; the file was left as it was\n");
  struct stat info {};
  ASSERT_EQ(lstat("data/settings.xml", &info), 0);
  EXPECT_TRUE(S_ISFIFO(info.st_mode));
  EXPECT_FLOAT_EQ(game->turnLength, 5000);
  frame();
  EXPECT_EQ(game->currentPlayer, 1);
}

using Values = GameWorld;

TEST_F(Values, SpendingTheWholeValueLeavesNothingAndHalfAUnitMoreFails) {
  writeDefaultParts();
  buildGame();
  EXPECT_TRUE(spendValue(1, 5000));
  EXPECT_FLOAT_EQ(game->player1Value, 0);
  game->player1Value = 4999.5f;
  EXPECT_FALSE(spendValue(1, 5000));
  EXPECT_FLOAT_EQ(game->player1Value, 4999.5f);
}

TEST_F(Values, AnyOtherPlayerNumberSpendsFromPlayerTwo) {
  writeDefaultParts();
  buildGame();
  EXPECT_TRUE(spendValue(-1, 1000));
  EXPECT_FLOAT_EQ(game->player2Value, 4000);
  EXPECT_FLOAT_EQ(game->player1Value, 5000);
}

TEST_F(Values, EarningIsUncappedAndIgnoresUnknownPlayers) {
  writeDefaultParts();
  buildGame();
  earnValue(3, 100);
  earnValue(0, 100);
  EXPECT_FLOAT_EQ(game->player1Value, 5000);
  EXPECT_FLOAT_EQ(game->player2Value, 5000);
  earnValue(1, 40000);
  EXPECT_FLOAT_EQ(game->player1Value, 45000);
}
