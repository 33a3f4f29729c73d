// Pixel tests through the OpenGL device in a real window (run under Xvfb):
// what the golden pictures cannot tell apart. Sprites by both means (quads
// and the sprite interface) with scale, turns and colour alpha, a resized
// window, and a device without a window. Then
// sprite stacks: a composed stack looks like its layers drawn one by one, by
// both ways of composing, and it is composed again only when it changes
// visibly (the game's own composed frames are pinned by the golden pictures).
#include <algorithm>

#include "pixel_fixture.h"
#include "platform/gl_device.h"
#include "support/temp_folder.h"

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
    useSpriteInterface(c.viaInterface);
    device_->clear(0);
    CSprite* s = createSprite(pictures[c.picture], 100);
    ASSERT_NE(s->texture, nullptr);
    s->x = c.x;
    s->y = c.y;
    s->scaleX = s->scaleY = c.scale;
    s->rotation = c.rotation;
    s->color[3] = c.alpha;
    drawFirstPass();
    ASSERT_NO_FATAL_FAILURE(readBack());
    for (const Probe& p : c.probes) expectColour(p.x, p.y, p.rgb, 3);
    destroySprite(s);
  }
}

TEST_F(PixelTest, PicturesSurviveAWindowResize) {
  CSprite* s = createSprite(picture("yellow", 20, 20, std::vector<uint32_t>(400, 0xffffff00)), 100);
  s->x = s->y = 40;
  for (int width : {1024, 512}) {
    platform::handleResize(width, 512);
    device_->clear(0);
    drawFirstPass();
    ASSERT_NO_FATAL_FAILURE(readBack());
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

using platform::StackComposing;

// Pixels off by more than 6 and outside the range of colours within two
// pixels of them in the reference: a composite at half size softens edges,
// but shifted, turned or wrongly blended layers show up here.
struct Difference {
  double mean = 0;  // per channel
  size_t outOfRange = 0;
};

int channel(uint32_t argb, int c) { return int((argb >> (16 - 8 * c)) & 0xff); }

Difference compare(const std::vector<uint32_t>& reference, const std::vector<uint32_t>& got) {
  const int n = platform::kDrawingSize;
  if (reference.size() != size_t(n) * n || got.size() != reference.size()) return {255, size_t(n) * n};
  Difference d;
  for (int i = 0; i < n * n; ++i) {
    bool outside = false;
    for (int c = 0; c < 3; ++c) {
      const int have = channel(got[i], c), diff = std::abs(channel(reference[i], c) - have);
      d.mean += diff / (3.0 * n * n);
      int lo = 255, hi = 0;
      for (int ny = std::max(0, i / n - 2); diff > 6 && ny <= std::min(n - 1, i / n + 2); ++ny) {
        for (int nx = std::max(0, i % n - 2); nx <= std::min(n - 1, i % n + 2); ++nx) {
          lo = std::min(lo, channel(reference[size_t(ny) * n + nx], c));
          hi = std::max(hi, channel(reference[size_t(ny) * n + nx], c));
        }
      }
      outside = outside || (diff > 6 && (have < lo - 6 || have > hi + 6));
    }
    d.outOfRange += outside;
  }
  return d;
}

void expectAlike(const Difference& d, const std::string& where) {
  EXPECT_LE(d.mean, 2.0) << where;
  EXPECT_EQ(d.outOfRange, 0u) << where;
}

class StackTest : public pixeltest::PixelTest {
 protected:
  void SetUp() override {
    PixelTest::SetUp();
    useSpriteInterface(true);
  }
  void TearDown() override {
    platform::setStackComposing(StackComposing::kAuto);
    PixelTest::TearDown();
  }

  // 96 x 80 colour ramps with alpha falling from opaque to a quarter, at twice
  // its size, and six turned, growing copies at alpha 0.3, all sharing the
  // cached picture as the game's background copies do.
  void buildStack() {
    std::vector<uint32_t> px(96 * 80);
    for (uint32_t i = 0; i < px.size(); ++i) {
      const uint32_t x = i % 96, y = i / 96, b = (x / 8 + y / 8) % 2 ? 200u : 40u;
      px[i] = ((255 - x * 2) << 24) | ((x * 255 / 95) << 16) | ((y * 255 / 79) << 8) | b;
    }
    const testing_support::TempFolder folder;
    folder.makeFolder("data"), folder.makeFolder("data/gfx");
    ASSERT_TRUE(testing_support::writePng(folder.file("data/gfx/ramps.png"), 96, 80, px));
    const testing_support::WorkingDirectory cwd(folder.path());
    testing::internal::CaptureStdout();
    loadAllImages();
    testing::internal::GetCapturedStdout();
    ASSERT_NE(findImage("data/gfx/ramps.png"), nullptr);
    base_ = createSprite("data/gfx/ramps.png", 200);
    base_->x = 150;
    base_->y = 170;
    base_->scaleX = base_->scaleY = 2;
    for (int k = 1; k <= 6; ++k) {
      CSprite* copy = createSprite("data/gfx/ramps.png", 199);
      copy->stackedOn = base_;
      copy->color[3] = 0.3f;
      copy->rotation = 0.12f * float(k);
      copy->scaleX = copy->scaleY = 2 + 0.06f * float(k);
      copy->x = base_->x - 3.0f * float(k);
      copy->y = base_->y - 2.0f * float(k);
      copies_.push_back(copy);
    }
  }

  // The frame drawn the given way over a white one, read back.
  std::vector<uint32_t> frame(StackComposing mode) {
    platform::setStackComposing(mode);
    device_->clear(0xffffffff);
    readBack();
    device_->clear(0);
    drawFirstPass();
    readBack();
    return frame_;
  }
  uint64_t compositions() const { return device_->stats().stackCompositions; }

  CSprite* base_ = nullptr;
  std::vector<CSprite*> copies_;
};

TEST_F(StackTest, ComposedLikeItsLayersAndAgainOnlyWhenChangedVisibly) {
  buildStack();
  for (StackComposing mode : {StackComposing::kAuto, StackComposing::kScratchInBackBuffer}) {
    SCOPED_TRACE(mode == StackComposing::kAuto ? "off-screen" : "scratch in the back buffer");
    base_->x += 1;  // so that the second way cannot reuse the first one's composite
    const uint64_t before = compositions();
    const std::vector<uint32_t> reference = frame(StackComposing::kLayerByLayer);
    expectAlike(compare(reference, frame(mode)), "composed");
    EXPECT_EQ(compositions(), before + 1);
    expectColour(2, 2, 0, 0);  // the corners are left to the clear
    expectColour(509, 509, 0, 0);
  }
  // Composing off-screen hands drawing back to the frame buffer the frame was
  // being drawn into, which need not be the window's own (sdl12-compat draws
  // the window into a frame buffer object): what came before the stack stays.
  CSprite* marker = createSprite(picture("marker", 8, 8, std::vector<uint32_t>(64, 0xffff0000)), 300);
  ASSERT_NE(marker->texture, nullptr);
  marker->x = 20;  // away from every layer of the stack
  marker->y = 470;
  // A nudge below a fifth of a pixel is not worth composing again; a visible change is.
  const uint64_t before = compositions();
  copies_.back()->x += 0.2f;
  frame(StackComposing::kAuto);
  EXPECT_EQ(compositions(), before);
  copies_[0]->color[3] = 0.5f, copies_[3]->hidden = true;
  const std::vector<uint32_t> last = frame(StackComposing::kAuto);
  EXPECT_EQ(compositions(), before + 1);
  expectColour(24, 474, 0xff0000, 0);
  expectAlike(compare(frame(StackComposing::kLayerByLayer), last), "after the changes");
}

}  // namespace
