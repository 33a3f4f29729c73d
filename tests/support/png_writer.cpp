// PNG files for tests through libpng: 8-bit RGBA, no ancillary chunks (no
// gamma for a decoder to apply), fast compression since most are thrown away.
#include "support/png_writer.h"

#include <png.h>

#include <algorithm>
#include <cstdio>

namespace testing_support {
namespace {

// libpng reports errors by a long jump; nothing with a destructor lives
// between the jump's target and the calls that may take it.
bool encode(FILE* file, int width, int height, std::vector<png_bytep>& rows) {
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  if (!png) return false;
  png_infop info = png_create_info_struct(png);
  if (!info) {
    png_destroy_write_struct(&png, nullptr);
    return false;
  }
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    return false;
  }
  png_init_io(png, file);
  png_set_compression_level(png, 1);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8, PNG_COLOR_TYPE_RGB_ALPHA, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  png_write_image(png, rows.data());
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  return true;
}

}  // namespace

bool writePng(const std::string& path, int width, int height, const std::vector<uint32_t>& argb) {
  if (width <= 0 || height <= 0 || argb.size() < static_cast<size_t>(width) * height) return false;
  // Bytes in file order, whatever the machine's byte order.
  std::vector<png_byte> rgba(static_cast<size_t>(width) * height * 4);
  for (size_t i = 0; i < static_cast<size_t>(width) * height; ++i) {
    const uint32_t p = argb[i];
    rgba[i * 4 + 0] = static_cast<png_byte>(p >> 16);
    rgba[i * 4 + 1] = static_cast<png_byte>(p >> 8);
    rgba[i * 4 + 2] = static_cast<png_byte>(p);
    rgba[i * 4 + 3] = static_cast<png_byte>(p >> 24);
  }
  std::vector<png_bytep> rows(static_cast<size_t>(height));
  for (int y = 0; y < height; ++y) rows[static_cast<size_t>(y)] = &rgba[static_cast<size_t>(y) * width * 4];

  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  const bool encoded = encode(file, width, height, rows);
  const bool closed = std::fclose(file) == 0;
  if (!encoded) std::remove(path.c_str());
  return encoded && closed;
}

bool writeSolidPng(const std::string& path, int width, int height, uint32_t argb) {
  return writePng(path, width, height,
                  std::vector<uint32_t>(static_cast<size_t>(std::max(width, 0)) * std::max(height, 0), argb));
}

}  // namespace testing_support
