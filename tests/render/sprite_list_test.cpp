// Drawing order of sprites (the layer rule, equal layers, bringing to the
// front, destroying) and the colour packing that must survive any float.
#include <gtest/gtest.h>

#include <limits>
#include <vector>

#include "render_fixture.h"

namespace {

// No device: sprites are created without pictures, quietly.
TEST(SpriteList, LayersOrderTheListBackToFrontWithLaterEqualsLaterAndNegativesInFront) {
  CSprite* s[8];
  const int layers[8] = {256, 255, 100, 101, 255, 50, 100, -5};
  for (int i = 0; i < 8; ++i) s[i] = createSprite("data/gfx/s.png", layers[i]);
  auto listed = [] { return std::vector<CSprite*>(spriteList().begin(), spriteList().end()); };
  EXPECT_EQ(listed(), (std::vector<CSprite*>{s[0], s[1], s[4], s[3], s[2], s[5], s[6], s[7]}));
  bringSpriteToFront(s[0]);
  CSprite stray;  // not listed: left alone
  bringSpriteToFront(&stray);
  destroySprite(s[2]);
  destroySprite(nullptr);
  EXPECT_EQ(listed(), (std::vector<CSprite*>{s[1], s[4], s[3], s[5], s[6], s[7], s[0]}));
  destroyAllSprites();
}

TEST(SpriteColor, ComponentsTruncateKeepTheLowByteAndUnrepresentableOnesBecomeZero) {
  const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
  const struct { float rgba[4]; uint32_t argb; } cases[] = {
      {{1, 1, 1, 1}, 0xffffffffu},
      {{0.5f, 0, 1, 0.2f}, 0x337f00ffu},
      {{1.2f, -0.2f, 0, 1}, 0xff32cd00u},  // 1.2 * 255 = 306 -> 50; below 0 likewise
      {{nan, inf, 1e30f, 1}, 0xff000000u},
  };
  for (const auto& c : cases) EXPECT_EQ(colorToArgb(c.rgba), c.argb) << std::hex << c.argb;
}

}  // namespace
