// The window without a display: the dummy driver gets the null device with
// the fixed states, and mouse positions of a resized window land in 0..511.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/clock.h"
#include "platform/device.h"
#include "platform/null_device.h"
#include "platform/video.h"

namespace {

using namespace platform;

TEST(Letterbox, WideWindowGetsBarsAtTheSides) {
  const Viewport vp = viewportFor(1024, 512);
  EXPECT_EQ(vp.x, 256);
  EXPECT_EQ(vp.y, 0);
  EXPECT_EQ(vp.size, 512);
  const Viewport tall = viewportFor(600, 1000);
  EXPECT_EQ(tall.x, 0);
  EXPECT_EQ(tall.y, 200);
  EXPECT_EQ(tall.size, 600);
}

TEST(Letterbox, MouseMapsIntoTheDrawingSpaceAndClamps) {
  int dx = -1, dy = -1;
  windowToDrawing(512, 512, 37, 400, dx, dy);
  EXPECT_EQ(dx, 37);
  EXPECT_EQ(dy, 400);

  // 1024 x 1024: every drawing pixel is two window pixels.
  windowToDrawing(1024, 1024, 1023, 511, dx, dy);
  EXPECT_EQ(dx, 511);
  EXPECT_EQ(dy, 255);

  // A wide window: the bars map to the nearest edge.
  windowToDrawing(1024, 512, 10, 100, dx, dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 100);
  windowToDrawing(1024, 512, 1000, 100, dx, dy);
  EXPECT_EQ(dx, 511);
  windowToDrawing(1024, 512, 256 + 300, 100, dx, dy);
  EXPECT_EQ(dx, 300);

  // A drag far outside the window stays on the edge.
  windowToDrawing(800, 600, -50000, 2000000000, dx, dy);
  EXPECT_EQ(dx, 0);
  EXPECT_EQ(dy, 511);
}

TEST(Letterbox, DegenerateWindowDoesNotDivideByZero) {
  int dx = -1, dy = -1;
  windowToDrawing(0, 0, 5, 5, dx, dy);
  EXPECT_EQ(dx, 511);
  EXPECT_EQ(dy, 511);
}

class HeadlessVideoTest : public ::testing::Test {
 protected:
  void SetUp() override {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
    ASSERT_TRUE(initVideo());
  }
  void TearDown() override { shutdownVideo(); }
};

TEST_F(HeadlessVideoTest, DummyDriverGetsTheNullDeviceWithFixedStates) {
  EXPECT_TRUE(isHeadless());
  ASSERT_TRUE(setVideoMode(false));
  ASSERT_TRUE(createDevice());
  Device* d = device();
  ASSERT_NE(dynamic_cast<NullDevice*>(d), nullptr);
  EXPECT_EQ(d->renderState(kRsDitherEnable), 1u);
  EXPECT_EQ(d->renderState(kRsZEnable), 0u);
  EXPECT_EQ(d->renderState(kRsLighting), 0u);
  EXPECT_EQ(d->renderState(kRsCullMode), kCullNone);
  EXPECT_EQ(d->renderState(kRsAlphaBlendEnable), 0u);
  EXPECT_EQ(d->samplerState(0, kSampAddressU), kAddressClamp);
  EXPECT_EQ(d->samplerState(0, kSampAddressV), kAddressClamp);
  for (int sampler = 0; sampler < 3; ++sampler) {
    EXPECT_EQ(d->samplerState(sampler, kSampMinFilter), kFilterNone) << sampler;
    EXPECT_EQ(d->samplerState(sampler, kSampMagFilter), kFilterNone) << sampler;
    EXPECT_EQ(d->samplerState(sampler, kSampMipFilter), kFilterNone) << sampler;
  }
  EXPECT_EQ(d->samplerState(1, kSampAddressU), kAddressWrap);
  EXPECT_EQ(d->samplerState(2, kSampAddressV), kAddressWrap);
  EXPECT_EQ(d->textureStageState(0, kTssColorOp), kTopModulate);
  EXPECT_EQ(d->textureStageState(0, kTssAlphaOp), kTopSelectArg1);

  std::vector<uint32_t> pixels;
  EXPECT_FALSE(d->readPixels(pixels));
  d->beginScene();
  d->clear(0);
  d->endScene();
  d->present();
  EXPECT_EQ(d->stats().frames, 1u);
  EXPECT_EQ(d->stats().clears, 1u);
  EXPECT_EQ(d->stats().presents, 1u);
}

TEST_F(HeadlessVideoTest, ResizeChangesTheMouseMapping) {
  ASSERT_TRUE(setVideoMode(false));
  ASSERT_TRUE(createDevice());
  int dx = 0, dy = 0;
  currentWindowToDrawing(600, 100, dx, dy);
  EXPECT_EQ(dx, 511);
  handleResize(1024, 512);
  currentWindowToDrawing(600, 100, dx, dy);
  EXPECT_EQ(dx, 344);
  EXPECT_EQ(dy, 100);
  auto* null = dynamic_cast<NullDevice*>(device());
  ASSERT_NE(null, nullptr);
  EXPECT_EQ(null->windowWidth(), 1024);
  // A nonsense size is ignored.
  handleResize(0, -3);
  currentWindowToDrawing(600, 100, dx, dy);
  EXPECT_EQ(dx, 344);
  handleResize(512, 512);
}

TEST(Clock, TickSourceAndSleeperCanBeReplaced) {
  uint32_t now = 4000000000u;
  setTickSource([&] { return now; });
  EXPECT_EQ(ticks(), 4000000000u);
  now += 17;
  EXPECT_EQ(ticks(), 4000000017u);
  resetTickSource();

  std::vector<uint32_t> slept;
  setSleeper([&](uint32_t ms) { slept.push_back(ms); });
  sleepMs(1);
  sleepMs(3);
  setSleeper(nullptr);
  EXPECT_EQ(slept, (std::vector<uint32_t>{1, 3}));
}

}  // namespace
