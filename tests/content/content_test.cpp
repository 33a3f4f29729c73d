// Checks the shipped content the way the game reads it: part and settings files
// bind cleanly, every picture decodes, and every mask lies under its picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app_settings.h"
#include "engine/text.h"
#include "engine/xml_bind.h"
#include "platform/device.h"
#include "platform/null_device.h"
#include "render/image.h"
#include "sim/cell_grid.h"

namespace fs = std::filesystem;

namespace {

// The fields of a part file and of the game settings, in the order the game binds them.
struct PartFile {
  std::string filename, imageFile;
  float cost = 0, lifetime = 0;
  int bomb = 0;
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "Filename", filename, __FILE__, __LINE__);
    brin::BindField(ctx, "ImageFile", imageFile, __FILE__, __LINE__);
    brin::BindField(ctx, "GameplayCost", cost, __FILE__, __LINE__);
    brin::BindField(ctx, "GameplayHowLongOnBoard", lifetime, __FILE__, __LINE__);
    brin::BindField(ctx, "GameplayIsBomb", bomb, __FILE__, __LINE__);
  }
};
struct GameSettings {
  float values[4] = {-1, -1, -1, -1};  // both players' start, then both targets
  float turnLength = -1, changeTime = -1;
  bool dragging = true;
  void Bind(brin::CXmlBindContext& ctx) {
    const char* keys[] = {"P1_InitValue", "P2_InitValue", "P1_TargetValue", "P2_TargetValue"};
    for (int i = 0; i < 4; ++i) brin::BindField(ctx, keys[i], values[i], __FILE__, __LINE__);
    brin::BindField(ctx, "TurnLength", turnLength, __FILE__, __LINE__);
    brin::BindField(ctx, "ChangeTime", changeTime, __FILE__, __LINE__);
    brin::BindField(ctx, "DraggingAllowed", dragging, __FILE__, __LINE__);
  }
};

// Binds a file, expecting the binding to print nothing.
template <class Record>
Record bindQuietly(const std::string& path, const char* root) {
  Record record;
  testing::internal::CaptureStdout();
  brin::ReadXmlFile(record, path, root);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << path << " binds with warnings";
  return record;
}

// Every part file with what it bound to, in name order as the shops list them.
std::map<std::string, PartFile> loadParts() {
  std::map<std::string, PartFile> parts;
  for (const auto& entry : fs::directory_iterator("data/parts")) {
    if (entry.path().extension() == ".xml") parts[entry.path().filename()] = bindQuietly<PartFile>(entry.path(), "GamePart");
  }
  return parts;
}

class ContentTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::setDevice(platform::createNullDevice()); }
  void TearDown() override { platform::releaseDevice(); }
};

TEST_F(ContentTest, SettingsAndPartsLetEachPlayerSteerAPaddleAndBuyWallsAndOneBombOnTurnOne) {
  const auto settings = bindQuietly<GameSettings>("data/settings.xml", "Settings");
  for (int p = 0; p < 2; ++p) EXPECT_GT(settings.values[p + 2], settings.values[p]) << p;
  EXPECT_GT(settings.values[0], 0);
  EXPECT_GT(settings.turnLength, 0);
  EXPECT_GE(settings.changeTime, 0);
  EXPECT_FALSE(settings.dragging);
  const auto app = bindQuietly<CAppSettings>("data/app_settings.xml", "Settings");
  EXPECT_FALSE(app.debug);
  EXPECT_TRUE(app.spriteDevice) << "the background copies and fading parts need the sprite interface";

  const auto parts = loadParts();
  ASSERT_TRUE(parts.count("stomach.xml"));
  for (int player = 1; player <= 2; ++player) {
    const std::string prefix = "player" + std::to_string(player);
    int bombs = 0, own = 0;
    float cheapest = 1e9f;
    std::vector<std::string> masks;
    for (const auto& [name, part] : parts) {
      if (name.rfind(prefix, 0) != 0) continue;
      // The first file in name order is the one steered with the keys: never a bomb.
      EXPECT_TRUE(own++ > 0 || part.bomb == 0) << name;
      bombs += part.bomb != 0;
      cheapest = std::min(cheapest, part.cost);
      EXPECT_GT(part.cost, 0) << name;
      EXPECT_GT(part.lifetime, 1000) << name << " must outlive its one-second fade";
      masks.push_back(part.filename);
    }
    EXPECT_GE(own, 3) << prefix;
    EXPECT_EQ(bombs, 1) << prefix;
    EXPECT_LE(cheapest, settings.values[player - 1]) << prefix << " cannot buy anything on the first turn";
    std::sort(masks.begin(), masks.end());
    EXPECT_EQ(std::unique(masks.begin(), masks.end()), masks.end()) << prefix << " parts share a shape";
  }
}

