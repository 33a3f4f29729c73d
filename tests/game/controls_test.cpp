// Steering where key presses cancel out, the mouse's pick scan, and the shop's
// hover marker that follows every second motion.
#include "game_world.h"
#include "render/sprite.h"

namespace {

// A held key must act even where the presses left a rate or speed of zero.
TEST(Steering, HeldKeysAlwaysActWhereThePressesCancelled) {
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> presses;  // direction, +1 press / -1 release / 0 a frame
    float speed, turnRate;                     // after the last frame
  } cases[] = {
      {"A and D held together turn left", {{kTurnLeft, 1}, {kTurnRight, 1}, {0, 0}, {0, 0}}, 0, -0.14f},
      {"D for a frame, then A", {{kTurnRight, 1}, {0, 0}, {kTurnRight, -1}, {kTurnLeft, 1}, {0, 0}, {0, 0}}, 0, -0.07f},
      {"W let go while S is held reverses", {{kForward, 1}, {0, 0}, {kForward, -1}, {kBackward, 1}, {0, 0}, {0, 0}},
       -1.125f, 0},
      {"a released turn damps out", {{kTurnLeft, 1}, {0, 0}, {kTurnLeft, -1}, {0, 0}}, 0, -0.098f},
      {"and stops below the threshold", {{kTurnLeft, 1}, {0, 0}, {kTurnLeft, -1}, {0, 0}, {0, 0}}, 0, 0},
      {"reverse stops the frame after the release", {{kBackward, 1}, {kBackward, -1}, {0, 0}}, 0, 0},
      {"forward tops out at twenty", {{kForward, 1}, {0, 0}}, 20, 0},  // and seventeen frames more
  };
  for (auto c : cases) {
    if (c.presses.size() == 2) c.presses.insert(c.presses.end(), 17, {0, 0});
    CPlayerController controller;
    controller.position = Vec2{264, 364};
    for (auto [dir, what] : c.presses) {
      if (what > 0) controller.keyPress(dir);
      if (what < 0) controller.keyRelease(dir);
      if (what == 0) controller.update();
    }
    EXPECT_NEAR(controller.speed, c.speed, 1e-6) << c.name;
    EXPECT_NEAR(controller.turnRate, c.turnRate, 1e-6) << c.name;
  }
}

using MousePick = GameWorld;

TEST_F(MousePick, TheScanOverThePartListDecidesWhatEndsInHand) {
  writePart("player1_b.xml");
  buildGame(false);
  g_currentPlayer = 1;
  CGamePart* first = game->shop1.templates[0];
  CGamePart* mine = placePart(1, Vec2{200, 300});
  drag.mouse = Vec2{205, 303};
  drag.press();
  ASSERT_EQ(drag.part, mine);
  EXPECT_NEAR(drag.grabOffset.x, mine->screenCentre().x - 205, 1e-4);
  drag.part = nullptr;
  drag.press();  // a second press while held does nothing
  EXPECT_EQ(drag.part, nullptr);
  drag.release();
  const struct {
    const char* name;
    int firstOwner, secondOwner;  // of two placed parts, the second 5 pixels right
    bool second;                  // expected in hand: the second part, else nothing
  } cases[] = {{"the other player's part", 2, 2, false},
               {"a later unpickable part ends the scan empty-handed", 1, 2, false},
               {"the last pickable part wins", 1, 1, true}};
  for (const auto& c : cases) {
    placePart(c.firstOwner, Vec2{300, 200});
    CGamePart* second = placePart(c.secondOwner, Vec2{305, 200});
    drag.mouse = Vec2{303, 200};
    drag.press();
    EXPECT_EQ(drag.part, c.second ? second : nullptr) << c.name;
    drag.release();
    for (int i = 0; i < 2; ++i) g_partList.back()->finished = true, partListPass(drag);
  }
  // A purchase ends the scan with the copy in hand despite a later unpickable
  // part, and two touching templates charge once for one click.
  game->shop1.templates[1]->setGridPosition(Vec2{first->gridX + 2, first->gridY});
  placePart(2, first->screenCentre());
  const size_t parts = g_partList.size();
  drag.mouse = first->screenCentre();
  drag.press();
  ASSERT_EQ(g_partList.size(), parts + 1);
  EXPECT_EQ(drag.part, g_partList.back());
  EXPECT_NEAR(drag.grabOffset.x, 0, 1e-3);
  EXPECT_FLOAT_EQ(game->player1Value, 4000);
}

using Dragging = GameWorld;

TEST_F(Dragging, TheShopHoversEverySecondMotionButNotWhileDragging) {
  buildGame();
  frame();
  CGamePart* mine = placePart(1, Vec2{105, 250});
  drag.turn(0.15f);  // nothing held: the wheel turns nothing
  EXPECT_FLOAT_EQ(mine->rotation, 0);
  const Vec2 over = game->shop1.templates[0]->screenCentre();
  CSprite* marker = game->shop1.highlight;
  g_motionsSinceHover = 0;
  marker->hidden = true;
  drag.mouseMotion(over.x, over.y);
  EXPECT_TRUE(marker->hidden);
  drag.mouseMotion(over.x, over.y);
  EXPECT_FALSE(marker->hidden);
  drag.mouseMotion(105, 250);
  drag.press();
  ASSERT_EQ(drag.part, mine);
  marker->hidden = true;
  for (int i = 0; i < 5; ++i) drag.mouseMotion(over.x, over.y + i * 0.01f);
  EXPECT_TRUE(marker->hidden);
  drag.release();
  drag.mouseMotion(over.x, over.y);  // the counter kept counting
  EXPECT_FALSE(marker->hidden);
}

}  // namespace
