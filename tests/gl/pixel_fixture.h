// The pixel tests' fixture: a real OpenGL window (run under Xvfb), a fresh
// device per test with its frame begun, and reading the frame back.
#pragma once

#include <gtest/gtest.h>
#include <SDL/SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app_settings.h"
#include "platform/device.h"
#include "platform/video.h"
#include "render/image.h"
#include "render/sprite.h"
#include "support/png_writer.h"

namespace pixeltest {

struct Rgb {
  int r, g, b, a;
};

class PixelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    // Pixel tests need the real driver, whatever the environment says.
    unsetenv("SDL_VIDEODRIVER");
    videoReady_ = platform::initVideo() && !platform::isHeadless() && platform::setVideoMode(false);
  }
  static void TearDownTestSuite() {
    if (videoReady_) platform::shutdownVideo();
  }

  void SetUp() override {
    ASSERT_TRUE(videoReady_) << "no OpenGL window (run under tools/with_xvfb.sh)";
    ASSERT_TRUE(platform::createDevice());
    createSpriteInterface();
    device_ = platform::device();
    g_spriteDevice = false;
    device_->beginScene();
    device_->clear(0);
  }

  void TearDown() override {
    if (!device_) return;
    device_->endScene();
    device_->present();
    destroyAllSprites();
    releaseSpriteInterface();
    platform::releaseDevice();
  }

  // A picture file in the test's temporary folder; sprites load it on their own.
  static std::string picture(const std::string& name, int w, int h, const std::vector<uint32_t>& argb) {
    const std::string path = testing::TempDir() + "vesicor_gl_" + name + ".png";
    EXPECT_TRUE(testing_support::writePng(path, w, h, argb));
    return path;
  }
  static std::string solid(const std::string& name, int w, int h, uint32_t argb) {
    return picture(name, w, h, std::vector<uint32_t>(size_t(w) * h, argb));
  }

  void readBack() { ASSERT_TRUE(device_->readPixels(frame_)); }
  Rgb at(int x, int y) const {
    const uint32_t p = frame_[size_t(y) * platform::kDrawingSize + x];
    return {int((p >> 16) & 0xff), int((p >> 8) & 0xff), int(p & 0xff), int(p >> 24)};
  }
  void expectColour(int x, int y, int r, int g, int b, int tolerance = 2) const {
    const Rgb p = at(x, y);
    EXPECT_NEAR(p.r, r, tolerance) << "red at " << x << "," << y;
    EXPECT_NEAR(p.g, g, tolerance) << "green at " << x << "," << y;
    EXPECT_NEAR(p.b, b, tolerance) << "blue at " << x << "," << y;
  }

  static inline bool videoReady_ = false;
  platform::Device* device_ = nullptr;
  std::vector<uint32_t> frame_;
};

}  // namespace pixeltest
