// Pixel tests through the OpenGL device in a real window (run under Xvfb):
// what the player sees of clears, strips, sprites by both means and blending.
#include "pixel_fixture.h"

namespace {

constexpr float kHalfPi = 1.57079632679f;

using pixeltest::PixelTest;
using pixeltest::Rgb;

TEST_F(PixelTest, ClearedFrameIsTransparentBlack) {
  // Some visuals have no alpha channel; alpha is checked only where it exists.
  device_->clear(0x80000000);
  readBack();
  const bool hasAlpha = at(10, 10).a < 200;
  device_->clear(0);
  readBack();
  for (int y = 0; y < platform::kDrawingSize; y += 37) {
    for (int x = 0; x < platform::kDrawingSize; x += 41) {
      expectColour(x, y, 0, 0, 0, 0);
      if (hasAlpha) {
        EXPECT_EQ(at(x, y).a, 0);
      }
    }
  }
  if (!hasAlpha) std::printf("note: this visual has no alpha channel; alpha not checked\n");
}

TEST_F(PixelTest, TriangleStripFromMemoryKeepsChannelOrder) {
  struct Vertex {
    float x, y, z;
    uint32_t argb;
  };
  // Left half red, a blue strip along the bottom right, in clip space.
  const Vertex red[4] = {{-1, -1, 1, 0xffff0000}, {-1, 1, 1, 0xffff0000}, {0, -1, 1, 0xffff0000}, {0, 1, 1, 0xffff0000}};
  const Vertex blue[4] = {{0, -1, 1, 0xff0000ff}, {0, -0.5f, 1, 0xff0000ff}, {1, -1, 1, 0xff0000ff}, {1, -0.5f, 1, 0xff0000ff}};
  device_->setFVF(platform::kFvfXyzDiffuse);
  device_->drawPrimitiveUP(platform::kTriangleStrip, 2, red, sizeof(Vertex));
  device_->drawPrimitiveUP(platform::kTriangleStrip, 2, blue, sizeof(Vertex));
  readBack();
  expectColour(100, 10, 255, 0, 0);
  expectColour(100, 500, 255, 0, 0);
  expectColour(400, 480, 0, 0, 255);
  expectColour(400, 100, 0, 0, 0);
}

// 64 x 64: red, green / blue, white quadrants.
std::vector<uint32_t> quadrants() {
  std::vector<uint32_t> px(64 * 64);
  for (int y = 0; y < 64; ++y) {
    for (int x = 0; x < 64; ++x) {
      px[size_t(y) * 64 + x] = y < 32 ? (x < 32 ? 0xffff0000 : 0xff00ff00) : (x < 32 ? 0xff0000ff : 0xffffffff);
    }
  }
  return px;
}

TEST_F(PixelTest, HalfScaleQuadShowsTopLeftQuarterAtFullSize) {
  CSprite* s = createSprite(picture("quadrants", 64, 64, quadrants()), 100);
  ASSERT_NE(s->texture, nullptr);
  s->x = 100;
  s->y = 100;
  s->scaleX = s->scaleY = 0.5f;
  drawFirstPass();
  readBack();
  for (int y = 101; y < 131; y += 4) {
    for (int x = 101; x < 131; x += 4) expectColour(x, y, 255, 0, 0);
  }
  expectColour(134, 115, 0, 0, 0);
  expectColour(115, 134, 0, 0, 0);
}

TEST_F(PixelTest, HalfScaleSpriteInterfaceShowsWholePictureAtHalfSize) {
  g_spriteDevice = true;
  CSprite* s = createSprite(picture("quadrants", 64, 64, quadrants()), 100);
  s->x = 100;
  s->y = 100;
  s->scaleX = s->scaleY = 0.5f;
  drawFirstPass();
  readBack();
  expectColour(107, 107, 255, 0, 0);
  expectColour(124, 107, 0, 255, 0);
  expectColour(107, 124, 0, 0, 255);
  expectColour(124, 124, 255, 255, 255);
  expectColour(134, 115, 0, 0, 0);
}

TEST_F(PixelTest, ScaleAboveOneRepeatsTheLastColumnWithQuads) {
  std::vector<uint32_t> px(8 * 8, 0xffff0000);
  for (int y = 0; y < 8; ++y) px[size_t(y) * 8 + 7] = 0xff00ff00;
  CSprite* s = createSprite(picture("edge", 8, 8, px), 100);
  s->scaleX = s->scaleY = 2.0f;
  drawFirstPass();
  readBack();
  expectColour(3, 3, 255, 0, 0);
  expectColour(12, 3, 0, 255, 0);
  expectColour(14, 14, 0, 255, 0);
  expectColour(20, 3, 0, 0, 0);
}

TEST_F(PixelTest, ColourAlphaShowsOnlyThroughTheSpriteInterface) {
  CSprite* viaInterface = createSprite(solid("white", 32, 32, 0xffffffff), 100);
  CSprite* viaQuad = createSprite(solid("white", 32, 32, 0xffffffff), 100);
  viaInterface->x = 50;
  viaQuad->x = 150;
  viaInterface->y = viaQuad->y = 50;
  viaInterface->color[3] = viaQuad->color[3] = 0.2f;

  viaQuad->behindGrid = false;
  g_spriteDevice = true;
  drawFirstPass();
  g_spriteDevice = false;
  drawSecondPass();
  readBack();
  // Interface: white at 51/255 over black. Quads: the texture's alpha alone.
  expectColour(65, 65, 51, 51, 51, 3);
  expectColour(165, 65, 255, 255, 255);
}

TEST_F(PixelTest, QuarterTurnKeepsASquareByBothMeans) {
  for (bool viaInterface : {false, true}) {
    g_spriteDevice = viaInterface;
    device_->clear(0);
    CSprite* s = createSprite(solid("square", 40, 40, 0xffffffff), 100);
    s->x = 300;
    s->y = 300;
    s->rotation = kHalfPi;
    drawFirstPass();
    readBack();
    SCOPED_TRACE(viaInterface ? "sprite interface" : "quads");
    expectColour(302, 302, 255, 255, 255);
    expectColour(337, 302, 255, 255, 255);
    expectColour(302, 337, 255, 255, 255);
    expectColour(337, 337, 255, 255, 255);
    expectColour(297, 320, 0, 0, 0);
    expectColour(343, 320, 0, 0, 0);
    expectColour(320, 297, 0, 0, 0);
    expectColour(320, 343, 0, 0, 0);
    destroySprite(s);
  }
}

TEST_F(PixelTest, ColouredQuadBlendsOverWhatIsBelow) {
  const ColoredCorner blue[4] = {{0, 0, 0xff0000ff}, {512, 0, 0xff0000ff}, {512, 512, 0xff0000ff}, {0, 512, 0xff0000ff}};
  const ColoredCorner red[4] = {{100, 100, 0x80ff0000}, {200, 100, 0x80ff0000}, {200, 200, 0x80ff0000},
                                {100, 200, 0x80ff0000}};
  drawColoredQuad(blue);
  drawColoredQuad(red);
  readBack();
  expectColour(150, 150, 128, 0, 127, 2);
  expectColour(50, 150, 0, 0, 255);
  expectColour(250, 150, 0, 0, 255);
  expectColour(150, 99, 0, 0, 255);
  expectColour(150, 201, 0, 0, 255);
}

TEST_F(PixelTest, SpriteInterfacePassLeavesQuadDrawingIntact) {
  g_spriteDevice = true;
  CSprite* s = createSprite(solid("green", 16, 16, 0xff00ff00), 100);
  s->x = 10;
  s->y = 10;
  drawFirstPass();
  g_spriteDevice = false;
  const ColoredCorner opaque[4] = {{256, 256, 0xffff0000}, {266, 256, 0xffff0000}, {266, 266, 0xffff0000},
                                   {256, 266, 0xffff0000}};
  drawColoredQuad(opaque);
  readBack();
  expectColour(18, 18, 0, 255, 0);
  expectColour(260, 260, 255, 0, 0);
  expectColour(250, 260, 0, 0, 0);
  expectColour(270, 260, 0, 0, 0);
}

TEST_F(PixelTest, PicturesSurviveAWindowResize) {
  CSprite* s = createSprite(solid("yellow", 20, 20, 0xffffff00), 100);
  s->x = 40;
  s->y = 40;
  platform::handleResize(1024, 512);
  device_->clear(0);
  drawFirstPass();
  readBack();
  expectColour(50, 50, 255, 255, 0);
  expectColour(70, 50, 0, 0, 0);
  int dx = 0, dy = 0;
  platform::currentWindowToDrawing(256 + 50, 50, dx, dy);
  EXPECT_EQ(dx, 50);
  EXPECT_EQ(dy, 50);

  platform::handleResize(512, 512);
  device_->clear(0);
  drawFirstPass();
  readBack();
  expectColour(50, 50, 255, 255, 0);
}

}  // namespace

namespace {

// Without a window there is no OpenGL context to draw with: the player is
// told on standard error, with the message box's caption, and nothing is set up.
TEST(DeviceError, NoWindowMeansNoDeviceAndAClearMessage) {
  unsetenv("SDL_VIDEODRIVER");
  platform::shutdownVideo();
  ASSERT_TRUE(platform::initVideo());
  ASSERT_FALSE(platform::isHeadless());
  testing::internal::CaptureStderr();
  EXPECT_FALSE(platform::createDevice());
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "D3D_OBJ ERR: Could not create Direct3D Object\n");
  EXPECT_EQ(platform::device(), nullptr);
  platform::shutdownVideo();
}

}  // namespace
