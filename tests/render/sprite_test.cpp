// Sprites: the drawing order (the layer rule, equal layers, bringing to the
// front, destroying), the colour packing that must survive any float, and
// what the two passes send to the device: which sprites, in which order, by
// which means (vertices and states show in the golden pictures).
#include <gtest/gtest.h>

#include <cmath>
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


using platform::DrawRecord;

class SpriteDrawTest : public rendertest::NullDeviceTest {
 protected:
  void SetUp() override {
    NullDeviceTest::SetUp();
    for (auto [name, size] : {std::pair{"a", 64}, {"b", 32}, {"c", 8}}) {
      rendertest::writeSolid(std::string("data/gfx/") + name + ".png", size, size, 0xffff0000);
    }
    loadAllCapturingOutput();
    createSpriteInterface();
    device_->setRecording(true);
  }
};

TEST_F(SpriteDrawTest, PassesSplitAtTheGridAndSkipHiddenSpritesAndThoseWithoutAPicture) {
  CSprite* back = createSprite("data/gfx/a.png", 256);
  CSprite* front = createSprite("data/gfx/b.png", 100);
  CSprite* over = createSprite("data/gfx/c.png", 100);
  createSprite("data/gfx/c.png", 101)->hidden = true;
  createSprite("data/gfx/missing.png", 100);  // no picture: never drawn
  over->behindGrid = false;
  for (bool viaInterface : {false, true}) {
    useSpriteInterface(viaInterface);
    device_->clearRecords();
    drawFirstPass();
    const size_t first = device_->records().size();
    drawSecondPass();
    std::vector<const platform::Texture*> drawn;
    for (const DrawRecord& r : device_->records()) drawn.push_back(r.viaSpriteInterface == viaInterface ? r.texture : nullptr);
    EXPECT_EQ(drawn, (std::vector<const platform::Texture*>{back->texture, front->texture, over->texture}));
    EXPECT_EQ(first, 2u);
  }
}

// Faded copies right after their picture go to the sprite interface as one
// stack (the null device records it layer by layer, each with its copy's fade and
// turn); hidden copies are left out; a copy parted from its picture, or drawn as a quad, stays alone.
TEST_F(SpriteDrawTest, CopiesFollowingTheirPictureAreDrawnAsOneStack) {
  CSprite* picture = createSprite("data/gfx/a.png", 256);
  CSprite* copies[3];
  for (int k = 0; k < 3; ++k) {
    copies[k] = createSprite("data/gfx/a.png", 255);
    copies[k]->stackedOn = picture, copies[k]->color[3] = 0.2f, copies[k]->rotation = 0.01f * float(k);
  }
  copies[1]->hidden = true;
  CSprite* between = createSprite("data/gfx/b.png", 255);
  bringSpriteToFront(copies[2]);  // now after another picture: parted
  auto check = [&](bool viaInterface, const std::vector<std::pair<const CSprite*, int>>& expected) {
    useSpriteInterface(viaInterface);
    device_->clearRecords();
    drawFirstPass();
    const auto& records = device_->records();
    ASSERT_EQ(records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      const CSprite& s = *expected[i].first;
      EXPECT_TRUE(records[i].texture == s.texture && records[i].stackLayer == expected[i].second) << i;
      if (!records[i].viaSpriteInterface) continue;
      EXPECT_EQ(records[i].argb, colorToArgb(s.color)) << i;
      EXPECT_FLOAT_EQ(records[i].transform.m[0][1], std::sin(s.rotation)) << i;
    }
  };
  check(true, {{picture, 0}, {copies[0], 1}, {between, -1}, {copies[2], -1}});
  check(false, {{picture, -1}, {copies[0], -1}, {between, -1}, {copies[2], -1}});
  destroySprite(picture);  // without its picture a copy is an ordinary sprite
  EXPECT_EQ(copies[0]->stackedOn, nullptr);
  check(true, {{copies[0], -1}, {between, -1}, {copies[2], -1}});
}

}  // namespace
