// Checks the shipped content the way the game reads it: part and settings files
// bind cleanly, every picture decodes, and every mask lies under its picture.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// The five fields of a part file, in the order the game binds them.
struct PartFile {
  std::string filename;
  std::string imageFile;
  float cost = 2000;
  float lifetime = 20000;
  int bomb = 0;
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "Filename", filename, __FILE__, __LINE__);
    brin::BindField(ctx, "ImageFile", imageFile, __FILE__, __LINE__);
    brin::BindField(ctx, "GameplayCost", cost, __FILE__, __LINE__);
    brin::BindField(ctx, "GameplayHowLongOnBoard", lifetime, __FILE__, __LINE__);
    brin::BindField(ctx, "GameplayIsBomb", bomb, __FILE__, __LINE__);
  }
};

// The seven game settings, in the order the game binds and rewrites them.
struct GameSettings {
  float init[2] = {-1, -1};
  float target[2] = {-1, -1};
  float turnLength = -1;
  float changeTime = -1;
  bool dragging = true;
  void Bind(brin::CXmlBindContext& ctx) {
    brin::BindField(ctx, "P1_InitValue", init[0], __FILE__, __LINE__);
    brin::BindField(ctx, "P2_InitValue", init[1], __FILE__, __LINE__);
    brin::BindField(ctx, "P1_TargetValue", target[0], __FILE__, __LINE__);
    brin::BindField(ctx, "P2_TargetValue", target[1], __FILE__, __LINE__);
    brin::BindField(ctx, "TurnLength", turnLength, __FILE__, __LINE__);
    brin::BindField(ctx, "ChangeTime", changeTime, __FILE__, __LINE__);
    brin::BindField(ctx, "DraggingAllowed", dragging, __FILE__, __LINE__);
  }
};

// Binds a file and returns what the binding printed.
template <class Record>
std::string bindQuietly(Record& record, const std::string& path, const std::string& root) {
  testing::internal::CaptureStdout();
  brin::ReadXmlFile(record, path, root);
  return testing::internal::GetCapturedStdout();
}

std::vector<std::string> filesIn(const std::string& dir, const std::string& ext) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(dir))
    if (entry.is_regular_file() && entry.path().extension() == ext) names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());  // byte-wise, as the shops list them
  return names;
}

bool startsWith(const std::string& s, const std::string& prefix) { return s.compare(0, prefix.size(), prefix) == 0; }

class ContentTest : public ::testing::Test {
 protected:
  void SetUp() override { platform::setDevice(platform::createNullDevice()); }
  void TearDown() override { platform::releaseDevice(); }

  // Every part file with what it bound to, keyed by file name.
  std::map<std::string, PartFile> loadParts() {
    std::map<std::string, PartFile> parts;
    for (const std::string& name : filesIn("data/parts", ".xml")) {
      PartFile part;
      const std::string printed = bindQuietly(part, "data/parts/" + name, "GamePart");
      EXPECT_EQ(printed, "") << name << " binds with warnings";
      parts[name] = part;
    }
    return parts;
  }
};

TEST_F(ContentTest, EveryPartFileBindsCleanlyAndNamesPicturesThatExist) {
  const auto parts = loadParts();
  ASSERT_TRUE(parts.count("stomach.xml"));
  for (const auto& [name, part] : parts) {
    EXPECT_TRUE(fs::is_regular_file(part.filename)) << name << ": mask " << part.filename;
    EXPECT_TRUE(fs::is_regular_file(part.imageFile)) << name << ": picture " << part.imageFile;
    EXPECT_TRUE(startsWith(part.imageFile, "data/gfx/")) << name << ": the image cache only holds data/gfx/";
    EXPECT_EQ(part.imageFile, brin::ToLower(part.imageFile)) << name << ": cache keys are lower-case";
  }
}

TEST_F(ContentTest, EachPlayerSteersAPaddleAndCanBuyWallsAndOneBombOnTurnOne) {
  const auto parts = loadParts();
  GameSettings settings;
  EXPECT_EQ(bindQuietly(settings, "data/settings.xml", "Settings"), "");
  for (int player = 1; player <= 2; ++player) {
    const std::string prefix = "player" + std::to_string(player);
    std::vector<std::pair<std::string, PartFile>> own;
    for (const auto& entry : parts)
      if (startsWith(entry.first, prefix)) own.push_back(entry);
    ASSERT_GE(own.size(), 3u) << prefix;
    // The first file in name order is the one steered with the keys: never a bomb.
    EXPECT_EQ(own.front().second.bomb, 0) << own.front().first;
    int bombs = 0;
    float cheapest = 1e9f;
    std::vector<std::string> masks;
    for (const auto& [name, part] : own) {
      bombs += part.bomb != 0;
      cheapest = std::min(cheapest, part.cost);
      EXPECT_GT(part.cost, 0) << name;
      EXPECT_GT(part.lifetime, 1000) << name << " must outlive its one-second fade";
      masks.push_back(part.filename);
    }
    EXPECT_EQ(bombs, 1) << prefix;
    EXPECT_LE(cheapest, settings.init[player - 1]) << prefix << " cannot buy anything on the first turn";
    std::sort(masks.begin(), masks.end());
    EXPECT_EQ(std::unique(masks.begin(), masks.end()), masks.end()) << prefix << " parts share a shape";
  }
}

