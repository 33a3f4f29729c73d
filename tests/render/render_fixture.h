// Shared set-up for the renderer tests: a null device, a throw-away working
// folder with its own data/gfx/, and small file helpers.
#pragma once

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app_settings.h"
#include "platform/device.h"
#include "platform/null_device.h"
#include "render/image.h"
#include "render/sprite.h"
#include "support/png_writer.h"

namespace rendertest {

// Runs a test inside a fresh folder holding data/gfx/, and removes it after.
class ScopedWorkDir {
 public:
  ScopedWorkDir() {
    char pattern[] = "/tmp/vesicor-render-XXXXXX";
    const char* made = mkdtemp(pattern);
    dir_ = made ? made : "";
    char cwd[4096];
    old_ = getcwd(cwd, sizeof(cwd)) ? cwd : ".";
    std::filesystem::create_directories(dir_ + "/data/gfx");
    ok_ = !dir_.empty() && chdir(dir_.c_str()) == 0;
  }
  ~ScopedWorkDir() {
    if (chdir(old_.c_str()) != 0) std::abort();
    std::error_code ignored;
    std::filesystem::remove_all(dir_, ignored);
  }
  bool ok() const { return ok_; }
  const std::string& path() const { return dir_; }

 private:
  std::string dir_, old_;
  bool ok_ = false;
};

inline std::vector<uint8_t> readBytes(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void writeBytes(const std::string& path, const std::vector<uint8_t>& bytes) {
  std::ofstream out(path, std::ios::binary);
  out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
}

inline void writeSolid(const std::string& path, int w, int h, uint32_t argb) {
  ASSERT_TRUE(testing_support::writeSolidPng(path, w, h, argb));
}

// A null device installed for each test, everything renderer-side torn down after.
class NullDeviceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setDevice(platform::createNullDevice());
    device_ = static_cast<platform::NullDevice*>(platform::device());
    g_spriteDevice = false;
  }
  void TearDown() override {
    destroyAllSprites();
    releaseSpriteInterface();
    platform::releaseDevice();
    g_spriteDevice = false;
  }
  platform::NullDevice* device_ = nullptr;
};

}  // namespace rendertest
