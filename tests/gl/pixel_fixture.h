// The pixel tests' fixture: a real OpenGL window (run under Xvfb), a fresh
// device per test with its frame begun, and reading the frame back.
#pragma once

#include <gtest/gtest.h>
#include <SDL/SDL.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "platform/device.h"
#include "platform/video.h"
#include "render/image.h"
#include "render/sprite.h"
#include "support/png_writer.h"
#include "support/temp_folder.h"

namespace pixeltest {

class PixelTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    unsetenv("SDL_VIDEODRIVER");  // the real driver, whatever the environment says
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
    useSpriteInterface(false);
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

  // A picture file in the test's own scratch folder; sprites load it on their own.
  std::string picture(const std::string& name, int w, int h, const std::vector<uint32_t>& argb) const {
    const std::string path = pictures_.file(name + ".png");
    EXPECT_TRUE(testing_support::writePng(path, w, h, argb));
    return path;
  }
  // A failed read leaves no frame behind, so no check looks at an old one.
  void readBack() {
    frame_.clear();
    if (device_->readPixels(frame_)) return;
    frame_.clear();
    FAIL() << "the frame could not be read back from the OpenGL window";
  }
  void expectColour(int x, int y, uint32_t rgb, int tolerance = 2) const {
    const size_t n = platform::kDrawingSize;
    ASSERT_EQ(frame_.size(), n * n) << "no frame read back to look at " << x << "," << y;
    const uint32_t p = frame_[size_t(y) * n + x];
    for (int shift : {16, 8, 0}) {
      EXPECT_NEAR(int((p >> shift) & 0xff), int((rgb >> shift) & 0xff), tolerance)
          << "at " << x << "," << y << ": " << std::hex << (p & 0xffffff) << " for " << rgb;
    }
  }

  static inline bool videoReady_ = false;
  testing_support::TempFolder pictures_;
  platform::Device* device_ = nullptr;
  std::vector<uint32_t> frame_;
};

}  // namespace pixeltest
