// The cell grid as parts, drops and the screen see it: clamped access and its
// spare slots, blood creation, the screen mapping, blood drawing through the
// null device's log, and the two random sources.
#include <algorithm>
#include <cstdlib>

#include "platform/null_device.h"
#include "sim_fixture.h"

namespace {

using simtest::SimTest;
constexpr float kCellW = 1.27734375f, kCellH = 1.2748815f;  // 327 x 269 pixels over 256 x 211 cells

TEST_F(SimTest, OffGridAccessClampsOntoTheEdgeAndTheEmptySpareSlots) {
  EXPECT_EQ(grid().slots.size(), 54485u);
  EXPECT_EQ(&grid().at(-5, -5), &grid().at(0, 0));
  EXPECT_EQ(&grid().at(9999, 10), &grid().at(0, 11));  // one past the last column is the next row
  EXPECT_EQ(&grid().at(3, 500), &grid().atIndex(3 + 211 * 256));
  EXPECT_EQ(&grid().at(256, 211), &grid().atIndex(256 + 211 * 256));
  // Blood put off the grid keeps its own position in the clamped slot and stays put.
  grid().putBlood(-3, 40);
  grid().putBlood(100, 209);  // the row above the bottom border still flows
  CBloodCell* c = bloodAt(0, 40);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->x, -3);
  for (int i = 0; i < 30; ++i) step(grid(), 255);
  EXPECT_EQ(grid().at(0, 40), c);
  EXPECT_NE(bloodAt(100, 210), nullptr);
  // Only empty slots take blood; clearing empties the spare slots too.
  ground(11, 20, 11, 20, 7);
  grid().putBlood(11, 20);
  grid().putBlood(3, 500);
  EXPECT_EQ(grid().at(11, 20)->getType(), 1);
  EXPECT_EQ(bloodStats().created, 3u);
  grid().clear();
  EXPECT_TRUE(std::all_of(grid().slots.begin(), grid().slots.end(), [](ISingleCell* s) { return !s; }));
  EXPECT_EQ(bloodStats().cleared * 10 + bloodStats().destroyed, 33u);
}

TEST(ScreenMapping, ConvertsBetweenPixelsAndCells) {
  const Vec2 s = gridToScreen({256, 211});
  EXPECT_NEAR(s.x, 101 + 327, 1e-3);
  EXPECT_NEAR(s.y, 237 + 269, 1e-3);
  const Vec2 g = screenToGrid({101 + 10 * kCellW, 237 + 20 * kCellH});
  EXPECT_NEAR(g.x, 10, 1e-3);
  EXPECT_NEAR(g.y, 20, 1e-3);
  int cx = -1, cy = -1;
  screenToCell({256, 237}, cx, cy);
  EXPECT_EQ(cx * 1000 + cy, 121000);
  screenToCell({100, 236}, cx, cy);  // negative products truncate to 0
  EXPECT_EQ(cx * 1000 + cy, 0);
}

TEST_F(SimTest, BloodIsDrawnAsRowRunsOneColumnRightOfItsCells) {
  platform::setDevice(std::make_unique<platform::NullDevice>());
  auto* null = static_cast<platform::NullDevice*>(platform::device());
  null->setRecording(true);
  const struct {
    const char* name;
    std::vector<std::pair<int, int>> blood, ground, runs;  // runs: first and last column drawn, all in row 50
  } cases[] = {
      {"nothing", {}, {}, {}},
      {"one cell", {{10, 50}}, {}, {{11, 11}}},
      {"a run", {{20, 50}, {21, 50}, {22, 50}, {24, 50}, {25, 50}}, {{23, 50}}, {{21, 23}, {25, 26}}},
      {"the last row and column never", {{255, 30}, {100, 210}}, {}, {}},
      {"a run ending at column 254 stops one short", {{253, 50}, {254, 50}}, {}, {{254, 254}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    grid().clear();
    for (auto [x, y] : c.blood) grid().putBlood(x, y);
    for (auto [x, y] : c.ground) ground(x, y, x, y);
    null->clearRecords();
    grid().draw();
    EXPECT_EQ(null->records().size(), c.runs.size());
    for (size_t i = 0; i < c.runs.size() && i < null->records().size(); ++i) {
      const platform::DrawRecord& r = null->records()[i];
      EXPECT_EQ(r.vertexCount * 10 + r.alphaBlend, 41u);
      float left = 1e9f, right = -1e9f, top = 1e9f, bottom = -1e9f;
      for (int v = 0; v < 4; ++v) {
        EXPECT_EQ(r.vertices[v].argb, 0xB2FFE014u);
        left = std::min(left, (r.vertices[v].x + 1) * 256), right = std::max(right, (r.vertices[v].x + 1) * 256);
        top = std::min(top, (1 - r.vertices[v].y) * 256), bottom = std::max(bottom, (1 - r.vertices[v].y) * 256);
      }
      EXPECT_NEAR(left, 101 + c.runs[i].first * kCellW, 1e-3);  // one column right of the cells
      EXPECT_NEAR(right, 101 + (c.runs[i].second + 1) * kCellW, 1e-3);
      EXPECT_NEAR(top, 237 + 50 * kCellH, 1e-2);
      EXPECT_NEAR(bottom - top, kCellH, 1e-3);
    }
  }
  platform::releaseDevice();
}

TEST(RandomSources, TheMinimalStandardGeneratorAndTheHelpersStayApartAndInRange) {
  seedRandom(1);
  for (int i = 0; i < 10000; ++i) nextUniform();
  EXPECT_EQ(generatorState(), 1043618065.0);  // the generator's published check value
  for (unsigned seed : {0x7FFFFFFEu, 0x80000000u, 0xFFFFFFFFu}) {
    seedRandom(seed);
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(nextUniform() > 0.0 && nextUniform() < 1.0) << seed;
  }
  seedRandom(777);
  const double first = nextUniform();
  seedRandom(777);
  std::rand();
  randomInt(0, 10);
  EXPECT_EQ(nextUniform(), first) << "the helpers draw from the C library, not the program generator";
  bool ends[2] = {};
  for (int i = 0; i < 2000; ++i) {
    const int a = randomInt(-1, 1), b = randomIntInclusive(-1, 1);
    const float f = randomFloat(-1.5f, -0.5f);
    ASSERT_TRUE((a == -1 || a == 0) && b >= -1 && b <= 1 && f >= -1.5f && f <= -0.5f);
    ends[0] |= b == -1, ends[1] |= b == 1;
  }
  EXPECT_TRUE(ends[0] && ends[1]);
  EXPECT_EQ(randomInt(5, 5), 5);  // an empty range gives its lower end instead of dividing by zero
}

}  // namespace
