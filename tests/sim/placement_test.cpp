// Placing parts on the grid: stamping and unstamping masks as ground, blood
// pushed aside, overlapping parts, turned masks, and hit-testing.
#include <cmath>
#include <memory>

#include "app_settings.h"
#include "render/image.h"
#include "sim/placement.h"
#include "sim_fixture.h"

namespace {

using simtest::SimTest;

std::unique_ptr<CAlphaMask> solidMask(int w, int h, int alpha = 255) {
  auto m = std::make_unique<CAlphaMask>(w, h);
  for (int& p : m->data) p = alpha;
  return m;
}

class Placement : public SimTest {
 protected:
  CPlacedMask part(CAlphaMask* mask, float gx, float gy, int id) {
    CPlacedMask p;
    p.gridX = gx;
    p.gridY = gy;
    p.rotatedMask = mask;
    p.id = id;
    return p;
  }
  int groundOf(int owner) {
    int n = 0;
    for (ISingleCell* c : grid().slots)
      if (c && c->getType() == 1 && c->getOwner() == owner) ++n;
    return n;
  }
  const Vec2 up{0, -1};
};

TEST_F(Placement, TenByTenMaskCoversItsRectangleAndUnstampsExactly) {
  auto mask = solidMask(10, 10);
  CPlacedMask p = part(mask.get(), 20, 30, 4);
  stamp(p, up);
  EXPECT_TRUE(p.inGrid);
  EXPECT_EQ(groundOf(4), 100);
  for (int y = 25; y <= 34; ++y)
    for (int x = 15; x <= 24; ++x) {
      ISingleCell* c = grid().at(x, y);
      ASSERT_NE(c, nullptr);
      EXPECT_EQ(c->getType(), 1);
      EXPECT_EQ(c->getOwner(), 4);
      EXPECT_EQ(c->getState(), 3);
    }
  EXPECT_EQ(grid().at(14, 25), nullptr);
  EXPECT_EQ(grid().at(25, 34), nullptr);
  EXPECT_EQ(grid().at(15, 35), nullptr);

  unstamp(p);
  EXPECT_EQ(groundOf(4), 0);
  EXPECT_TRUE(p.inGrid);  // the flag stays once set
}

TEST_F(Placement, HalfTransparentPixelsAreSolidFrom128) {
  auto mask = std::make_unique<CAlphaMask>(2, 1);
  mask->data = {127, 128};
  CPlacedMask p = part(mask.get(), 51, 60.5f, 2);
  stamp(p, up);
  EXPECT_EQ(grid().at(50, 60), nullptr);
  ASSERT_NE(grid().at(51, 60), nullptr);
  EXPECT_EQ(grid().at(51, 60)->getOwner(), 2);
}

TEST_F(Placement, NegativeCornersTruncateTowardZeroAndOffGridPixelsAreSkipped) {
  auto mask = solidMask(10, 10);
  CPlacedMask p = part(mask.get(), 1.5f, 1.5f, 5);  // left = trunc(-3.5) = -3
  stamp(p, up);
  EXPECT_EQ(groundOf(5), 7 * 7);
  EXPECT_NE(grid().at(6, 6), nullptr);
  EXPECT_EQ(grid().at(7, 6), nullptr);

  CPlacedMask off = part(mask.get(), 300, 100, 6);
  stamp(off, up);
  EXPECT_EQ(groundOf(6), 0);
  for (ISingleCell* c : std::vector<ISingleCell*>(grid().slots.begin() + 211 * 256, grid().slots.end()))
    EXPECT_EQ(c, nullptr);
}

TEST_F(Placement, PartWithoutMaskStampsNothingButIsMarkedInGrid) {
  CPlacedMask p = part(nullptr, 50, 50, 3);
  stamp(p, up);
  EXPECT_TRUE(p.inGrid);
  unstamp(p);
  EXPECT_EQ(groundOf(3), 0);
  EXPECT_FALSE(hitTest(p, gridToScreen({50, 50})));
}

TEST_F(Placement, FirstStampedPartKeepsContestedCells) {
  auto mask = solidMask(10, 10);
  CPlacedMask a = part(mask.get(), 50, 50, 1);
  CPlacedMask b = part(mask.get(), 55, 50, 2);
  stamp(a, up);
  stamp(b, up);
  EXPECT_EQ(groundOf(1), 100);
  EXPECT_EQ(groundOf(2), 50);
  unstamp(b);
  EXPECT_EQ(groundOf(1), 100);
  stamp(b, up);
  unstamp(a);
  // The first part took its ground with it, leaving a hole in the second.
  EXPECT_EQ(groundOf(2), 50);
  EXPECT_EQ(grid().at(52, 50), nullptr);
}

TEST_F(Placement, StampingOverBloodPushesItAsideAsFallingBlood) {
  for (int x = 45; x <= 54; ++x) grid().putBlood(x, 60);
  resetActiveBox();
  auto mask = solidMask(10, 10);
  CPlacedMask p = part(mask.get(), 50, 60, 8);
  stamp(p, up);
  EXPECT_EQ(groundOf(8), 100);
  EXPECT_EQ(countBlood(), 10);
  const ActiveBox box = activeBox();
  for (ISingleCell* c : grid().slots) {
    if (!c || c->getType() != 2) continue;
    auto* b = static_cast<CBloodCell*>(c);
    EXPECT_EQ(b->state, 1);
    EXPECT_FALSE(b->asleep);
    EXPECT_EQ(grid().at(b->x, b->y), c);
    EXPECT_TRUE(b->x >= box.xMin && b->x <= box.xMax && b->y >= box.yMin && b->y <= box.yMax);
  }
}

TEST_F(Placement, BloodInTheTopRowHasNowhereToGo) {
  grid().putBlood(30, 0);
  g_debug = true;
  testing::internal::CaptureStdout();
  putGround(grid(), 30, 0, 3, up);
  const std::string out = testing::internal::GetCapturedStdout();
  g_debug = false;
  EXPECT_EQ(out, "Couldn't find a place\n");
  EXPECT_EQ(countBlood(), 0);
  EXPECT_EQ(bloodStats().lost, 1u);
  EXPECT_EQ(grid().at(30, 0)->getType(), 1);

  // Without the debug setting the loss is silent.
  grid().putBlood(31, 0);
  testing::internal::CaptureStdout();
  putGround(grid(), 31, 0, 3, up);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
}

TEST_F(Placement, PushedUpwardBloodFirstTriesTheRowBelowOrItsLeft) {
  // Everything near is full except the two first path candidates.
  int seen[2] = {0, 0};
  for (unsigned seed = 1; seed <= 40; ++seed) {
    resetSimulation();
    seedRandom(seed);
    ground(90, 90, 130, 110);
    delete grid().at(99, 101);
    grid().at(99, 101) = nullptr;
    delete grid().at(100, 101);
    grid().at(100, 101) = nullptr;
    delete grid().at(100, 100);
    grid().at(100, 100) = nullptr;
    grid().putBlood(100, 100);
    putGround(grid(), 100, 100, 7, up);
    const bool left = bloodAt(99, 101) != nullptr;
    const bool below = bloodAt(100, 101) != nullptr;
    ASSERT_NE(left, below) << "seed " << seed;
    ++seen[below];
  }
  EXPECT_GT(seen[0], 0);
  EXPECT_GT(seen[1], 0);
}

TEST_F(Placement, PathCandidatePastTheRightEdgeWrapsToTheNextRow) {
  // Full board except one slot: column 0 of row 62, which is also column 256
  // of row 61. Pushed right from column 255, only the path candidate, which
  // runs along row 61, can reach it.
  ground(0, 0, 255, 210);
  delete grid().at(0, 62);
  grid().at(0, 62) = nullptr;
  delete grid().at(255, 60);
  grid().at(255, 60) = nullptr;
  grid().putBlood(255, 60);
  putGround(grid(), 255, 60, 9, {1, 0});
  CBloodCell* c = bloodAt(0, 62);
  ASSERT_NE(c, nullptr);
  EXPECT_GE(c->x, 256);  // it keeps the column it was put at
  EXPECT_EQ(c->y, 61);
  EXPECT_EQ(&grid().at(c->x, c->y), &grid().at(0, 62));
}

TEST(RotateMask, TinyAnglesGiveNoMask) {
  auto mask = solidMask(20, 10);
  EXPECT_EQ(rotateMask(mask.get(), 0.0005), nullptr);
  EXPECT_EQ(rotateMask(mask.get(), -0.001), nullptr);
  EXPECT_EQ(rotateMask(nullptr, 45), nullptr);
  EXPECT_NE(rotateMask(mask.get(), 0.002), nullptr);
}

TEST(RotateMask, QuarterAndFullTurnsComeOutOneLargerEachWay) {
  auto mask = solidMask(20, 10);
  auto quarter = rotateMask(mask.get(), 90);
  ASSERT_NE(quarter, nullptr);
  EXPECT_EQ(quarter->width, 12);
  EXPECT_EQ(quarter->height, 22);
  EXPECT_EQ(quarter->stride, 12);

  auto full = rotateMask(mask.get(), 360);
  ASSERT_NE(full, nullptr);
  EXPECT_EQ(full->width, 22);
  EXPECT_EQ(full->height, 12);
}

TEST(RotateMask, CentreSamplesTheSourceCentreWithoutHalfPixelOffset) {
  auto mask = std::make_unique<CAlphaMask>(20, 10);
  mask->data[10 + 5 * 20] = 200;
  auto full = rotateMask(mask.get(), 360);
  // Destination (11, 6) samples the source point (10, 5) exactly.
  EXPECT_EQ(full->data[11 + 6 * 22], 200);
  int lit = 0;
  for (int v : full->data) lit += v > 0;
  EXPECT_GE(lit, 1);
}

TEST(RotateMask, QuarterTurnStandsTheShapeUpright) {
  auto mask = solidMask(20, 10);
  auto q = rotateMask(mask.get(), 90);
  int minX = 99, maxX = -1, minY = 99, maxY = -1;
  for (int y = 0; y < q->height; ++y)
    for (int x = 0; x < q->width; ++x)
      if (q->data[x + y * q->stride] >= 128) {
        minX = std::min(minX, x);
        maxX = std::max(maxX, x);
        minY = std::min(minY, y);
        maxY = std::max(maxY, y);
      }
  EXPECT_NEAR(maxX - minX + 1, 10, 1);
  EXPECT_NEAR(maxY - minY + 1, 20, 1);
}

TEST(RotateMask, LargeMasksKeepTheirAreaWhenTurned) {
  auto mask = solidMask(3000, 40);
  auto r = rotateMask(mask.get(), 30);
  ASSERT_NE(r, nullptr);
  EXPECT_EQ(r->data.size(), static_cast<size_t>(r->width) * r->height);
  int lit = 0;
  for (int v : r->data) {
    ASSERT_GE(v, 0);
    ASSERT_LE(v, 255);
    lit += v >= 128;
  }
  EXPECT_NEAR(lit, 3000 * 40, 3000 * 40 / 20);
}

class HitTest : public Placement {
 protected:
  // A 5 x 5 transparent mask placed so that the screen point lands on its
  // middle pixel (2, 2).
  bool hitWithOnly(int col, int row) {
    CAlphaMask mask(5, 5);
    mask.data[col + row * 5] = 1;
    const Vec2 point{300, 400};
    const Vec2 g = screenToGrid(point);
    CPlacedMask p = part(&mask, g.x, g.y, 1);
    return hitTest(p, point);
  }
};

TEST_F(HitTest, HitsThePixelAndItsFourNeighboursButNotDiagonals) {
  EXPECT_TRUE(hitWithOnly(2, 2));
  EXPECT_TRUE(hitWithOnly(1, 2));
  EXPECT_TRUE(hitWithOnly(3, 2));
  EXPECT_TRUE(hitWithOnly(2, 1));
  EXPECT_TRUE(hitWithOnly(2, 3));
  EXPECT_FALSE(hitWithOnly(1, 1));
  EXPECT_FALSE(hitWithOnly(3, 3));
  EXPECT_FALSE(hitWithOnly(0, 2));
}

TEST_F(HitTest, FarPointsMiss) {
  auto mask = solidMask(5, 5);
  CPlacedMask p = part(mask.get(), 50, 50, 1);
  EXPECT_TRUE(hitTest(p, gridToScreen({50, 50})));
  EXPECT_FALSE(hitTest(p, gridToScreen({60, 50})));
  EXPECT_FALSE(hitTest(p, {1e30f, -1e30f}));
}

}  // namespace
