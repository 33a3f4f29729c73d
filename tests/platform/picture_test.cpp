// Picture files as the decoder meets them: every way of being cut short,
// lying headers and foreign formats (good pictures show in the golden frames).
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/picture.h"
#include "render/jpeg_sample.h"
#include "support/png_writer.h"

namespace {

using namespace platform;

std::vector<uint8_t> pngBytes(int w, int h, const std::vector<uint32_t>& argb) {
  const std::string path = testing::TempDir() + "picture_test.png";
  EXPECT_TRUE(testing_support::writePng(path, w, h, argb));
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

bool inspect(const std::vector<uint8_t>& bytes, size_t n) {
  PictureFormat format;
  ImageInfo info;
  return inspectPicture(bytes.data(), n, format, info);
}

// Rewrites the header's size with a correct checksum, so only the size is wrong.
void declareSize(std::vector<uint8_t>& png, uint32_t w, uint32_t h) {
  for (int i = 0; i < 4; ++i) png[16 + i] = uint8_t(w >> (24 - 8 * i)), png[20 + i] = uint8_t(h >> (24 - 8 * i));
  uint32_t crc = ~0u;
  for (int i = 12; i < 29; ++i) {
    crc ^= png[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  for (int i = 0; i < 4; ++i) png[29 + i] = uint8_t(~crc >> (24 - 8 * i));
}

TEST(PictureDecoding, CutShortLyingAboutTheirSizeOrForeignFilesFailCleanly) {
  std::vector<uint8_t> png = pngBytes(3, 3, std::vector<uint32_t>(9, 0xff808080));
  std::vector<uint8_t> jpeg = testjpeg::red6x4();
  Picture picture;
  ASSERT_TRUE(decodePicture(png.data(), png.size(), picture) && decodePicture(jpeg.data(), jpeg.size(), picture));
  for (size_t n = 0; n < png.size(); ++n) {
    EXPECT_FALSE(inspect(png, n) || decodePicture(png.data(), n, picture)) << "png cut at " << n;
  }
  for (size_t n = 0; n < jpeg.size(); ++n) EXPECT_FALSE(decodePicture(jpeg.data(), n, picture)) << "jpeg cut at " << n;
  EXPECT_TRUE(inspect(png, png.size()));
  for (auto [w, h] : {std::pair{4097u, 2u}, {2u, 100000u}, {0u, 2u}}) {
    declareSize(png, w, h);
    EXPECT_FALSE(inspect(png, png.size())) << w << " x " << h;
  }
  // A header that lies within the limit passes inspection but fails to decode, without harm.
  declareSize(png, 4096, 4096);
  EXPECT_TRUE(inspect(png, png.size()));
  EXPECT_FALSE(decodePicture(png.data(), png.size(), picture));
  const uint8_t frame[] = {0xff, 0xc0};
  auto at = std::search(jpeg.begin(), jpeg.end(), frame, frame + 2);
  ASSERT_NE(at, jpeg.end());
  at[5] = 5000 >> 8, at[6] = 5000 & 0xff;  // the frame header claims 5000 rows
  EXPECT_FALSE(inspect(jpeg, jpeg.size()));
  using Bytes = std::vector<uint8_t>;
  for (Bytes other : {Bytes{'G', 'I', 'F', '8', '9', 'a', 1, 0, 1, 0, 0, 0, 0, ';'}, Bytes{'B', 'M', 0x3a, 0, 0, 0}})
    EXPECT_FALSE(inspect(other, other.size())) << other[0];
}

}  // namespace
