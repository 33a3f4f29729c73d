// Shared set-up for the renderer tests: a null device and a throw-away
// working folder with its own data/gfx/.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app_settings.h"
#include "platform/device.h"
#include "platform/null_device.h"
#include "render/image.h"
#include "render/sprite.h"
#include "support/png_writer.h"

namespace rendertest {

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void writeSolid(const std::string& path, int w, int h, uint32_t argb) {
  ASSERT_TRUE(testing_support::writeSolidPng(path, w, h, argb));
}

// A null device and a fresh working folder for each test; everything
// renderer-side torn down after.
class NullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/vesicor-render-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
    std::filesystem::create_directories(dir_ + "/data/gfx");
    std::filesystem::current_path(dir_);
    platform::setDevice(platform::createNullDevice());
    device_ = static_cast<platform::NullDevice*>(platform::device());
    g_spriteDevice = false;
  }
  void TearDown() override {
    destroyAllSprites();
    releaseSpriteInterface();
    platform::releaseDevice();
    g_spriteDevice = false;
    std::filesystem::current_path(back_);
    std::filesystem::remove_all(dir_);
  }
  // Loads data/gfx/ into the cache; returns what it printed.
  static std::string loadAllCapturingOutput() {
    testing::internal::CaptureStdout();
    loadAllImages();
    return testing::internal::GetCapturedStdout();
  }
  platform::NullDevice* device_ = nullptr;
  std::string back_ = std::filesystem::current_path(), dir_;
};

}  // namespace rendertest