TEST_F(ContentTest, SettingsFilesHoldEveryKeyInTheWrittenOrder) {
  GameSettings settings;
  EXPECT_EQ(bindQuietly(settings, "data/settings.xml", "Settings"), "");
  for (int p = 0; p < 2; ++p) {
    EXPECT_GT(settings.init[p], 0);
    EXPECT_GT(settings.target[p], settings.init[p]);
  }
  EXPECT_GT(settings.turnLength, 0);
  EXPECT_GE(settings.changeTime, 0);
  EXPECT_FALSE(settings.dragging);

  CAppSettings app;
  EXPECT_EQ(bindQuietly(app, "data/app_settings.xml", "Settings"), "");
  EXPECT_FALSE(app.debug);
  EXPECT_TRUE(app.spriteDevice) << "the background copies and fading parts need the sprite interface";
}

TEST_F(ContentTest, EveryPictureDecodesWithTheGamesLoader) {
  const char* named[] = {"background.jpg", "particle.png", "player1_bar.png", "player2_bar.png",
                         "timer_down.png", "timer_up.png", "dude.png", "shadow.png", "shop_background.png",
                         "shop_highlight.png", "shop_nocan.png", "timer_slice.png", "player1_turn.png",
                         "player2_turn.png", "player1_wins.png", "player2_wins.png"};
  for (const char* name : named) EXPECT_TRUE(fs::is_regular_file(std::string("data/gfx/") + name)) << name;
  int decoded = 0;
  for (const auto& entry : fs::directory_iterator("data/gfx")) {
    const std::string path = "data/gfx/" + entry.path().filename().string();
    EXPECT_EQ(path, brin::ToLower(path)) << "the cache lower-cases names; keep files lower-case";
    CImage image = loadImage(path);
    ASSERT_NE(image.texture, nullptr) << path;
    EXPECT_GT(image.width, 0);
    EXPECT_LE(image.width, 4096) << path;
    EXPECT_LE(image.height, 4096) << path;
    EXPECT_LE(image.width, 512) << path << " is wider than the screen";
    releaseTexture(image.texture);
    ++decoded;
  }
  EXPECT_GE(decoded, static_cast<int>(std::size(named)));
  CImage background = loadImage("data/gfx/background.jpg");
  EXPECT_EQ(background.width, 512);
  EXPECT_EQ(background.height, 512);
  releaseTexture(background.texture);
}

// A part's mask is stamped one pixel per cell around the part's grid position,
// while its picture is drawn centred on the same point in screen pixels: the
// picture must be the mask scaled by the cell size, opaque over every solid cell.
TEST_F(ContentTest, EveryMaskLiesUnderItsPicture) {
  for (const auto& [name, part] : loadParts()) {
    std::unique_ptr<CAlphaMask> mask = loadAlphaMask(part.filename);
    ASSERT_TRUE(mask) << name;
    CImage image = loadImage(part.imageFile);
    ASSERT_NE(image.texture, nullptr) << name;
    EXPECT_NEAR(mask->width * kCellWidth, image.width, 1.0) << name;
    EXPECT_NEAR(mask->height * kCellHeight, image.height, 1.0) << name;

    platform::LockedRect locked;
    ASSERT_TRUE(image.texture->lockRect(locked)) << name;
    int solid = 0;
    int uncovered = 0;
    for (int r = 0; r < mask->height; ++r) {
      for (int k = 0; k < mask->width; ++k) {
        const int alpha = mask->data[k + r * mask->stride];
        EXPECT_TRUE(alpha == 0 || alpha == 255) << name << ": mask pixels are either solid or empty";
        if (alpha < 128) continue;
        ++solid;
        // Only the solid cells blood can meet need to be seen: those next to
        // an empty one. The stomach's outer tissue fades out to nothing.
        bool edge = false;
        for (int dr = -1; dr <= 1; ++dr)
          for (int dk = -1; dk <= 1; ++dk) {
            const int rr = r + dr, kk = k + dk;
            if (rr >= 0 && kk >= 0 && rr < mask->height && kk < mask->width && mask->data[kk + rr * mask->stride] < 128)
              edge = true;
          }
        if (!edge) continue;
        const int px = static_cast<int>(image.width * 0.5f + (k + 0.5f - mask->width * 0.5f) * kCellWidth);
        const int py = static_cast<int>(image.height * 0.5f + (r + 0.5f - mask->height * 0.5f) * kCellHeight);
        if (px < 0 || py < 0 || px >= image.width || py >= image.height ||
            locked.bits[py * locked.pitch + px * 4 + 3] == 0)
          ++uncovered;
      }
    }
    image.texture->unlockRect();
    releaseTexture(image.texture);
    EXPECT_GT(solid, 0) << name << " has no solid cell";
    EXPECT_EQ(uncovered, 0) << name << ": solid cells at the walls where the picture is clear";
  }
}

}  // namespace
