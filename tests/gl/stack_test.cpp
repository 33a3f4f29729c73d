// Sprite stacks on the OpenGL device (run under Xvfb): a composed stack looks
// like its layers drawn one by one, in a test scene by both ways of composing
// and in frames of the shipped game, and it is composed again only when it
// changes visibly. The game comparison prints its figures:
//   tools/with_xvfb.sh ./build/vesicor_gl_tests --gtest_filter='StackLook.*'
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>

#include "app.h"
#include "pixel_fixture.h"
#include "platform/gl_device.h"
#include "platform/picture.h"
#include "support/scripted_game.h"

namespace {

using platform::StackComposing;

struct Difference {
  double mean[3] = {0, 0, 0};  // red, green, blue
  int biggest = 0;             // over all channels
  int x = 0, y = 0;            // where the biggest is
  size_t overSix = 0;          // pixels with a channel off by more than 6
  // Pixels outside the range of colours found within two pixels of them in
  // the reference, by more than rounding: a composite at half size softens
  // edges, but shifted, turned or wrongly blended layers show up here.
  size_t outOfRange = 0;
};

int channel(uint32_t argb, int c) { return int((argb >> (16 - 8 * c)) & 0xff); }

// `got` against `reference`, both drawing-space frames.
Difference compare(const std::vector<uint32_t>& reference, const std::vector<uint32_t>& got) {
  Difference d;
  const int n = platform::kDrawingSize;
  if (reference.size() != size_t(n) * n || got.size() != reference.size()) {
    d.biggest = 256;
    d.outOfRange = reference.size();
    return d;
  }
  double sum[3] = {0, 0, 0};
  for (int y = 0; y < n; ++y) {
    for (int x = 0; x < n; ++x) {
      const size_t i = size_t(y) * n + x;
      int worst = 0;
      bool outside = false;
      for (int c = 0; c < 3; ++c) {
        const int want = channel(reference[i], c), have = channel(got[i], c);
        const int diff = std::abs(want - have);
        sum[c] += diff;
        worst = std::max(worst, diff);
        if (diff <= 6) continue;
        int lo = 255, hi = 0;
        for (int ny = std::max(0, y - 2); ny <= std::min(n - 1, y + 2); ++ny) {
          for (int nx = std::max(0, x - 2); nx <= std::min(n - 1, x + 2); ++nx) {
            const int v = channel(reference[size_t(ny) * n + nx], c);
            lo = std::min(lo, v);
            hi = std::max(hi, v);
          }
        }
        outside = outside || have < lo - 6 || have > hi + 6;
      }
      if (worst > 6) ++d.overSix;
      if (outside) ++d.outOfRange;
      if (worst > d.biggest) {
        d.biggest = worst;
        d.x = x;
        d.y = y;
      }
    }
  }
  for (int c = 0; c < 3; ++c) d.mean[c] = sum[c] / double(reference.size());
  return d;
}

// 96 x 80: colour ramps both ways, alpha falling from opaque to a quarter.
std::vector<uint32_t> ramps() {
  std::vector<uint32_t> px(96 * 80);
  for (int y = 0; y < 80; ++y) {
    for (int x = 0; x < 96; ++x) {
      const uint32_t a = 255 - uint32_t(x) * 2, r = uint32_t(x) * 255 / 95, g = uint32_t(y) * 255 / 79;
      const uint32_t b = (x / 8 + y / 8) % 2 ? 200u : 40u;
      px[size_t(y) * 96 + x] = (a << 24) | (r << 16) | (g << 8) | b;
    }
  }
  return px;
}

class StackTest : public pixeltest::PixelTest {
 protected:
  void SetUp() override {
    PixelTest::SetUp();
    g_spriteDevice = true;
  }
  void TearDown() override {
    platform::setStackComposing(StackComposing::kAuto);
    PixelTest::TearDown();
  }

