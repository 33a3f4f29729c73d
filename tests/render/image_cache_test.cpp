// The image cache as a modder sees it: what start-up prints for the files in
// data/gfx/ (cut files are the decoder test's), which paths find which
// picture, and masks read from pictures.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "jpeg_sample.h"
#include "render_fixture.h"

namespace {

using ImageCache = rendertest::NullDeviceTest;
using rendertest::writeBytes;
using rendertest::writeSolid;

TEST_F(ImageCache, StartupReportsEveryEntryLowerCasedWithFailuresFirstAndGoesOn) {
  writeSolid("data/gfx/particle.png", 3, 3, 0xffff0000);
  writeSolid("data/gfx/Dude.PNG", 5, 7, 0xff00ff00);
  writeSolid("data/gfx/wide.png", 4097, 1, 0xffffffff);
  writeSolid("data/gfx/widest.png", 4096, 1, 0xffffffff);
  writeBytes("data/gfx/red.jpg", testjpeg::red6x4());
  std::filesystem::create_directory("data/gfx/old");
  writeBytes("data/gfx/empty.png", {});
  std::ifstream in("data/gfx/particle.png", std::ios::binary);
  const std::vector<uint8_t> good{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  // Whole chunks, but the compressed pixels are garbage: only decoding finds out.
  std::vector<uint8_t> garbled = good;
  for (size_t i = 43; i < 60; ++i) garbled[i] ^= 0x5a;
  writeBytes("data/gfx/garbled.png", garbled);
  EXPECT_EQ(loadAllCapturingOutput(),
            "Couldn't load image: data/gfx/old\nLoaded: data/gfx/old\n"
            "Loaded: data/gfx/dude.png\n"
            "Couldn't load image: data/gfx/empty.png\nLoaded: data/gfx/empty.png\n"
            "Couldn't load texture: data/gfx/garbled.png\nLoaded: data/gfx/garbled.png\n"
            "Loaded: data/gfx/particle.png\n"
            "Loaded: data/gfx/red.jpg\n"
            "Couldn't load image: data/gfx/wide.png\nLoaded: data/gfx/wide.png\n"
            "Loaded: data/gfx/widest.png\n");
  // Failures are not cached; names are found in any case.
  EXPECT_EQ(imageCache().size(), 4u);
  const CImage* dude = findImage("DATA/GFX/Dude.PNG");
  ASSERT_TRUE(dude && dude->width * 10 + dude->height == 57 && findImage("data/gfx/widest.png")->width == 4096);
  // A sprite of a cached picture shares its texture.
  CSprite* sprite = createSprite("Data/Gfx/DUDE.png", 100);
  EXPECT_TRUE(sprite->texture == dude->texture && !sprite->ownsTexture);
  destroyAllSprites();
  EXPECT_TRUE(imageCache().empty());
}

// A picture that fails is named once, however often it is used (a part's
// copies each load their own) and whatever case or slashes the use spells
// it in, and is not read again until the run ends.
TEST_F(ImageCache, APictureThatFailsIsNamedOnceHoweverOftenItIsUsed) {
  writeSolid("data/gfx/particle.png", 3, 3, 0xffff0000);
  writeBytes("data/gfx/empty.png", {});
  std::ifstream in("data/gfx/particle.png", std::ios::binary);
  std::vector<uint8_t> garbled{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  for (size_t i = 43; i < 60; ++i) garbled[i] ^= 0x5a;
  writeBytes("data/gfx/garbled.png", garbled);
  EXPECT_EQ(loadAllCapturingOutput(),
            "Couldn't load image: data/gfx/empty.png\nLoaded: data/gfx/empty.png\n"
            "Couldn't load texture: data/gfx/garbled.png\nLoaded: data/gfx/garbled.png\n"
            "Loaded: data/gfx/particle.png\n");
  const struct {
    const char* path;
    const char* printed;
  } uses[] = {
      {"data/gfx/empty.png", ""},
      {"Data\\GFX\\Empty.PNG", ""},
      {"data/gfx/garbled.png", ""},
      {"data/gfx/gone.png", "Couldn't load image: data/gfx/gone.png\n"},
      {"data/gfx/gone.png", ""},
      {"DATA/gfx/GONE.png", ""},
      {"data/gfx/particle.png", ""},
      {"data/gfx/mask_gone.png", "Couldn't load image: data/gfx/mask_gone.png\n"},
      {"data/gfx/mask_gone.png", ""},
  };
  for (const auto& use : uses) {
    const bool mask = std::string(use.path).find("mask") != std::string::npos;
    bool loaded = false;
    EXPECT_EQ(use.printed, testing_support::printedBy([&] {
                loaded = mask ? loadAlphaMask(use.path) != nullptr : createSprite(use.path, 100)->texture != nullptr;
              })) << use.path;
    EXPECT_EQ(loaded, std::string(use.path) == "data/gfx/particle.png") << use.path;
  }
  // Nor is it read again while the run lasts; its end forgets the failures.
  writeSolid("data/gfx/gone.png", 2, 2, 0xff0000ff);
  EXPECT_FALSE(loadImage("data/gfx/gone.png").texture || loadAlphaMask("data/gfx/gone.png"));
  destroyAllSprites();
  EXPECT_TRUE(loadAlphaMask("data/gfx/gone.png"));
  EXPECT_EQ("Couldn't load image: data/gfx/empty.png\n",
            testing_support::printedBy([] { releaseTexture(loadImage("data/gfx/empty.png").texture); }));
}

TEST_F(ImageCache, MasksHoldEachPixelsAlphaAndAreNoneWithoutAPictureOrDevice) {
  ASSERT_TRUE(testing_support::writePng("data/gfx/shape.png", 3, 2,
                                        {0xff102030, 0x00ffffff, 0x80000000, 0x00000000, 0xffffffff, 0xff00ff00}));
  writeBytes("data/gfx/red.jpg", testjpeg::red6x4());
  writeBytes("data/gfx/bad.png", {0x89, 'P', 'N', 'G'});
  std::unique_ptr<CAlphaMask> mask = loadAlphaMask("data/gfx/shape.png");
  ASSERT_TRUE(mask && mask->width * 10 + mask->height == 32 && mask->stride == 3);
  EXPECT_EQ(mask->data, (std::vector<int>{255, 0, 128, 0, 255, 255}));
  EXPECT_EQ(loadAlphaMask("data/gfx/red.jpg")->data, std::vector<int>(24, 255));
  EXPECT_FALSE(loadAlphaMask("data/gfx/missing.png") || loadAlphaMask("data/gfx/bad.png"));
  platform::releaseDevice();
  EXPECT_EQ(loadAlphaMask("data/gfx/shape.png"), nullptr);
}

}  // namespace
