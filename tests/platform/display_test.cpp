// The display without a display: picture files as the decoder meets them
// (cut short, lying headers, foreign formats; good pictures show in the
// golden frames), and the letterboxed window's viewport and mouse mapping.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <vector>

#include "platform/device.h"
#include "platform/picture.h"
#include "platform/video.h"
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

TEST(Letterbox, ViewportAndMouseMapIntoTheDrawingSpaceAndClampAndFollowResizes) {
  const Viewport wide = viewportFor(1024, 512), tall = viewportFor(600, 1000);
  EXPECT_EQ((std::vector<int>{wide.x, wide.y, wide.size, tall.x, tall.y, tall.size}),
            (std::vector<int>{256, 0, 512, 0, 200, 600}));
  const struct { int w, h, wx, wy, dx, dy; } cases[] = {
      {512, 512, 37, 400, 37, 400},   {1024, 1024, 1023, 511, 511, 255},  // two window pixels a drawing pixel
      {1024, 512, 10, 100, 0, 100},   {1024, 512, 1000, 100, 511, 100},   // the bars map to the nearest edge
      {1024, 512, 556, 100, 300, 100}, {800, 600, -50000, 2000000000, 0, 511},
      {0, 0, 5, 5, 511, 511},  // a degenerate window does not divide by zero
  };
  for (const auto& c : cases) {
    int dx = -1, dy = -1;
    windowToDrawing(c.w, c.h, c.wx, c.wy, dx, dy);
    EXPECT_EQ(dx * 1000 + dy, c.dx * 1000 + c.dy) << c.w << " x " << c.h << " at " << c.wx << "," << c.wy;
  }
  // The live window keeps the last sane size it is given.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_TRUE(initVideo() && setVideoMode(false) && createDevice());
  int dx = 0, dy = 0;
  handleResize(1024, 512);
  handleResize(0, -3);
  currentWindowToDrawing(600, 100, dx, dy);
  EXPECT_EQ(dx * 1000 + dy, 344100);
  shutdownVideo();
}

}  // namespace
