// Checks the shipped content the way the game reads it: part and settings files
// bind cleanly, the shops suit the start money, and every mask lies under its picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <filesystem>
#include <map>
#include <string>

#include "app_settings.h"
#include "engine/xml_bind.h"
#include "platform/device.h"
#include "platform/null_device.h"
#include "render/image.h"
#include "sim/cell_grid.h"

namespace {

#define BIND(key, field) brin::BindField(ctx, key, field, __FILE__, __LINE__)

// The fields of a part file and of the game settings, in the order the game binds them.
struct PartFile {
  std::string filename, imageFile;
  float cost = 0, lifetime = 0;
  int bomb = 0;
  void Bind(brin::CXmlBindContext& ctx) {
    BIND("Filename", filename), BIND("ImageFile", imageFile), BIND("GameplayCost", cost);
    BIND("GameplayHowLongOnBoard", lifetime), BIND("GameplayIsBomb", bomb);
  }
};
struct GameSettings {
  float start[2] = {-1, -1}, target[2] = {}, turnLength = 0, changeTime = 0;
  bool dragging = false;
  void Bind(brin::CXmlBindContext& ctx) {
    BIND("P1_InitValue", start[0]), BIND("P2_InitValue", start[1]), BIND("P1_TargetValue", target[0]);
    BIND("P2_TargetValue", target[1]), BIND("TurnLength", turnLength), BIND("ChangeTime", changeTime);
    BIND("DraggingAllowed", dragging);
  }
};

// Binding prints its warnings; shipped files have none.
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
  for (const auto& entry : std::filesystem::directory_iterator("data/parts"))
    if (entry.path().extension() == ".xml") parts[entry.path().filename()] = bindQuietly<PartFile>(entry.path(), "GamePart");
  return parts;
}

TEST(Content, SettingsAndPartsLetEachPlayerSteerAPaddleAndBuyWallsAndOneBombOnTurnOne) {
  // The settings' other values are the replays' business; the shop needs the start money.
  const auto s = bindQuietly<GameSettings>("data/settings.xml", "Settings");
  const auto app = bindQuietly<CAppSettings>("data/app_settings.xml", "Settings");
  EXPECT_TRUE(!app.debug && app.spriteDevice) << "the background copies and fading parts need the sprite interface";
  const auto parts = loadParts();
  for (int player = 1; player <= 2; ++player) {
    const std::string prefix = "player" + std::to_string(player);
    int bombs = 0, own = 0;
    float cheapest = 1e9f;
    for (const auto& [name, part] : parts) {
      if (name.rfind(prefix, 0) != 0) continue;
      // The first file in name order is the one steered with the keys: never a bomb.
      EXPECT_TRUE(own++ > 0 || part.bomb == 0) << name;
      bombs += part.bomb != 0;
      cheapest = std::min(cheapest, part.cost);
      EXPECT_TRUE(part.cost > 0 && part.lifetime > 1000) << name << " must cost and outlive its one-second fade";
    }
    EXPECT_TRUE(own >= 3 && bombs == 1) << prefix;
    EXPECT_LE(cheapest, s.start[player - 1]) << prefix << " cannot buy anything on the first turn";
  }
}

// A mask is stamped a pixel a cell while its picture is drawn centred on the same point: the picture
// must be the mask scaled by the cell size, opaque over every solid cell blood can meet (by an empty one).
TEST(Content, EveryPartsMaskLiesUnderItsPicture) {
  platform::setDevice(platform::createNullDevice());
  for (const auto& [name, part] : loadParts()) {
    std::unique_ptr<CAlphaMask> mask = loadAlphaMask(part.filename);
    CImage image = loadImage(part.imageFile);
    ASSERT_TRUE(mask && image.texture) << name;
    EXPECT_TRUE(std::abs(mask->width * kCellWidth - image.width) <= 1 && std::abs(mask->height * kCellHeight - image.height) <= 1)
        << name << " is not its mask scaled by the cell size";
    platform::LockedRect locked;
    ASSERT_TRUE(image.texture->lockRect(locked)) << name;
    auto empty = [&](int k, int r) { return r >= 0 && k >= 0 && r < mask->height && k < mask->width && mask->data[k + r * mask->stride] < 128; };
    int uncovered = 0;
    for (int r = 0; r < mask->height; ++r) {
      for (int k = 0; k < mask->width; ++k) {
        const int alpha = mask->data[k + r * mask->stride];
        EXPECT_TRUE(alpha == 0 || alpha == 255) << name << ": mask pixels are either solid or empty";
        bool edge = false;
        for (int i = 0; i < 9; ++i) edge = edge || empty(k + i % 3 - 1, r + i / 3 - 1);
        if (alpha < 128 || !edge) continue;
        const int px = static_cast<int>(image.width * 0.5f + (k + 0.5f - mask->width * 0.5f) * kCellWidth);
        const int py = static_cast<int>(image.height * 0.5f + (r + 0.5f - mask->height * 0.5f) * kCellHeight);
        uncovered += px < 0 || py < 0 || px >= image.width || py >= image.height ||
                     locked.bits[py * locked.pitch + px * 4 + 3] == 0;
      }
    }
    image.texture->unlockRect();
    releaseTexture(image.texture);
    EXPECT_EQ(uncovered, 0) << name << ": solid cells at the walls where the picture is clear";
  }
  platform::releaseDevice();
}

}  // namespace
