// Pixel tests through the OpenGL device in a real window (run under Xvfb):
// what the golden pictures cannot tell apart. Sprites by both means (quads
// and the sprite interface) with scale, turns and colour alpha, coloured
// quads blending, a resized window, and a device without a window.
#include "pixel_fixture.h"

namespace {

using pixeltest::PixelTest;

// 64 x 64: red, green / blue, white quadrants; 8 x 8 red with a green last column.
std::vector<uint32_t> quadrants() {
  std::vector<uint32_t> px(64 * 64);
  for (size_t i = 0; i < px.size(); ++i) {
    const bool top = i / 64 < 32, left = i % 64 < 32;
    px[i] = top ? (left ? 0xffff0000 : 0xff00ff00) : (left ? 0xff0000ff : 0xffffffff);
  }
  return px;
}
std::vector<uint32_t> edge() {
  std::vector<uint32_t> px(64, 0xffff0000);
  for (int y = 0; y < 8; ++y) px[size_t(y) * 8 + 7] = 0xff00ff00;
  return px;
}

TEST_F(PixelTest, SpritesByBothMeans) {
  struct Probe {
    int x, y;
    uint32_t rgb;
  };
  const struct {
    const char* what;
    bool viaInterface;
    int picture;  // 0 quadrants, 1 edge, 2 white 40 x 40
    float x, y, scale, rotation, alpha;
    std::vector<Probe> probes;
  } cases[] = {
      // Quads take the scale as the texture's range: the top-left quarter at full size.
      {"half-scale quad", false, 0, 100, 100, 0.5f, 0, 1, {{101, 101, 0xff0000}, {129, 129, 0xff0000}, {134, 115, 0}, {115, 134, 0}}},
      {"half-scale sprite", true, 0, 100, 100, 0.5f, 0, 1,
       {{107, 107, 0xff0000}, {124, 107, 0x00ff00}, {107, 124, 0x0000ff}, {124, 124, 0xffffff}, {134, 115, 0}}},
      {"doubled quad repeats the last column", false, 1, 0, 0, 2, 0, 1, {{3, 3, 0xff0000}, {12, 3, 0x00ff00}, {14, 14, 0x00ff00}, {20, 3, 0}}},
      {"quarter-turned quad", false, 2, 300, 300, 1, 1.57079632679f, 1,
       {{302, 302, 0xffffff}, {337, 337, 0xffffff}, {297, 320, 0}, {343, 320, 0}, {320, 297, 0}, {320, 343, 0}}},
      {"quarter-turned sprite", true, 2, 300, 300, 1, 1.57079632679f, 1,
       {{302, 302, 0xffffff}, {337, 337, 0xffffff}, {297, 320, 0}, {343, 320, 0}, {320, 297, 0}, {320, 343, 0}}},
      // Colour alpha shows only through the sprite interface: 51/255 of white over black.
      {"faint sprite", true, 2, 50, 50, 1, 0, 0.2f, {{65, 65, 0x333333}}},
      {"faint quad", false, 2, 50, 50, 1, 0, 0.2f, {{65, 65, 0xffffff}}},
  };
  const std::string pictures[] = {picture("quadrants", 64, 64, quadrants()), picture("edge", 8, 8, edge()),
                                  picture("white", 40, 40, std::vector<uint32_t>(1600, 0xffffffff))};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    g_spriteDevice = c.viaInterface;
    device_->clear(0);
    CSprite* s = createSprite(pictures[c.picture], 100);
    ASSERT_NE(s->texture, nullptr);
    s->x = c.x;
    s->y = c.y;
    s->scaleX = s->scaleY = c.scale;
    s->rotation = c.rotation;
    s->color[3] = c.alpha;
    drawFirstPass();
    readBack();
    for (const Probe& p : c.probes) expectColour(p.x, p.y, p.rgb, 3);
    destroySprite(s);
  }
}

// A sprite interface pass leaves quad drawing intact; a half-transparent
// coloured quad blends over what is below.
TEST_F(PixelTest, ColouredQuadsBlendAfterASpriteInterfacePass) {
  g_spriteDevice = true;
  CSprite* s = createSprite(picture("green", 16, 16, std::vector<uint32_t>(256, 0xff00ff00)), 100);
  s->x = s->y = 10;
  drawFirstPass();
  const ColoredCorner blue[4] = {{0, 300, 0xff0000ff}, {512, 300, 0xff0000ff}, {512, 512, 0xff0000ff}, {0, 512, 0xff0000ff}};
  const ColoredCorner red[4] = {{100, 400, 0x80ff0000}, {200, 400, 0x80ff0000}, {200, 500, 0x80ff0000}, {100, 500, 0x80ff0000}};
  drawColoredQuad(blue);
  drawColoredQuad(red);
  readBack();
  expectColour(18, 18, 0x00ff00);
  expectColour(150, 450, 0x80007f);
  for (auto [x, y] : {std::pair{50, 450}, {250, 450}, {150, 399}, {150, 501}}) expectColour(x, y, 0x0000ff);
  expectColour(150, 250, 0);
}

TEST_F(PixelTest, PicturesSurviveAWindowResize) {
  CSprite* s = createSprite(picture("yellow", 20, 20, std::vector<uint32_t>(400, 0xffffff00)), 100);
  s->x = s->y = 40;
  for (int width : {1024, 512}) {
    platform::handleResize(width, 512);
    device_->clear(0);
    drawFirstPass();
    readBack();
    expectColour(50, 50, 0xffff00);
    expectColour(70, 50, 0);
  }
}

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
