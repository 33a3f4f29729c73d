// The image cache as a modder sees it: what start-up prints for the files in
// data/gfx/, which paths find which picture, and masks read from pictures.
#include <gtest/gtest.h>

#include <filesystem>

#include "jpeg_sample.h"
#include "render_fixture.h"

namespace {

using rendertest::NullDeviceTest;
using rendertest::ScopedWorkDir;

class ImageCacheTest : public NullDeviceTest {
 protected:
  ScopedWorkDir dir_;

  std::string loadAllCapturingOutput() {
    testing::internal::CaptureStdout();
    loadAllImages();
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(ImageCacheTest, StartupReportsEveryEntryLowerCasedWithFailuresFirst) {
  ASSERT_TRUE(dir_.ok());
  rendertest::writeSolid("data/gfx/particle.png", 3, 3, 0xffff0000);
  rendertest::writeSolid("data/gfx/Dude.PNG", 5, 7, 0xff00ff00);
  rendertest::writeBytes("data/gfx/notes.txt", {'h', 'e', 'l', 'l', 'o', '.'});
  std::filesystem::create_directory("data/gfx/old");

  EXPECT_EQ(loadAllCapturingOutput(),
            "Couldn't load image: data/gfx/old\n"
            "Loaded: data/gfx/old\n"
            "Loaded: data/gfx/dude.png\n"
            "Couldn't load image: data/gfx/notes.txt\n"
            "Loaded: data/gfx/notes.txt\n"
            "Loaded: data/gfx/particle.png\n");

  // The particle picture is loaded twice but cached once; failures are not cached.
  ASSERT_EQ(imageCache().size(), 2u);
  EXPECT_EQ(imageCache().count("data/gfx/particle.png"), 1u);
  EXPECT_EQ(imageCache().count("data/gfx/dude.png"), 1u);
}

TEST_F(ImageCacheTest, LookupIgnoresCaseOnBothSides) {
  ASSERT_TRUE(dir_.ok());
  rendertest::writeSolid("data/gfx/Dude.PNG", 5, 7, 0xff00ff00);
  loadAllCapturingOutput();

  const CImage* found = findImage("DATA/GFX/Dude.PNG");
  ASSERT_NE(found, nullptr);
  EXPECT_EQ(found->width, 5);
  EXPECT_EQ(found->height, 7);
  EXPECT_EQ(findImage("data/gfx/dude.png"), found);
  EXPECT_EQ(findImage("data/gfx/other.png"), nullptr);

  // A sprite of the cached picture shares its texture.
  CSprite* sprite = createSprite("Data/Gfx/DUDE.png", 100);
  EXPECT_EQ(sprite->texture, found->texture);
  EXPECT_FALSE(sprite->ownsTexture);
  EXPECT_EQ(sprite->width, 5.0f);
  EXPECT_EQ(sprite->height, 7.0f);
}

TEST_F(ImageCacheTest, WithoutDeviceNothingIsLoadedOrPrinted) {
  ASSERT_TRUE(dir_.ok());
  rendertest::writeSolid("data/gfx/particle.png", 3, 3, 0xffff0000);
  rendertest::writeSolid("data/gfx/a.png", 3, 3, 0xffff0000);
  platform::releaseDevice();

  EXPECT_EQ(loadAllCapturingOutput(), "");
  EXPECT_TRUE(imageCache().empty());
  EXPECT_EQ(loadAlphaMask("data/gfx/a.png"), nullptr);
}

TEST_F(ImageCacheTest, BrokenPicturesFailWithTheirMessageAndLoadingGoesOn) {
  ASSERT_TRUE(dir_.ok());
  rendertest::writeSolid("data/gfx/good.png", 4, 4, 0xff0000ff);
  const std::vector<uint8_t> good = rendertest::readBytes("data/gfx/good.png");

  // Cut short in the middle of the pixel data.
  rendertest::writeBytes("data/gfx/truncated.png", std::vector<uint8_t>(good.begin(), good.begin() + 50));
  // A PNG signature followed by noise.
  std::vector<uint8_t> noise(good.begin(), good.begin() + 8);
  for (int i = 0; i < 200; ++i) noise.push_back(uint8_t(i * 37 + 11));
  rendertest::writeBytes("data/gfx/malformed.png", noise);
  // Whole chunks, but the compressed pixels are garbage: only decoding finds out.
  std::vector<uint8_t> garbled = good;
  for (size_t i = 43; i < 60 && i < garbled.size(); ++i) garbled[i] ^= 0x5a;
  rendertest::writeBytes("data/gfx/garbled.png", garbled);
  // An empty file.
  rendertest::writeBytes("data/gfx/empty.png", {});
  // A JPEG that stops before its end marker.
  const std::vector<uint8_t>& jpeg = testjpeg::red6x4();
  rendertest::writeBytes("data/gfx/short.jpg", std::vector<uint8_t>(jpeg.begin(), jpeg.end() - 40));

  // No particle picture here: its own load fails first.
  EXPECT_EQ(loadAllCapturingOutput(),
            "Couldn't load image: data/gfx/particle.png\n"
            "Couldn't load image: data/gfx/empty.png\n"
            "Loaded: data/gfx/empty.png\n"
            "Couldn't load texture: data/gfx/garbled.png\n"
            "Loaded: data/gfx/garbled.png\n"
            "Loaded: data/gfx/good.png\n"
            "Couldn't load image: data/gfx/malformed.png\n"
            "Loaded: data/gfx/malformed.png\n"
            "Couldn't load image: data/gfx/short.jpg\n"
            "Loaded: data/gfx/short.jpg\n"
            "Couldn't load image: data/gfx/truncated.png\n"
            "Loaded: data/gfx/truncated.png\n");
  EXPECT_EQ(imageCache().size(), 1u);
}

TEST_F(ImageCacheTest, PicturesBeyond4096PixelsAreRefused) {
  ASSERT_TRUE(dir_.ok());
  rendertest::writeSolid("data/gfx/wide.png", 4097, 1, 0xffffffff);
  rendertest::writeSolid("data/gfx/widest.png", 4096, 1, 0xffffffff);
  EXPECT_EQ(loadAllCapturingOutput(),
            "Couldn't load image: data/gfx/particle.png\n"
            "Couldn't load image: data/gfx/wide.png\n"
            "Loaded: data/gfx/wide.png\n"
            "Loaded: data/gfx/widest.png\n");
  ASSERT_NE(findImage("data/gfx/widest.png"), nullptr);
  EXPECT_EQ(findImage("data/gfx/widest.png")->width, 4096);
}

TEST_F(ImageCacheTest, JpegPicturesLoadOpaque) {
  ASSERT_TRUE(dir_.ok());
  rendertest::writeBytes("data/gfx/red.jpg", testjpeg::red6x4());
  EXPECT_EQ(loadAllCapturingOutput(),
            "Couldn't load image: data/gfx/particle.png\n"
            "Loaded: data/gfx/red.jpg\n");
  const CImage* red = findImage("data/gfx/red.jpg");
  ASSERT_NE(red, nullptr);
  EXPECT_EQ(red->width, 6);
  EXPECT_EQ(red->height, 4);

  std::unique_ptr<CAlphaMask> mask = loadAlphaMask("data/gfx/red.jpg");
  ASSERT_NE(mask, nullptr);
  for (int value : mask->data) EXPECT_EQ(value, 255);
}

TEST_F(ImageCacheTest, MaskHoldsEachPixelsAlpha) {
  ASSERT_TRUE(dir_.ok());
  // 3 x 2: opaque, transparent, half; then transparent, opaque, opaque.
  const std::vector<uint32_t> pixels = {0xff102030, 0x00ffffff, 0x80000000, 0x00000000, 0xffffffff, 0xff00ff00};
  ASSERT_TRUE(testing_support::writePng("data/gfx/shape.png", 3, 2, pixels));

  std::unique_ptr<CAlphaMask> mask = loadAlphaMask("data/gfx/shape.png");
  ASSERT_NE(mask, nullptr);
  EXPECT_EQ(mask->width, 3);
  EXPECT_EQ(mask->height, 2);
  EXPECT_EQ(mask->stride, 3);
  EXPECT_EQ(mask->data, (std::vector<int>{255, 0, 128, 0, 255, 255}));
}

TEST_F(ImageCacheTest, MaskOfMissingOrBrokenPictureIsNoneAndSilent) {
  ASSERT_TRUE(dir_.ok());
  rendertest::writeBytes("data/gfx/bad.png", {0x89, 'P', 'N', 'G'});
  testing::internal::CaptureStdout();
  EXPECT_EQ(loadAlphaMask("data/gfx/missing.png"), nullptr);
  EXPECT_EQ(loadAlphaMask("data/gfx/bad.png"), nullptr);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(ImageCacheTest, UncachedSpritePathIsLoadedAsWrittenAndOwned) {
  ASSERT_TRUE(dir_.ok());
  rendertest::writeSolid("data/gfx/Extra.png", 2, 3, 0xffffffff);

  testing::internal::CaptureStdout();
  CSprite* exact = createSprite("data/gfx/Extra.png", 100);
  CSprite* otherCase = createSprite("data/gfx/EXTRA.png", 100);
  CSprite* backslashed = createSprite("data\\gfx\\Extra.png", 100);
  const std::string output = testing::internal::GetCapturedStdout();

  EXPECT_NE(exact->texture, nullptr);
  EXPECT_TRUE(exact->ownsTexture);
  EXPECT_EQ(exact->height, 3.0f);
  // Not cached: every such sprite has its own copy.
  EXPECT_NE(backslashed->texture, nullptr);
  EXPECT_NE(backslashed->texture, exact->texture);
  EXPECT_EQ(otherCase->texture, nullptr);
  EXPECT_FALSE(otherCase->ownsTexture);
  EXPECT_EQ(output, "Couldn't load image: data/gfx/EXTRA.png\n");
  EXPECT_TRUE(imageCache().empty());
}

TEST_F(ImageCacheTest, ShutdownReleasesSpritesAndCache) {
  ASSERT_TRUE(dir_.ok());
  rendertest::writeSolid("data/gfx/particle.png", 3, 3, 0xffff0000);
  loadAllCapturingOutput();
  createSprite("data/gfx/particle.png", 100);
  createSprite("data/gfx/missing.png", 256);
  ASSERT_EQ(spriteList().size(), 2u);
  destroyAllSprites();
  EXPECT_TRUE(spriteList().empty());
  EXPECT_TRUE(imageCache().empty());
}

}  // namespace
