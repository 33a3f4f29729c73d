// Shared set-up for the renderer tests: a null device and a throw-away
// working folder with its own data/gfx/.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "platform/device.h"
#include "platform/null_device.h"
#include "render/image.h"
#include "render/sprite.h"
#include "support/png_writer.h"
#include "support/temp_folder.h"

namespace rendertest {

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void writeSolid(const std::string& path, int w, int h, uint32_t argb) {
  EXPECT_TRUE(testing_support::writeSolidPng(path, w, h, argb)) << path;
}

// Each test's renderer state is torn down after it, so none leaks into the next.
class NullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::filesystem::create_directories("data/gfx");
    platform::setDevice(platform::createNullDevice());
    device_ = static_cast<platform::NullDevice*>(platform::device());
    useSpriteInterface(false);
  }
  void TearDown() override {
    destroyAllSprites();
    releaseSpriteInterface();
    platform::releaseDevice();
  }
  static std::string loadAllCapturingOutput() {
    testing::internal::CaptureStdout();
    loadAllImages();
    return testing::internal::GetCapturedStdout();
  }
  platform::NullDevice* device_ = nullptr;
  testing_support::TempFolder folder_;
  testing_support::WorkingDirectory cwd_{folder_.path()};
};

}  // namespace rendertest
