// Writes A8R8G8B8 pixels as a PNG file (through libpng), so tests can make
// pictures and save frames without an image tool.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testing_support {

// Pixels are row after row, top row first, as 0xAARRGGBB.
bool writePng(const std::string& path, int width, int height, const std::vector<uint32_t>& argb);
bool writeSolidPng(const std::string& path, int width, int height, uint32_t argb);

}  // namespace testing_support
