// What the two sprite passes send to the device: which sprites, in which
// order, by which means, with which vertices, colours and states, and that
// drawing allocates nothing.
#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <cstdlib>
#include <new>

#include "render_fixture.h"

#if defined(__SANITIZE_ADDRESS__)
#define VESICOR_COUNT_ALLOCATIONS 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define VESICOR_COUNT_ALLOCATIONS 0
#endif
#endif
#ifndef VESICOR_COUNT_ALLOCATIONS
#define VESICOR_COUNT_ALLOCATIONS 1
#endif

#if VESICOR_COUNT_ALLOCATIONS
// Replacing the global allocator pairs malloc with free by hand; GCC cannot
// see that through the inlined deletes.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif
namespace {
std::atomic<long> g_allocations{0};
}
void* operator new(std::size_t size) {
  ++g_allocations;
  if (void* p = std::malloc(size ? size : 1)) return p;
  throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
#endif

namespace {

using platform::DrawRecord;

class SpriteDrawTest : public rendertest::NullDeviceTest {
 protected:
  void SetUp() override {
    NullDeviceTest::SetUp();
    rendertest::writeSolid("data/gfx/a.png", 64, 64, 0xffff0000);
    rendertest::writeSolid("data/gfx/b.png", 32, 16, 0xff00ff00);
    rendertest::writeSolid("data/gfx/c.png", 8, 8, 0xff0000ff);
    loadAllCapturingOutput();
    createSpriteInterface();
    device_->setRecording(true);
  }
  std::vector<const platform::Texture*> drawnTextures() const {
    std::vector<const platform::Texture*> out;
    for (const DrawRecord& r : device_->records()) out.push_back(r.texture);
    return out;
  }
};

TEST_F(SpriteDrawTest, PassesSplitAtTheGridAndSkipHiddenSpritesAndThoseWithoutAPicture) {
  CSprite* back = createSprite("data/gfx/a.png", 256);
  CSprite* front = createSprite("data/gfx/b.png", 100);
  CSprite* over = createSprite("data/gfx/c.png", 100);
  CSprite* hidden = createSprite("data/gfx/c.png", 101);
  testing::internal::CaptureStdout();
  createSprite("data/gfx/missing.png", 100);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "Couldn't load image: data/gfx/missing.png\n");
  over->behindGrid = false;
  hidden->hidden = true;
  for (bool viaInterface : {false, true}) {
    g_spriteDevice = viaInterface;
    device_->clearRecords();
    drawFirstPass();
    EXPECT_EQ(drawnTextures(), (std::vector<const platform::Texture*>{back->texture, front->texture}));
    device_->clearRecords();
    drawSecondPass();
    EXPECT_EQ(drawnTextures(), (std::vector<const platform::Texture*>{over->texture}));
    for (const DrawRecord& r : device_->records()) EXPECT_EQ(r.viaSpriteInterface, viaInterface);
  }
  EXPECT_FALSE(drawSprite(*hidden));
  EXPECT_TRUE(drawSprite(*over));
}

// Quads: pixels mapped to clip space, the scale as the texture's range, a
// turn about the centre, texture alpha blended and linear filtering only
// while drawing.
TEST_F(SpriteDrawTest, QuadsMapPixelsToClipSpaceTurnAboutTheCentreAndRestoreTheirStates) {
  CSprite* s = createSprite("data/gfx/a.png", 100);
  s->x = 128;
  s->y = 64;
  s->scaleX = 0.5f;
  s->scaleY = 2.0f;
  s->color[0] = 0.5f;
  drawSprite(*s);
  s->rotation = 1.57079632679f;
  drawSprite(*s);
  ASSERT_EQ(device_->records().size(), 2u);
  const DrawRecord& r = device_->records()[0];
  EXPECT_EQ(r.fvf, platform::kFvfXyzDiffuseTex1);
  EXPECT_EQ(r.primitiveCount, 2);
  // Left 128 px, right 160 px, top 64 px, bottom 192 px.
  const float l = -0.5f, rt = -0.375f, t = 0.75f, b = 0.25f;
  const DrawRecord::Vertex expected[4] = {
      {l, b, 1, 0, 0, 2.0f}, {l, t, 1, 0, 0, 0}, {rt, b, 1, 0, 0.5f, 2.0f}, {rt, t, 1, 0, 0.5f, 0}};
  // A quarter turn clockwise on screen about the centre (144, 128).
  const float turned[4][2] = {{-0.6875f, 0.5625f}, {-0.1875f, 0.5625f}, {-0.6875f, 0.4375f}, {-0.1875f, 0.4375f}};
  for (int i = 0; i < 4; ++i) {
    SCOPED_TRACE(i);
    EXPECT_FLOAT_EQ(r.vertices[i].x, expected[i].x);
    EXPECT_FLOAT_EQ(r.vertices[i].y, expected[i].y);
    EXPECT_FLOAT_EQ(r.vertices[i].z, 1.0f);
    EXPECT_FLOAT_EQ(r.vertices[i].u, expected[i].u);
    EXPECT_FLOAT_EQ(r.vertices[i].v, expected[i].v);
    EXPECT_EQ(r.vertices[i].argb, 0xff7fffffu);
    EXPECT_NEAR(device_->records()[1].vertices[i].x, turned[i][0], 1e-5f);
    EXPECT_NEAR(device_->records()[1].vertices[i].y, turned[i][1], 1e-5f);
  }
  EXPECT_EQ(r.alphaBlend, 1u);
  EXPECT_EQ(r.srcBlend, platform::kBlendSrcAlpha);
  EXPECT_EQ(r.destBlend, platform::kBlendInvSrcAlpha);
  EXPECT_EQ(r.minFilter, platform::kFilterLinear);
  EXPECT_EQ(r.magFilter, platform::kFilterLinear);
  EXPECT_EQ(r.alphaOp, platform::kTopSelectArg1);
  EXPECT_EQ(r.alphaArg1, platform::kTaTexture);
  EXPECT_EQ(r.colorOp, platform::kTopModulate);  // the device's own default
  EXPECT_EQ(device_->renderState(platform::kRsAlphaBlendEnable), 0u);
  EXPECT_EQ(device_->samplerState(0, platform::kSampMinFilter), platform::kFilterNone);
  EXPECT_EQ(device_->samplerState(0, platform::kSampMagFilter), platform::kFilterNone);
}

// Faded copies right after their picture go to the sprite interface as one
// stack (which the null device draws layer by layer); hidden copies are left
// out, and a copy parted from its picture, or drawn as a quad, stays alone.
TEST_F(SpriteDrawTest, CopiesFollowingTheirPictureAreDrawnAsOneStack) {
  CSprite* picture = createSprite("data/gfx/a.png", 256);
  std::vector<CSprite*> copies;
  for (int k = 0; k < 3; ++k) {
    copies.push_back(createSprite("data/gfx/a.png", 255));
    copies[k]->stackedOn = picture;
    copies[k]->color[3] = 0.2f;
    copies[k]->rotation = 0.01f * float(k);
  }
  copies[1]->hidden = true;
  CSprite* between = createSprite("data/gfx/b.png", 255);
  bringSpriteToFront(copies[2]);  // now after another picture: parted
  auto check = [&](bool viaInterface, const std::vector<std::pair<const CSprite*, int>>& expected) {
    g_spriteDevice = viaInterface;
    device_->clearRecords();
    drawFirstPass();
    const auto& records = device_->records();
    ASSERT_EQ(records.size(), expected.size());
    for (size_t i = 0; i < expected.size(); ++i) {
      SCOPED_TRACE(i);
      EXPECT_EQ(records[i].texture, expected[i].first->texture);
      EXPECT_EQ(records[i].stackLayer, expected[i].second);
      if (!records[i].viaSpriteInterface) continue;
      EXPECT_EQ(records[i].argb, colorToArgb(expected[i].first->color));
      EXPECT_FLOAT_EQ(records[i].transform.m[0][1], std::sin(expected[i].first->rotation));
    }
  };
  check(true, {{picture, 0}, {copies[0], 1}, {between, -1}, {copies[2], -1}});
  check(false, {{picture, -1}, {copies[0], -1}, {between, -1}, {copies[2], -1}});
  destroySprite(picture);  // without its picture a copy is an ordinary sprite
  EXPECT_EQ(copies[0]->stackedOn, nullptr);
  check(true, {{copies[0], -1}, {between, -1}, {copies[2], -1}});
}

TEST_F(SpriteDrawTest, ColoredQuadWritesCornersAsAStripAndLeavesSelectArg1) {
  const ColoredCorner corners[4] = {
      {0, 0, 0xff000001}, {512, 0, 0xff000002}, {512, 512, 0xff000003}, {0, 512, 0xff000004}};
  drawColoredQuad(corners);
  drawSprite(*createSprite("data/gfx/a.png", 100));
  ASSERT_EQ(device_->records().size(), 2u);
  const DrawRecord& r = device_->records()[0];
  EXPECT_EQ(r.fvf, platform::kFvfXyzDiffuse);
  EXPECT_EQ(r.colorOp, platform::kTopSelectArg1);
  EXPECT_EQ(r.colorArg1, platform::kTaDiffuse);
  EXPECT_EQ(r.alphaArg1, platform::kTaDiffuse);
  EXPECT_EQ(r.alphaBlend, 1u);
  // Top-right, top-left, bottom-right, bottom-left.
  const float xs[4] = {1, -1, 1, -1}, ys[4] = {1, 1, -1, -1};
  const uint32_t colours[4] = {0xff000002, 0xff000001, 0xff000003, 0xff000004};
  for (int i = 0; i < 4; ++i) {
    EXPECT_FLOAT_EQ(r.vertices[i].x, xs[i]) << i;
    EXPECT_FLOAT_EQ(r.vertices[i].y, ys[i]) << i;
    EXPECT_EQ(r.vertices[i].argb, colours[i]) << i;
  }
  EXPECT_EQ(device_->renderState(platform::kRsAlphaBlendEnable), 0u);
  // From now on quad sprites show the picture's own colours.
  EXPECT_EQ(device_->records()[1].colorOp, platform::kTopSelectArg1);
  EXPECT_EQ(device_->records()[1].colorArg1, platform::kTaTexture);
  EXPECT_EQ(device_->textureStageState(0, platform::kTssColorArg1), platform::kTaTexture);
  EXPECT_EQ(device_->textureStageState(0, platform::kTssAlphaArg1), platform::kTaTexture);
}

#if VESICOR_COUNT_ALLOCATIONS
TEST_F(SpriteDrawTest, DrawingAllocatesNothing) {
  CSprite* picture = createSprite("data/gfx/c.png", 256);
  for (int k = 0; k < 10; ++k) createSprite("data/gfx/c.png", 255)->stackedOn = picture;
  for (int i = 0; i < 50; ++i) {
    CSprite* s = createSprite(i % 2 ? "data/gfx/a.png" : "data/gfx/b.png", 100 + i % 3);
    s->rotation = 0.1f * i;
    s->behindGrid = i % 4 != 0;
  }
  device_->setRecording(false);
  const ColoredCorner corners[4] = {{0, 0, 0x80ff0000}, {4, 0, 0x80ff0000}, {4, 4, 0}, {0, 4, 0}};
  for (bool viaInterface : {false, true}) {
    g_spriteDevice = viaInterface;
    const long before = g_allocations.load();
    drawFirstPass();
    drawColoredQuad(corners);
    drawSecondPass();
    EXPECT_EQ(g_allocations.load(), before) << "via sprite interface: " << viaInterface;
  }
  EXPECT_EQ(device_->stats().spriteDraws, 61u);
  EXPECT_EQ(device_->stats().primitives, 63u);
}
#endif

}  // namespace
