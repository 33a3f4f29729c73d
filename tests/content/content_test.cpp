// Checks the shipped content the way the game reads it: part and settings files
// bind cleanly, the shops suit the start money, and the stomach's walls hold
// five minutes of spout blood, which reaches both collectors fairly once the
// bowl fills.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <deque>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "app_settings.h"
#include "engine/xml_bind.h"
#include "globals.h"
#include "platform/device.h"
#include "platform/null_device.h"
#include "render/image.h"
#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"
#include "sim/random.h"
#include "sim/sim_step.h"

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

constexpr int kSpoutColumn = 121, kMinuteOfSteps = 60 * 1000 / 16;  // 3750

long g_earned[3];

bool isGround(int x, int y) {
  const ISingleCell* c = g_cellGrid.atRaw(x, y);
  return c && c->getType() == 1;
}

// The stomach stamped as the game's scene stamps it on a fresh grid, then
// every slot blood can reach from the spout through cells that are not wall.
TEST(Board, FiveMinutesOfSpoutBloodStayInsideAndReachTheCollectorsFairly) {
  platform::setDevice(platform::createNullDevice());
  resetSimulation();
  std::unique_ptr<CAlphaMask> mask = loadAlphaMask("data/gfx/stomach_mask.png");
  ASSERT_TRUE(mask);
  CPlacedMask stomach;
  stomach.id = 2;
  stomach.rotatedMask = mask.get();
  stomach.gridX = 127.0f;
  stomach.gridY = 105.5f;
  stamp(stomach, {0.0f, -1.0f});
  const int w = g_cellGrid.width, h = g_cellGrid.height;
  std::vector<bool> inside(static_cast<size_t>(w) * h, false);
  std::deque<std::pair<int, int>> open{{kSpoutColumn, 0}};
  while (!open.empty()) {
    auto [x, y] = open.front();
    open.pop_front();
    if (x < 0 || x >= w || y < 0 || y >= h || inside[size_t(x + y * w)] || isGround(x, y)) continue;
    inside[size_t(x + y * w)] = true;
    for (auto [nx, ny] : {std::pair{x + 1, y}, {x - 1, y}, {x, y + 1}, {x, y - 1}}) open.push_back({nx, ny});
  }
  loadAllImages();  // so the drops share one particle picture
  seedRandom(20261206u);
  setEarnReceiver([](int player, int amount) { if (player == 1 || player == 2) g_earned[player] += amount; });

  long firstMinute = 0;
  for (int i = 1; i <= 5 * kMinuteOfSteps; ++i) {
    simulationStep();
    if (i == kMinuteOfSteps) firstMinute = g_earned[1] + g_earned[2];
  }
  long bloodInGrid = 0, outside = 0;  // spare slots past the grid's height count as outside
  for (size_t i = 0; i < g_cellGrid.slots.size(); ++i) {
    const bool blood = g_cellGrid.slots[i] && g_cellGrid.slots[i]->getType() == 2;
    bloodInGrid += blood;
    outside += blood && (i >= inside.size() || !inside[i]);
  }
  const BloodStats& s = bloodStats();
  EXPECT_EQ(outside + long(s.lost), 0) << "blood escaped the stomach's walls";
  // Only the collectors and the clean-up under the spout take blood away.
  EXPECT_EQ(s.destroyed, s.collected[0] + s.collected[1] + s.cleanedTop);
  EXPECT_EQ(static_cast<long>(s.created - s.destroyed), bloodInGrid);
  EXPECT_EQ(long(s.collected[0]) * 1000 + long(s.collected[1]), g_earned[1] * 1000 + g_earned[2]);
  // The pool first fills the bowl, then spills over both lips about evenly.
  EXPECT_LT(firstMinute * 20, static_cast<long>(s.created)) << "the bowl pays out too early";
  const long total = g_earned[1] + g_earned[2];
  EXPECT_TRUE(g_earned[1] * 100 > total * 45 && g_earned[2] * 100 > total * 45) << "a collector starves";
  resetSimulation();
  setEarnReceiver(nullptr);
  releaseAllTextures();
  platform::releaseDevice();
}

}  // namespace