  // The picture at twice its size and six turned, growing copies at alpha 0.3,
  // all sharing the cached picture as the game's background copies do.
  void buildStack() {
    const std::string folder = testing::TempDir() + "vesicor_gl_stack";
    std::filesystem::create_directories(folder + "/data/gfx");
    ASSERT_TRUE(testing_support::writePng(folder + "/data/gfx/ramps.png", 96, 80, ramps()));
    const std::string back = std::filesystem::current_path();
    std::filesystem::current_path(folder);
    testing::internal::CaptureStdout();
    loadAllImages();
    testing::internal::GetCapturedStdout();
    std::filesystem::current_path(back);
    const std::string path = "data/gfx/ramps.png";
    ASSERT_NE(findImage(path), nullptr);
    base_ = createSprite(path, 200);
    base_->x = 150;
    base_->y = 170;
    base_->scaleX = base_->scaleY = 2;
    for (int k = 1; k <= 6; ++k) {
      CSprite* copy = createSprite(path, 199);
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

  CSprite* base_ = nullptr;
  std::vector<CSprite*> copies_;
};

TEST_F(StackTest, ComposedStackLooksLikeItsLayersDrawnOneByOne) {
  buildStack();
  for (StackComposing mode : {StackComposing::kAuto, StackComposing::kScratchInBackBuffer}) {
    SCOPED_TRACE(mode == StackComposing::kAuto ? "off-screen" : "scratch in the back buffer");
    base_->x += 1;  // so that the second way cannot reuse the first one's composite
    const uint64_t before = device_->stats().stackCompositions;
    const std::vector<uint32_t> reference = frame(StackComposing::kLayerByLayer);
    EXPECT_EQ(device_->stats().stackCompositions, before);
    const Difference d = compare(reference, frame(mode));
    EXPECT_EQ(device_->stats().stackCompositions, before + 1);
    for (double m : d.mean) EXPECT_LE(m, 2.0);
    EXPECT_EQ(d.outOfRange, 0u) << "biggest difference " << d.biggest << " at " << d.x << "," << d.y;
    // The stack leaves the window's corners to the clear.
    expectColour(2, 2, 0, 0, 0, 0);
    expectColour(509, 509, 0, 0, 0, 0);
  }
}

TEST_F(StackTest, StackIsComposedAgainOnlyWhenItChangesVisibly) {
  buildStack();
  struct Change {
    const char* what;
    std::function<void(std::vector<CSprite*>&)> apply;
    bool recomposed;
  };
  const Change changes[] = {
      {"nothing", [](std::vector<CSprite*>&) {}, false},
      {"a copy nudged by a fifth of a pixel", [](std::vector<CSprite*>& copies) { copies.back()->x += 0.2f; }, false},
      {"and by another pixel", [](std::vector<CSprite*>& copies) { copies.back()->x += 1.0f; }, true},
      {"a copy turned by a hundredth of a degree", [](std::vector<CSprite*>& copies) { copies[2]->rotation += 0.0002f; }, false},
      {"a copy's colour", [](std::vector<CSprite*>& copies) { copies[0]->color[3] = 0.5f; }, true},
      {"a copy hidden", [](std::vector<CSprite*>& copies) { copies[3]->hidden = true; }, true},
  };
  std::vector<uint32_t> last = frame(StackComposing::kAuto);
  for (const Change& c : changes) {
    SCOPED_TRACE(c.what);
    const uint64_t before = device_->stats().stackCompositions;
    c.apply(copies_);
    const std::vector<uint32_t> now = frame(StackComposing::kAuto);
    EXPECT_EQ(device_->stats().stackCompositions, before + (c.recomposed ? 1 : 0));
    if (c.recomposed) {
      EXPECT_NE(now, last);
    } else {
      EXPECT_EQ(now, last);
    }
    const Difference d = compare(frame(StackComposing::kLayerByLayer), now);
    for (double m : d.mean) EXPECT_LE(m, 2.0);
    EXPECT_EQ(d.outOfRange, 0u);
    last = now;
  }
}

// Frames of a scripted game (the shop, a bought wall dropped into the blood,
// banners, the swaying background) drawn layer by layer and composed.
TEST(StackLook, FramesOfTheGameLookAsWhenDrawnLayerByLayer) {
  using testing_support::TimedEvent;
  testing_support::GameScript s;
  s.seed = 11;
  s.durationMs = 6000;
  s.realVideo = true;
  auto at = [](uint32_t tick, SDL_Event e) {
    TimedEvent t;
    t.tick = tick;
    t.event = e;
    return t;
  };
  s.events = {at(1500, testing_support::motionEvent(186, 90)), at(1600, testing_support::buttonEvent(true, 1, 186, 91))};
  for (int i = 1; i <= 20; ++i) s.events.push_back(at(1600 + i * 32, testing_support::motionEvent(186 + i * 3, 91 + i * 19)));
  s.events.push_back(at(2500, testing_support::buttonEvent(false, 1, 246, 471)));
  const std::vector<uint32_t> samples = {16, 496, 1008, 1504, 2000, 2496, 3008, 3504, 4000, 4992, 5504, 5984};

  char tmpl[] = "/tmp/vesicor-stack-look-XXXXXX";
  ASSERT_NE(mkdtemp(tmpl), nullptr);
  const std::string dir = tmpl;
  auto hook = [&](CApplication& app, uint32_t ms) {
    if (std::find(samples.begin(), samples.end(), ms) == samples.end()) return;
    for (StackComposing mode : {StackComposing::kLayerByLayer, StackComposing::kAuto}) {
      platform::setStackComposing(mode);
      app.drawScene();
      std::vector<uint32_t> argb;
      if (!platform::device()->readPixels(argb)) continue;
      for (uint32_t& p : argb) p |= 0xff000000u;
      const char* way = mode == StackComposing::kAuto ? "composed" : "layers";
      testing_support::writePng(dir + "/" + std::to_string(ms) + "_" + way + ".png", platform::kDrawingSize,
                                platform::kDrawingSize, argb);
    }
    platform::setStackComposing(StackComposing::kAuto);
    std::ofstream(dir + "/compositions.txt") << platform::device()->stats().stackCompositions;
  };
  const testing_support::GameRunResult r = testing_support::runGame(s, hook);
  ASSERT_TRUE(r.started) << "no OpenGL window (run under tools/with_xvfb.sh): " << r.output;
  ASSERT_FALSE(r.crashed);

  uint64_t compositions = 0;
  std::ifstream(dir + "/compositions.txt") >> compositions;
  std::printf("compositions in %zu frames: %llu\n", size_t(r.frames), static_cast<unsigned long long>(compositions));
  EXPECT_GT(compositions, 0u) << "the stack was never composed";
  Difference worst;
  for (uint32_t ms : samples) {
    platform::Picture layers, composed;
    ASSERT_TRUE(platform::decodePicture(dir + "/" + std::to_string(ms) + "_layers.png", layers));
    ASSERT_TRUE(platform::decodePicture(dir + "/" + std::to_string(ms) + "_composed.png", composed));
    const Difference d = compare(layers.argb, composed.argb);
    std::printf(
        "%5u ms: mean difference R %.2f G %.2f B %.2f; biggest %d at %d,%d; %zu pixels off by more than 6, %zu out "
        "of their neighbours' range\n",
        ms, d.mean[0], d.mean[1], d.mean[2], d.biggest, d.x, d.y, d.overSix, d.outOfRange);
    EXPECT_EQ(d.outOfRange, 0u) << ms << " ms";
    for (int c = 0; c < 3; ++c) {
      EXPECT_LE(d.mean[c], 2.0) << ms << " ms";
      worst.mean[c] = std::max(worst.mean[c], d.mean[c]);
    }
    worst.biggest = std::max(worst.biggest, d.biggest);
    worst.overSix = std::max(worst.overSix, d.overSix);
  }
  std::printf("worst: mean R %.2f G %.2f B %.2f, biggest pixel difference %d, at most %zu pixels off by more than 6\n",
              worst.mean[0], worst.mean[1], worst.mean[2], worst.biggest, worst.overSix);
  if (testing::Test::HasFailure()) {
    std::printf("frames kept in %s\n", dir.c_str());
  } else {
    std::filesystem::remove_all(dir);
  }
}

}  // namespace
