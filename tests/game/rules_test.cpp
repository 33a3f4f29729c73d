// The match's rules frame by frame with a fake clock: victory and what
// freezes after it (turn times are the replays' and the pause test's); the one seam every player's hands go through, the computer's
// included; and the settings file a modder writes into data/settings.xml
// and the game writes back (spending is the shop tests', earning the replays').
#include <sys/stat.h>

#include <algorithm>

#include "game/match_settings.h"
#include "game/player_input.h"
#include "game_world.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"

namespace {

// Banner pictures are told apart by their height: 32 for a turn, 40 and 44 for the winners.
int bannerHeight(const CGameScene& scene) { return scene.banner ? static_cast<int>(scene.banner->height) : 0; }

using Turns = GameWorld;

TEST_F(Turns, AValueAboveTheTargetWinsPlayerOneFirstAndTheGameFreezes) {
  buildGame();
  frame();
  game->player1Value = game->player2Value = 30000;
  frame();
  EXPECT_FALSE(game->gameOver) << "a value equal to the target does not win";
  game->player2Value = game->player1Value = 30001;
  now += 3000;
  frame();
  ASSERT_TRUE(game->gameOver);
  EXPECT_EQ(bannerHeight(*scene), 40) << "both passed in one frame: player 1 wins";
  EXPECT_EQ(scene->bannerDuration, 5000);
  const float timer = scene->timerDown->scaleX, bar1 = scene->bar1->y;
  const Vec2 steered = game->controller1.part->screenCentre();
  game->controller1.keyPress(kForward);
  EXPECT_FLOAT_EQ(game->controller1.speed, 1.125f);  // keys still act on the controller
  earnValue(2, 500);
  EXPECT_FLOAT_EQ(game->player2Value, 30501);  // the collectors still pay
  CGamePart* mine = placePart(1, Vec2{100, 100});
  for (int i = 0; i < 100; ++i) now += 100, frame();
  // No more turns, timer, bars or steering, and the shop leaves.
  EXPECT_EQ(game->currentPlayer, 1);
  EXPECT_FLOAT_EQ(scene->timerDown->scaleX, timer);
  EXPECT_FLOAT_EQ(scene->bar1->y, bar1);
  EXPECT_FLOAT_EQ(game->controller1.part->screenCentre().x, steered.x);
  EXPECT_FLOAT_EQ(game->controller1.part->screenCentre().y, steered.y);
  EXPECT_LT(game->shop1.position.y, -200);
  EXPECT_EQ(scene->banner, nullptr);
  EXPECT_NE(std::find(g_partList.begin(), g_partList.end(), mine), g_partList.end());
  drag.mouseMotion(100, 100);
  drag.press();
  EXPECT_EQ(drag.part, nullptr) << "nothing can be picked up any more";
}

class PlayerInputSeam : public GameWorld {
 protected:
  void hand(int player, PlayerAction action, int code = 0, Vec2 at = Vec2{}) {
    applyPlayerInput(PlayerInput{player, action, code, at.x, at.y}, *game, drag);
  }
};

TEST_F(PlayerInputSeam, TheMouseActsOnlyForThePlayerWhoseTurnItIs) {
  buildGame();
  startTurn();
  ASSERT_EQ(game->currentPlayer, 1);
  const Vec2 shelf = game->shop1.templates[0]->screenCentre();
  hand(2, PlayerAction::kMouseMotion, 0, shelf);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  EXPECT_FALSE(drag.held) << "player 2's hand bought in player 1's turn";
  EXPECT_FLOAT_EQ(drag.mouse.x, 0);
  hand(1, PlayerAction::kMouseMotion, 0, shelf);
  hand(1, PlayerAction::kButtonDown, kLeftButton);
  CGamePart* bought = drag.part;
  ASSERT_NE(bought, nullptr);
  EXPECT_FLOAT_EQ(game->player1Value, 4000);
  // The other hand can neither turn, move nor drop what player 1 holds.
  hand(2, PlayerAction::kButtonDown, kWheelDown);
  hand(2, PlayerAction::kMouseMotion, 0, Vec2{300, 300});
  hand(2, PlayerAction::kButtonUp, kLeftButton);
  EXPECT_EQ(drag.part, bought);
  EXPECT_FLOAT_EQ(bought->rotation, 0);
  EXPECT_NEAR(bought->screenCentre().x, shelf.x, 1);
  hand(1, PlayerAction::kButtonDown, kWheelDown);
  hand(1, PlayerAction::kButtonUp, kLeftButton);
  EXPECT_FLOAT_EQ(bought->rotation, 0.15f);
  EXPECT_NE(bought->placedTime, 0u);
  // A part held over the turn change is dropped there, but the button is let go only by its own hand.
  CGamePart* held = placePart(1, Vec2{400, 150}, false);
  hand(1, PlayerAction::kMouseMotion, 0, Vec2{400, 150});
  hand(1, PlayerAction::kButtonDown, kLeftButton);
  ASSERT_EQ(drag.part, held);
  game->changeTurn(2, *scene, drag);
  EXPECT_TRUE(drag.part == nullptr && held->placedTime == now);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  hand(2, PlayerAction::kButtonUp, kLeftButton);
  EXPECT_EQ(drag.holder * 10 + drag.held, 11);
  hand(1, PlayerAction::kButtonUp, kLeftButton);
  hand(2, PlayerAction::kButtonDown, kLeftButton);
  EXPECT_EQ(drag.holder * 10 + drag.held, 21);
}

}  // namespace

