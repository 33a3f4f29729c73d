// Minimal PNG encoder for tests: RGBA, 8 bits, stored deflate blocks.
#include "support/png_writer.h"

#include <algorithm>
#include <cstdio>

namespace testing_support {
namespace {

uint32_t crc32(const std::vector<uint8_t>& data) {
  uint32_t crc = ~0u;
  for (uint8_t byte : data) {
    crc ^= byte;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

void put32(std::vector<uint8_t>& out, uint32_t v) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(v >> shift));
}

void chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& body) {
  put32(out, static_cast<uint32_t>(body.size()));
  std::vector<uint8_t> typed(type, type + 4);
  typed.insert(typed.end(), body.begin(), body.end());
  out.insert(out.end(), typed.begin(), typed.end());
  put32(out, crc32(typed));
}

}  // namespace

bool writePng(const std::string& path, int width, int height, const std::vector<uint32_t>& argb) {
  if (width <= 0 || height <= 0 || argb.size() < static_cast<size_t>(width) * height) return false;
  std::vector<uint8_t> raw;
  for (int y = 0; y < height; ++y) {
    raw.push_back(0);  // filter: none
    for (int x = 0; x < width; ++x) {
      const uint32_t p = argb[static_cast<size_t>(y) * width + x];
      for (int shift : {16, 8, 0, 24}) raw.push_back(static_cast<uint8_t>(p >> shift));
    }
  }
  std::vector<uint8_t> z{0x78, 0x01};
  uint32_t a = 1, b = 0;
  for (uint8_t c : raw) {
    a = (a + c) % 65521;
    b = (b + a) % 65521;
  }
  size_t pos = 0;
  do {  // stored blocks hold at most 65535 bytes each
    const size_t n = std::min<size_t>(65535, raw.size() - pos);
    z.push_back(pos + n == raw.size() ? 1 : 0);
    for (size_t v : {n, ~n}) {
      z.push_back(static_cast<uint8_t>(v));
      z.push_back(static_cast<uint8_t>(v >> 8));
    }
    z.insert(z.end(), raw.begin() + static_cast<long>(pos), raw.begin() + static_cast<long>(pos + n));
    pos += n;
  } while (pos < raw.size());
  put32(z, (b << 16) | a);

  std::vector<uint8_t> out{0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'}, ihdr;
  put32(ihdr, static_cast<uint32_t>(width));
  put32(ihdr, static_cast<uint32_t>(height));
  ihdr.insert(ihdr.end(), {8, 6, 0, 0, 0});
  chunk(out, "IHDR", ihdr);
  chunk(out, "IDAT", z);
  chunk(out, "IEND", {});
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const bool ok = std::fwrite(out.data(), 1, out.size(), f) == out.size();
  return std::fclose(f) == 0 && ok;
}

bool writeSolidPng(const std::string& path, int width, int height, uint32_t argb) {
  return writePng(path, width, height,
                  std::vector<uint32_t>(static_cast<size_t>(std::max(width, 0)) * std::max(height, 0), argb));
}

}  // namespace testing_support
