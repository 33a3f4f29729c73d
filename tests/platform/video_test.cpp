// The window without a display: letterboxing and the mouse mapping of any
// window size, the dummy driver's null device with its fixed states, and the
// 2D sprite transform (scale, then turn about a centre, then move).
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "platform/device.h"
#include "platform/null_device.h"
#include "platform/video.h"

namespace {

using namespace platform;

TEST(Letterbox, ViewportAndMouseMapIntoTheDrawingSpaceAndClamp) {
  const Viewport wide = viewportFor(1024, 512), tall = viewportFor(600, 1000);
  EXPECT_EQ((std::vector<int>{wide.x, wide.y, wide.size, tall.x, tall.y, tall.size}),
            (std::vector<int>{256, 0, 512, 0, 200, 600}));
  const struct {
    int w, h, wx, wy, dx, dy;
  } cases[] = {
      {512, 512, 37, 400, 37, 400},   {1024, 1024, 1023, 511, 511, 255},  // two window pixels a drawing pixel
      {1024, 512, 10, 100, 0, 100},   {1024, 512, 1000, 100, 511, 100},   // the bars map to the nearest edge
      {1024, 512, 556, 100, 300, 100}, {800, 600, -50000, 2000000000, 0, 511},
      {0, 0, 5, 5, 511, 511},  // a degenerate window does not divide by zero
  };
  for (const auto& c : cases) {
    int dx = -1, dy = -1;
    windowToDrawing(c.w, c.h, c.wx, c.wy, dx, dy);
    EXPECT_EQ(dx, c.dx) << c.w << " x " << c.h << " at " << c.wx << "," << c.wy;
    EXPECT_EQ(dy, c.dy) << c.w << " x " << c.h << " at " << c.wx << "," << c.wy;
  }
}

TEST(HeadlessVideo, DummyDriverGetsTheNullDeviceWithFixedStatesAndFollowsResizes) {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_TRUE(initVideo());
  EXPECT_TRUE(isHeadless());
  ASSERT_TRUE(setVideoMode(false));
  ASSERT_TRUE(createDevice());
  auto* d = dynamic_cast<NullDevice*>(device());
  ASSERT_NE(d, nullptr);
  EXPECT_EQ(d->renderState(kRsDitherEnable), 1u);
  EXPECT_EQ(d->renderState(kRsZEnable) + d->renderState(kRsLighting) + d->renderState(kRsAlphaBlendEnable), 0u);
  EXPECT_EQ(d->renderState(kRsCullMode), kCullNone);
  EXPECT_EQ(d->samplerState(0, kSampAddressU), kAddressClamp);
  EXPECT_EQ(d->samplerState(0, kSampAddressV), kAddressClamp);
  EXPECT_EQ(d->samplerState(1, kSampAddressU), kAddressWrap);
  EXPECT_EQ(d->samplerState(2, kSampAddressV), kAddressWrap);
  for (int sampler = 0; sampler < 3; ++sampler) {
    for (auto state : {kSampMinFilter, kSampMagFilter, kSampMipFilter}) EXPECT_EQ(d->samplerState(sampler, state), kFilterNone);
  }
  EXPECT_EQ(d->textureStageState(0, kTssColorOp), kTopModulate);
  EXPECT_EQ(d->textureStageState(0, kTssAlphaOp), kTopSelectArg1);
  std::vector<uint32_t> pixels;
  EXPECT_FALSE(d->readPixels(pixels));

  int dx = 0, dy = 0;
  currentWindowToDrawing(600, 100, dx, dy);
  EXPECT_EQ(dx, 511);
  handleResize(1024, 512);
  handleResize(0, -3);  // a nonsense size is ignored
  currentWindowToDrawing(600, 100, dx, dy);
  EXPECT_EQ(dx * 1000 + dy, 344100);
  EXPECT_EQ(d->windowWidth(), 1024);
  shutdownVideo();
}

struct Point {
  float x, y;
};

TEST(MatrixTransformation2D, ScalesThenTurnsClockwiseOnScreenAboutTheScaledCentreThenMoves) {
  const struct {
    float sx, sy, cx, cy, turn, tx, ty;
    Point from, to;
  } cases[] = {
      {2, 3, 5, 5, 0, 10, 20, {4, 1}, {18, 23}},
      // A 10 x 20 picture turned a quarter about its centre: its top-left corner goes to the top right.
      {1, 1, 5, 10, 1.57079632679f, 100, 50, {5, 10}, {105, 60}},
      {1, 1, 5, 10, 1.57079632679f, 100, 50, {0, 0}, {115, 55}},
      {1, 1, 5, 10, 1.57079632679f, 100, 50, {10, 0}, {115, 65}},
      // Scaled by 2 the picture spans 0..20; the centre (5, 5) is not its middle.
      {2, 2, 5, 5, 3.14159265359f, 0, 0, {0, 0}, {10, 10}},
      {2, 2, 5, 5, 3.14159265359f, 0, 0, {10, 10}, {-10, -10}},
  };
  for (const auto& c : cases) {
    const Matrix m = matrixTransformation2D(c.sx, c.sy, c.cx, c.cy, c.turn, c.tx, c.ty);
    const Point p = {c.from.x * m.m[0][0] + c.from.y * m.m[1][0] + m.m[3][0],
                     c.from.x * m.m[0][1] + c.from.y * m.m[1][1] + m.m[3][1]};
    EXPECT_NEAR(p.x, c.to.x, 1e-4) << c.from.x << "," << c.from.y << " turned " << c.turn;
    EXPECT_NEAR(p.y, c.to.y, 1e-4) << c.from.x << "," << c.from.y << " turned " << c.turn;
    EXPECT_FLOAT_EQ(m.m[2][2] * m.m[3][3], 1);
  }
}

}  // namespace
