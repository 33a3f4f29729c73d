// Picture files as the decoder meets them: good PNG and JPEG, every way of
// being cut short, lying headers and foreign formats.
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
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::remove(path.c_str());
  return bytes;
}

uint32_t crc32(const uint8_t* p, size_t n) {
  uint32_t crc = ~0u;
  for (size_t i = 0; i < n; ++i) {
    crc ^= p[i];
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xedb88320u & (0u - (crc & 1u)));
  }
  return ~crc;
}

// Rewrites the header's size, with a correct checksum, so only the size is wrong.
void declareSize(std::vector<uint8_t>& png, uint32_t w, uint32_t h) {
  for (int i = 0; i < 4; ++i) {
    png[16 + i] = uint8_t(w >> (24 - 8 * i));
    png[20 + i] = uint8_t(h >> (24 - 8 * i));
  }
  const uint32_t crc = crc32(png.data() + 12, 17);
  for (int i = 0; i < 4; ++i) png[29 + i] = uint8_t(crc >> (24 - 8 * i));
}

TEST(PictureDecoding, PngKeepsColoursAndAlpha) {
  const std::vector<uint32_t> pixels = {0xff112233, 0x00000000, 0x80ff0000, 0xff00ff00};
  const std::vector<uint8_t> png = pngBytes(2, 2, pixels);
  Picture picture;
  ASSERT_TRUE(decodePicture(png.data(), png.size(), picture));
  EXPECT_EQ(picture.width, 2);
  EXPECT_EQ(picture.height, 2);
  EXPECT_EQ(picture.argb[0], 0xff112233u);
  EXPECT_EQ(picture.argb[1] >> 24, 0u);
  EXPECT_EQ(picture.argb[2], 0x80ff0000u);
  EXPECT_EQ(picture.argb[3], 0xff00ff00u);
}

TEST(PictureDecoding, JpegIsOpaque) {
  const std::vector<uint8_t>& jpeg = testjpeg::red6x4();
  Picture picture;
  ASSERT_TRUE(decodePicture(jpeg.data(), jpeg.size(), picture));
  ASSERT_EQ(picture.argb.size(), 24u);
  for (uint32_t p : picture.argb) {
    EXPECT_EQ(p >> 24, 255u);
    EXPECT_GT((p >> 16) & 0xff, 240u);
    EXPECT_LT(p & 0xff, 16u);
  }
}

TEST(PictureDecoding, EveryTruncationFailsCleanly) {
  const std::vector<uint8_t> png = pngBytes(3, 3, std::vector<uint32_t>(9, 0xff808080));
  for (size_t n = 0; n < png.size(); ++n) {
    PictureFormat format;
    ImageInfo info;
    EXPECT_FALSE(inspectPicture(png.data(), n, format, info)) << "png cut at " << n;
    Picture picture;
    EXPECT_FALSE(decodePicture(png.data(), n, picture)) << "png cut at " << n;
  }
  const std::vector<uint8_t>& jpeg = testjpeg::red6x4();
  for (size_t n = 0; n < jpeg.size(); ++n) {
    Picture picture;
    EXPECT_FALSE(decodePicture(jpeg.data(), n, picture)) << "jpeg cut at " << n;
  }
}

TEST(PictureDecoding, HeaderClaimingMoreThan4096IsRefused) {
  std::vector<uint8_t> png = pngBytes(2, 2, std::vector<uint32_t>(4, 0xffffffff));
  PictureFormat format;
  ImageInfo info;
  ASSERT_TRUE(inspectPicture(png.data(), png.size(), format, info));
  EXPECT_EQ(format, PictureFormat::kPng);

  declareSize(png, 4097, 2);
  EXPECT_FALSE(inspectPicture(png.data(), png.size(), format, info));
  declareSize(png, 2, 100000);
  EXPECT_FALSE(inspectPicture(png.data(), png.size(), format, info));
  declareSize(png, 0, 2);
  EXPECT_FALSE(inspectPicture(png.data(), png.size(), format, info));

  // A header that lies within the limit still fails to decode, without harm.
  declareSize(png, 4096, 4096);
  ASSERT_TRUE(inspectPicture(png.data(), png.size(), format, info));
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
  EXPECT_FALSE(inspectPicture(jpeg.data(), jpeg.size(), format, info));
}

TEST(PictureDecoding, OtherFormatsAreNotPictures) {
  const std::string gif = "GIF89a\x01\x00\x01\x00\x00\x00\x00;";
  const std::string bmp = "BM\x3a\x00\x00\x00";
  PictureFormat format;
  ImageInfo info;
  EXPECT_FALSE(inspectPicture(reinterpret_cast<const uint8_t*>(gif.data()), gif.size(), format, info));
  EXPECT_FALSE(inspectPicture(reinterpret_cast<const uint8_t*>(bmp.data()), bmp.size(), format, info));
  EXPECT_EQ(format, PictureFormat::kUnknown);
}

TEST(PictureFiles, BackslashesOpenAsSlashesAndFoldersAreNotFiles) {
  const std::string dir = testing::TempDir();
  const std::string path = dir + "picture_files_test.png";
  ASSERT_TRUE(testing_support::writeSolidPng(path, 3, 5, 0xff000000));
  std::string backslashed = path;
  for (char& c : backslashed) {
    if (c == '/') c = '\\';
  }
  ImageInfo info;
  EXPECT_TRUE(readPictureInfo(backslashed, info));
  EXPECT_EQ(info.width, 3);
  EXPECT_EQ(info.height, 5);
  std::remove(path.c_str());
  EXPECT_FALSE(readPictureInfo(path, info));
  EXPECT_FALSE(readPictureInfo(dir, info));
}

}  // namespace
