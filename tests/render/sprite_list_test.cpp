// Drawing order of sprites (the layer rule, equal layers, bringing to the
// front, destroying), a sprite's defaults, colours and rotation helpers.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "render_fixture.h"

namespace {

std::vector<CSprite*> listed() { return {spriteList().begin(), spriteList().end()}; }

// No device: sprites are created without pictures, quietly.
TEST(SpriteList, LayersOrderTheListBackToFrontWithLaterEqualsLaterAndNegativesInFront) {
  CSprite* s1 = createSprite("data/gfx/s1.png", 256);
  CSprite* s2 = createSprite("data/gfx/s2.png", 255);
  CSprite* s3 = createSprite("data/gfx/s3.png", 100);
  CSprite* s4 = createSprite("data/gfx/s4.png", 101);
  CSprite* s5 = createSprite("data/gfx/s5.png", 255);
  CSprite* s6 = createSprite("data/gfx/s6.png", 50);
  CSprite* s7 = createSprite("data/gfx/s7.png", 100);
  CSprite* neg = createSprite("n.png", -5);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{s1, s2, s5, s4, s3, s6, s7, neg}));
  EXPECT_EQ(s7->layer, 100);
  bringSpriteToFront(s1);
  CSprite stray;  // not listed: left alone
  bringSpriteToFront(&stray);
  destroySprite(s3);
  destroySprite(nullptr);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{s2, s5, s4, s6, s7, neg, s1}));
  EXPECT_EQ(s1->layer, 256);  // the layer counts at insertion only
  EXPECT_TRUE(s6->behindGrid);
  EXPECT_FALSE(s6->hidden || s6->ownsTexture);
  EXPECT_EQ(s6->texture, nullptr);
  EXPECT_EQ(s6->width, 0.0f);
  EXPECT_EQ(s6->scaleX * s6->scaleY * s6->color[3], 1.0f);
  EXPECT_EQ(s6->rotation, 0.0f);
  destroyAllSprites();
}

TEST(SpriteColor, ComponentsTruncateKeepTheLowByteAndUnrepresentableOnesBecomeZero) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct {
    float rgba[4];
    uint32_t argb;
  } cases[] = {{{1, 1, 1, 1}, 0xffffffffu},
               {{0.5f, 0, 1, 0.2f}, 0x337f00ffu},
               {{1.2f, -0.2f, 0, 1}, 0xff32cd00u},  // 1.2 * 255 = 306 -> 50; below 0 likewise
               {{nan, inf, 1e30f, 1}, 0xff000000u}};
  for (const auto& c : cases) EXPECT_EQ(colorToArgb(c.rgba), c.argb) << std::hex << c.argb;
}

TEST(SpriteRotation, VectorAndPointTurnByTheAngle) {
  float x = 1.0f, y = 0.0f, px = 12.0f, py = 5.0f;
  rotateVector(x, y, 3.14159265f / 2);
  rotatePoint(px, py, 10.0f, 5.0f, 3.14159265f);
  EXPECT_NEAR(x, 0.0f, 1e-6f);
  EXPECT_NEAR(y, 1.0f, 1e-6f);
  EXPECT_NEAR(px, 8.0f, 1e-5f);
  EXPECT_NEAR(py, 5.0f, 1e-5f);
}

}  // namespace