using Settings = GameWorld;

// A large value that reads is written back as the same number, so the next
// start reads exactly what this one did (each value's reading is the XML
// binding's table; unreadable ones in the game are the bad content test's).
TEST_F(Settings, AShortFileIsRewrittenWithAllNineKeysAndTheStartValues) {
  writeFile("data/settings.xml", "<Settings>\n  <P1_InitValue>2147483648</P1_InitValue><P1_TargetValue>10000</P1_TargetValue>\n"
                                 "<TurnLength>30</TurnLength><DraggingAllowed>1</DraggingAllowed>"
                                 "<SolidPaddles>1</SolidPaddles></Settings>");
  buildGame();
  EXPECT_FLOAT_EQ(game->turnLength, 30);
  EXPECT_FLOAT_EQ(valueScale, 10000);  // player 1's target, for both players
  EXPECT_TRUE(draggingAllowed);
  EXPECT_TRUE(game->solidPaddles);
  EXPECT_FALSE(game->bombReturnsPaddle);
  EXPECT_EQ(game->player1Value, 2147483648.0f);
  earnValue(1, 50);  // values reached in play are not written back
  const std::string written =
      "<Settings>\n  <P1_InitValue>\n    2147483648\n  </P1_InitValue>\n  <P2_InitValue>\n    5000\n  </P2_InitValue>\n"
      "  <P1_TargetValue>\n    10000\n  </P1_TargetValue>\n  <P2_TargetValue>\n    30000\n  </P2_TargetValue>\n"
      "  <TurnLength>\n    30\n  </TurnLength>\n  <ChangeTime>\n    749\n  </ChangeTime>\n"
      "  <DraggingAllowed>\n    1\n  </DraggingAllowed>\n  <SolidPaddles>\n    1\n  </SolidPaddles>\n"
      "  <BombReturnsPaddle>\n    0\n  </BombReturnsPaddle>\n</Settings>\n";
  EXPECT_EQ(testing_support::fileText("data/settings.xml"), written);
  // A replay's settings file is the match's settings in the same form.
  MatchSettings played = settingsOf(*game);
  played.value1 = 2147483648.0f;
  EXPECT_EQ(settingsXml(played), written);
  // Each rule goes in and comes out on its own.
  for (int rules = 0; rules < 4; ++rules) {
    MatchSettings s;
    s.solidPaddles = rules & 1;
    s.bombReturnsPaddle = rules & 2;
    applySettings(s, *game);
    const MatchSettings back = settingsOf(*game);
    EXPECT_EQ(back.solidPaddles, s.solidPaddles) << rules;
    EXPECT_EQ(back.bombReturnsPaddle, s.bombReturnsPaddle) << rules;
  }
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
  EXPECT_EQ(testing_support::fileText("data/settings.xml.bak"), handEdited);
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
