// What players are told: the help written from the part files, a blast the
// size of a bomb's reach, a collector glowing while it scores, and a refused
// purchase shaking its marker.
#include <filesystem>
#include <sstream>
#include <string>

#include "game/feedback.h"
#include "game/help_text.h"
#include "game_world.h"
#include "render/sprite.h"

using Feedback = GameWorld;

TEST_F(Feedback, TheHelpListsEveryPartOfEachShopFromItsFile) {
  for (const char* name : {"player1_1_paddle.xml", "player2_1_paddle.xml"}) writePart(name, 800, 30000);
  writePart("player1_2_laser.xml", 777, 12000);
  writePart("player1_3_boom.xml", 1400, 20000, 1);
  writePart("player2_2_wall.xml", 1200, 30000);
  buildGame(true, false);
  const std::string help = helpText(*game);
  // The shops differ, so each has its own list; the steered paddles are for sale in both.
  for (const char* line : {"player 1", "player 2", " laser      777  12 s  a solid part", " boom      1400     -  blows up",
                           " wall      1200  30 s  holds blood back"})
    EXPECT_NE(help.find(line), std::string::npos) << line << "\n" << help;
  std::istringstream lines(help);
  for (std::string line; std::getline(lines, line);) EXPECT_LE(line.size(), 49u) << line;
  // Two equal shops share one list.
  game->shop2.templates = game->shop1.templates;
  EXPECT_NE(helpText(*game).find("both"), std::string::npos);
}

TEST_F(Feedback, BlastsFlashesAndRefusalsShowAndFade) {
  for (const char* name : {"blast.png", "collector_flash.png"}) {
    std::filesystem::copy_file(sourceDir() + "/data/gfx/" + name, std::string("data/gfx/") + name);
  }
  buildGame(true);
  CFeedback feedback;
  g_feedback = &feedback;

  // A bomb's blast is drawn round where it went off, and fades away.
  CGamePart* bomb = placePart(1, Vec2{250, 350}, false, 1);
  bomb->drop();
  ASSERT_EQ(feedback.blastsShowing(), 1u);
  const CSprite* ring = feedback.blastSprite(0);
  EXPECT_FALSE(ring->behindGrid);
  EXPECT_GE(ring->width, 90);  // the ring's radius is the blast's reach, 45 pixels
  EXPECT_NEAR(ring->x + ring->width * 0.5f, bomb->screenCentre().x, 0.01f);
  EXPECT_NEAR(ring->y + ring->height * 0.5f, bomb->screenCentre().y, 0.01f);
  feedback.update();
  EXPECT_LT(ring->color[3], 1.0f);
  for (int i = 0; i < 40; ++i) feedback.update();
  EXPECT_EQ(feedback.blastsShowing(), 0u);

  // A collector glows while it scores and goes dark after.
  earnValue(2, 1);
  EXPECT_FLOAT_EQ(feedback.flashOpacity(2), 1.0f);
  EXPECT_FLOAT_EQ(feedback.flashOpacity(1), 0.0f);
  for (int i = 0; i < 11; ++i) feedback.update();
  EXPECT_GT(feedback.flashOpacity(2), 0.3f);
  earnValue(2, 1);  // the next maintenance pays again: still glowing fully
  EXPECT_FLOAT_EQ(feedback.flashOpacity(2), 1.0f);
  for (int i = 0; i < 30; ++i) feedback.update();
  EXPECT_FLOAT_EQ(feedback.flashOpacity(2), 0.0f);

  // A purchase the player cannot pay shakes a refusal over the part.
  game->player1Value = 10;
  CGamePart* t = game->shop1.templates[0];
  EXPECT_EQ(buyOrPick(t, 1), nullptr);
  ASSERT_FALSE(feedback.refusal()->hidden);
  float x0 = feedback.refusal()->x;
  feedback.update();
  feedback.update();
  EXPECT_NE(feedback.refusal()->x, x0);
  for (int i = 0; i < 30; ++i) feedback.update();
  EXPECT_TRUE(feedback.refusal()->hidden);
  g_feedback = nullptr;
}
