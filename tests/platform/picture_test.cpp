// Picture files as the decoder meets them: good PNG and JPEG, every way of
// being cut short, lying headers, foreign formats and odd paths.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
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

// Rewrites the header's size, with a correct checksum, so only the size is wrong.
void declareSize(std::vector<uint8_t>& png, uint32_t w, uint32_t h) {
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = uint8_t(w >> (24 - 8 * i));
    png[20 + i] = uint8_t(h >> (24 - 8 * i));
  }
  uint32_t crc = ~0u;
  for (int i = 12; i < 29; ++i) {
    crc ^= png[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  for (int i = 0; i < 4; ++i) png[29 + i] = uint8_t(~crc >> (24 - 8 * i));
}

TEST(PictureDecoding, PngKeepsColoursAndAlphaAndJpegIsOpaque) {
  const std::vector<uint8_t> png = pngBytes(2, 2, {0xff112233, 0x00000000, 0x80ff0000, 0xff00ff00});
  Picture picture;
  ASSERT_TRUE(decodePicture(png.data(), png.size(), picture));
  EXPECT_EQ(picture.width * 10 + picture.height, 22);
  EXPECT_EQ(picture.argb[0], 0xff112233u);
  EXPECT_EQ(picture.argb[1] >> 24, 0u);
  EXPECT_EQ(picture.argb[2], 0x80ff0000u);
  EXPECT_EQ(picture.argb[3], 0xff00ff00u);
  const std::vector<uint8_t>& jpeg = testjpeg::red6x4();
  ASSERT_TRUE(decodePicture(jpeg.data(), jpeg.size(), picture));
  ASSERT_EQ(picture.argb.size(), 24u);
  for (uint32_t p : picture.argb) EXPECT_TRUE(p >> 24 == 255 && ((p >> 16) & 0xff) > 240 && (p & 0xff) < 16) << p;
}

TEST(PictureDecoding, EveryTruncationFailsCleanly) {
  const std::vector<uint8_t> png = pngBytes(3, 3, std::vector<uint32_t>(9, 0xff808080));
  const std::vector<uint8_t>& jpeg = testjpeg::red6x4();
  Picture picture;
  for (size_t n = 0; n < png.size(); ++n) {
    EXPECT_FALSE(inspect(png, n)) << "png cut at " << n;
    EXPECT_FALSE(decodePicture(png.data(), n, picture)) << "png cut at " << n;
  }
  for (size_t n = 0; n < jpeg.size(); ++n) EXPECT_FALSE(decodePicture(jpeg.data(), n, picture)) << "jpeg cut at " << n;
}

TEST(PictureDecoding, SizesBeyond4096AndOtherFormatsAreRefused) {
  std::vector<uint8_t> png = pngBytes(2, 2, std::vector<uint32_t>(4, 0xffffffff));
  EXPECT_TRUE(inspect(png, png.size()));
  for (auto [w, h] : {std::pair{4097u, 2u}, {2u, 100000u}, {0u, 2u}}) {
    declareSize(png, w, h);
    EXPECT_FALSE(inspect(png, png.size())) << w << " x " << h;
  }
  // A header that lies within the limit still fails to decode, without harm.
  declareSize(png, 4096, 4096);
  EXPECT_TRUE(inspect(png, png.size()));
  Picture picture;
  EXPECT_FALSE(decodePicture(png.data(), png.size(), picture));
  // The JPEG frame header claiming 5000 rows.
  std::vector<uint8_t> jpeg = testjpeg::red6x4();
  for (size_t i = 2; i + 9 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
      jpeg[i + 5] = 5000 >> 8;
      jpeg[i + 6] = 5000 & 0xff;
      break;
    }
  }
  EXPECT_FALSE(inspect(jpeg, jpeg.size()));
  for (std::string other : {std::string("GIF89a\x01\x00\x01\x00\x00\x00\x00;", 14), std::string("BM\x3a\x00\x00\x00", 6)}) {
    EXPECT_FALSE(inspect(std::vector<uint8_t>(other.begin(), other.end()), other.size())) << other;
  }
}

TEST(PictureFiles, BackslashesOpenAsSlashesAndFoldersAreNotFiles) {
  const std::string path = testing::TempDir() + "picture_files_test.png";
  ASSERT_TRUE(testing_support::writeSolidPng(path, 3, 5, 0xff000000));
  std::string backslashed = path;
  for (char& c : backslashed) c = c == '/' ? '\\' : c;
  ImageInfo info;
  EXPECT_TRUE(readPictureInfo(backslashed, info));
  EXPECT_EQ(info.width * 10 + info.height, 35);
  std::remove(path.c_str());
  EXPECT_FALSE(readPictureInfo(path, info));
  EXPECT_FALSE(readPictureInfo(testing::TempDir(), info));
}

}  // namespace
