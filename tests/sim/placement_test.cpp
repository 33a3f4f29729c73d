// Placing parts on the grid and the edge cases a seeded run seldom reaches:
// stamping and unstamping masks, turned masks, hit-testing, the collectors'
// squares and far-flying drops.
#include <tuple>

#include "sim_fixture.h"

namespace {

using simtest::earnings;
using simtest::SimTest;
const Vec2 kUp{0, -1};

TEST_F(SimTest, StampedMasksBecomeGroundFromAlpha128AndTheFirstPartKeepsContestedCells) {
  auto mask = simtest::solidMask(10, 10);
  mask->data[0] = 127;
  mask->data[1] = 128;
  CPlacedMask a = part(mask.get(), 20, 30, 4), b = part(mask.get(), 25, 30, 2);
  stamp(a, kUp);
  EXPECT_TRUE(a.inGrid);
  EXPECT_EQ(count(1, 4), 99);
  EXPECT_EQ(grid().at(15, 25), nullptr);  // alpha 127
  ASSERT_NE(grid().at(16, 25), nullptr);
  EXPECT_EQ(grid().at(16, 25)->getState(), 3);
  EXPECT_EQ(grid().at(25, 30), nullptr);  // the corner is the centre less half the size
  stamp(b, kUp);
  EXPECT_EQ(count(1, 2), 50);
  unstamp(a);  // takes its ground with it, leaving no hole filled for b
  EXPECT_EQ(count(1, 4) + count(1, 2), 50);
  CPlacedMask off = part(mask.get(), 1.5f, 1.5f, 5);  // corner trunc(-3.5) = -3
  stamp(off, kUp);
  CPlacedMask right = part(mask.get(), 300, 100, 6);  // off-grid pixels are skipped, not wrapped
  stamp(right, kUp);
  EXPECT_EQ(count(1, 5) * 1000 + count(1, 6), 49000);
}

TEST_F(SimTest, APathCandidatePastTheRightEdgeWrapsToTheNextRowWithoutLeavingTheGrid) {
  ground(0, 0, 255, 210);
  const std::pair<int, int> holes[] = {{0, 62}, {255, 60}};
  for (auto [x, y] : holes) delete grid().at(x, y), grid().at(x, y) = nullptr;
  grid().putBlood(255, 60);
  putGround(grid(), 255, 60, 9, {1, 0});
  CBloodCell* c = bloodAt(0, 62);
  ASSERT_NE(c, nullptr);
  EXPECT_GE(c->x, 256);  // it keeps the column it was put at
  EXPECT_EQ(&grid().at(c->x, c->y), &grid().at(0, 62));
}

TEST(RotateMask, SizesCentresAndAreasOfTurnedMasks) {
  auto mask = simtest::solidMask(20, 10);
  EXPECT_EQ(rotateMask(mask.get(), 0.0005), nullptr);  // tiny angles give no mask
  EXPECT_EQ(rotateMask(nullptr, 45), nullptr);
  EXPECT_NE(rotateMask(mask.get(), 0.002), nullptr);
  auto quarter = rotateMask(mask.get(), 90);
  ASSERT_NE(quarter, nullptr);
  EXPECT_EQ(quarter->width * 100 + quarter->height, 1222);
  int lit = 0;
  for (int v : quarter->data) lit += v >= 128;
  EXPECT_NEAR(lit, 200, 20);
  mask->data.assign(mask->data.size(), 0);
  mask->data[10 + 5 * 20] = 200;
  auto full = rotateMask(mask.get(), 360);
  EXPECT_EQ(full->data[11 + 6 * 22], 200) << "the centre samples the source centre without a half-pixel offset";
  auto large = simtest::solidMask(3000, 40);
  auto turned = rotateMask(large.get(), 30);
  lit = 0;
  for (int v : turned->data) lit += v >= 128;
  EXPECT_NEAR(lit, 3000 * 40, 3000 * 40 / 20);
}

TEST_F(SimTest, AHitTakesThePixelOrItsFourNeighboursButNotDiagonals) {
  const std::tuple<int, int, bool> cases[] = {{2, 2, true},  {1, 2, true},  {3, 2, true},  {2, 1, true},
                                               {2, 3, true},  {1, 1, false}, {3, 3, false}, {0, 2, false}};
  for (auto [col, row, hit] : cases) {
    CAlphaMask mask(5, 5);
    mask.data[col + row * 5] = 1;
    const Vec2 g = screenToGrid({300, 400});
    EXPECT_EQ(hitTest(part(&mask, g.x, g.y, 1), {300, 400}), hit) << col << "," << row;
  }
  EXPECT_FALSE(hitTest(part(nullptr, 50, 50, 3), gridToScreen({50, 50})));
}

TEST_F(SimTest, CollectorsTakeTheirSquaresEveryEleventhStepAndTheSpoutRowIsCleanedUnpaid) {
  // Blood packed between walls so nothing moves, with one ground cell inside a square.
  ground(0, 152, 255, 152);
  for (int x : {37, 54, 201, 218}) ground(x, 139, x, 151);
  for (int y = 139; y <= 151; ++y)
    for (int x = 38; x <= 217; ++x)
      if (x <= 53 || x >= 202) grid().putBlood(x, y);
  delete grid().at(45, 145), grid().at(45, 145) = new CGroundCell(9);
  for (int x = 85; x <= 165; ++x) grid().putBlood(x, 0);
  for (int i = 0; i < 10; ++i) step(grid(), 255);
  EXPECT_TRUE(earnings().empty());
  const uint64_t before = bloodStats().created - bloodStats().destroyed;
  step(grid(), 255);
  // Ten by ten squares at columns 41 and 205, rows 141 to 150, one paid call a cell.
  EXPECT_EQ(bloodStats().collected[0] * 1000 + bloodStats().collected[1], 99100u);
  EXPECT_EQ(earnings().size(), 199u);
  EXPECT_EQ(bloodStats().cleanedTop, 70u);  // columns 90 to 159
  EXPECT_EQ(bloodStats().created - bloodStats().destroyed, before - 199 - 70);
}

TEST_F(SimTest, DropsAreDiscardedOnlyFarOutsideTheGrid) {
  const float starts[][4] = {{766.5f, 100, 1, 0}, {-511.0f, 100, -1, 0}, {100, 721.8f, 0, 1}};
  for (const auto& s : starts) {
    spawnSplash(&grid(), 0, 0, {s[2], s[3]}, true);
    particleList().back()->x = s[0], particleList().back()->y = s[1];
  }
  stepParticles();
  EXPECT_EQ(particleList().size(), 3u);
  stepParticles();
  EXPECT_EQ(particleList().size(), 0u);
}

}  // namespace
