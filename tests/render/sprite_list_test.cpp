// Drawing order of sprites: the layer rule, equal layers, bringing a sprite
// to the front and destroying it.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "render_fixture.h"

namespace {

class SpriteListTest : public ::testing::Test {
 protected:
  // No device: sprites are created without pictures, quietly.
  void TearDown() override { destroyAllSprites(); }

  static std::vector<CSprite*> listed() { return {spriteList().begin(), spriteList().end()}; }
};

TEST_F(SpriteListTest, LayersOrderTheListWithLayer100AlwaysLast) {
  CSprite* s1 = createSprite("data/gfx/s1.png", 256);
  CSprite* s2 = createSprite("data/gfx/s2.png", 255);
  CSprite* s3 = createSprite("data/gfx/s3.png", 100);
  CSprite* s4 = createSprite("data/gfx/s4.png", 101);
  CSprite* s5 = createSprite("data/gfx/s5.png", 255);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{s1, s2, s5, s4, s3}));

  CSprite* s6 = createSprite("data/gfx/s6.png", 50);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{s1, s2, s5, s4, s3, s6}));
  CSprite* s7 = createSprite("data/gfx/s7.png", 100);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{s1, s2, s5, s4, s3, s6, s7}));
  EXPECT_EQ(s7->layer, 100);
  EXPECT_EQ(s6->layer, 50);
}

TEST_F(SpriteListTest, LaterSpriteOfEqualLayerIsDrawnLater) {
  CSprite* a = createSprite("a.png", 101);
  CSprite* b = createSprite("b.png", 101);
  CSprite* back = createSprite("c.png", 300);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{back, a, b}));
}

TEST_F(SpriteListTest, NegativeLayersGoInFrontOfEverything) {
  CSprite* neg = createSprite("n.png", -5);
  CSprite* pos = createSprite("p.png", 7);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{pos, neg}));
}

TEST_F(SpriteListTest, BringToFrontMovesToTheEnd) {
  CSprite* a = createSprite("a.png", 256);
  CSprite* b = createSprite("b.png", 101);
  CSprite* c = createSprite("c.png", 100);
  bringSpriteToFront(a);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{b, c, a}));
  EXPECT_EQ(a->layer, 256);  // the layer counts at insertion only

  // A sprite that is not listed is left alone.
  CSprite stray;
  bringSpriteToFront(&stray);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{b, c, a}));
}

TEST_F(SpriteListTest, DestroyUnlinksAndIgnoresNull) {
  CSprite* a = createSprite("a.png", 100);
  CSprite* b = createSprite("b.png", 100);
  destroySprite(a);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{b}));
  destroySprite(nullptr);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{b}));
}

TEST_F(SpriteListTest, NewSpriteHasTheDefaults) {
  CSprite* s = createSprite("nothing.png", 42);
  EXPECT_TRUE(s->behindGrid);
  EXPECT_FALSE(s->hidden);
  EXPECT_FALSE(s->ownsTexture);
  EXPECT_EQ(s->texture, nullptr);
  EXPECT_EQ(s->width, 0.0f);
  EXPECT_EQ(s->scaleX, 1.0f);
  EXPECT_EQ(s->scaleY, 1.0f);
  EXPECT_EQ(s->rotation, 0.0f);
  EXPECT_EQ(s->color[3], 1.0f);
}

TEST(SpriteColor, ComponentsTruncateAndKeepTheLowByte) {
  const float white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
  EXPECT_EQ(colorToArgb(white), 0xffffffffu);
  const float half[4] = {0.5f, 0.0f, 1.0f, 0.2f};
  EXPECT_EQ(colorToArgb(half), 0x337f00ffu);
  // Beyond 1 wraps within the byte (1.2 * 255 = 306 -> 50); below 0 likewise.
  const float over[4] = {1.2f, -0.2f, 0.0f, 1.0f};
  EXPECT_EQ(colorToArgb(over), 0xff32cd00u);
}

TEST(SpriteColor, UnrepresentableComponentsBecomeZero) {
  const float wild[4] = {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity(), 1e30f,
                         1.0f};
  EXPECT_EQ(colorToArgb(wild), 0xff000000u);
}

TEST(SpriteRotation, VectorAndPointTurnByTheAngle) {
  float x = 1.0f, y = 0.0f;
  rotateVector(x, y, 3.14159265f / 2);
  EXPECT_NEAR(x, 0.0f, 1e-6f);
  EXPECT_NEAR(y, 1.0f, 1e-6f);

  float px = 12.0f, py = 5.0f;
  rotatePoint(px, py, 10.0f, 5.0f, 3.14159265f);
  EXPECT_NEAR(px, 8.0f, 1e-5f);
  EXPECT_NEAR(py, 5.0f, 1e-5f);
}

}  // namespace