TEST_F(ContentTest, EveryPictureDecodesWithTheGamesLoaderAndFitsTheScreen) {
  int decoded = 0;
  for (const auto& entry : fs::directory_iterator("data/gfx")) {
    const std::string path = "data/gfx/" + entry.path().filename().string();
    EXPECT_EQ(path, brin::ToLower(path)) << "the cache lower-cases names; keep files lower-case";
    CImage image = loadImage(path);
    ASSERT_NE(image.texture, nullptr) << path;
    EXPECT_TRUE(image.width > 0 && image.width <= 512 && image.height <= 4096) << path;
    EXPECT_TRUE(path != "data/gfx/background.jpg" || (image.width == 512 && image.height == 512));
    releaseTexture(image.texture);
    ++decoded;
  }
  for (const char* name : {"background.jpg", "particle.png", "player1_bar.png", "player2_bar.png", "timer_down.png",
                           "timer_up.png", "dude.png", "shadow.png", "shop_background.png", "shop_highlight.png",
                           "shop_nocan.png", "timer_slice.png", "player1_turn.png", "player2_turn.png",
                           "player1_wins.png", "player2_wins.png"}) {
    EXPECT_TRUE(fs::is_regular_file(std::string("data/gfx/") + name)) << name;
  }
  EXPECT_GE(decoded, 16);
}

// A part's mask is stamped one pixel per cell around the part's grid position,
// while its picture is drawn centred on the same point in screen pixels: the
// picture must be the mask scaled by the cell size, opaque over every solid
// cell that blood can meet (those next to an empty one).
TEST_F(ContentTest, EveryPartNamesPicturesThatExistAndItsMaskLiesUnderItsPicture) {
  for (const auto& [name, part] : loadParts()) {
    EXPECT_EQ(part.imageFile.rfind("data/gfx/", 0), 0u) << name << ": the image cache only holds data/gfx/";
    EXPECT_EQ(part.imageFile, brin::ToLower(part.imageFile)) << name << ": cache keys are lower-case";
    std::unique_ptr<CAlphaMask> mask = loadAlphaMask(part.filename);
    ASSERT_TRUE(mask) << name << ": mask " << part.filename;
    CImage image = loadImage(part.imageFile);
    ASSERT_NE(image.texture, nullptr) << name << ": picture " << part.imageFile;
    EXPECT_NEAR(mask->width * kCellWidth, image.width, 1.0) << name;
    EXPECT_NEAR(mask->height * kCellHeight, image.height, 1.0) << name;
    platform::LockedRect locked;
    ASSERT_TRUE(image.texture->lockRect(locked)) << name;
    auto empty = [&](int k, int r) {
      return r >= 0 && k >= 0 && r < mask->height && k < mask->width && mask->data[k + r * mask->stride] < 128;
    };
    int solids = 0, uncovered = 0;
    for (int r = 0; r < mask->height; ++r) {
      for (int k = 0; k < mask->width; ++k) {
        const int alpha = mask->data[k + r * mask->stride];
        EXPECT_TRUE(alpha == 0 || alpha == 255) << name << ": mask pixels are either solid or empty";
        if (alpha < 128) continue;
        ++solids;
        bool edge = false;
        for (int i = 0; i < 9; ++i) edge = edge || empty(k + i % 3 - 1, r + i / 3 - 1);
        if (!edge) continue;
        const int px = static_cast<int>(image.width * 0.5f + (k + 0.5f - mask->width * 0.5f) * kCellWidth);
        const int py = static_cast<int>(image.height * 0.5f + (r + 0.5f - mask->height * 0.5f) * kCellHeight);
        uncovered += px < 0 || py < 0 || px >= image.width || py >= image.height ||
                     locked.bits[py * locked.pitch + px * 4 + 3] == 0;
      }
    }
    image.texture->unlockRect();
    releaseTexture(image.texture);
    EXPECT_GT(solids, 0) << name << " has no solid cell";
    EXPECT_EQ(uncovered, 0) << name << ": solid cells at the walls where the picture is clear";
  }
}

}  // namespace
