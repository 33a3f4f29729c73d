// The cell grid as parts, drops and the screen see it: clamped access and
// its spare slots, blood creation, the screen mapping, and blood drawing.
#include <algorithm>
#include <memory>

#include "platform/null_device.h"
#include "sim_fixture.h"

namespace {

using simtest::SimTest;

TEST_F(SimTest, GridHasTheGamesSizeAndSpareSlots) {
  EXPECT_EQ(grid().width, 256);
  EXPECT_EQ(grid().height, 211);
  EXPECT_EQ(grid().slotCount, 54484);
  EXPECT_EQ(grid().slots.size(), 54485u);
}

TEST_F(SimTest, AtClampsOffGridPositionsOntoEdgeAndSpareSlots) {
  EXPECT_EQ(&grid().at(-5, -5), &grid().at(0, 0));
  // One past the last column is the first column of the next row.
  EXPECT_EQ(&grid().at(256, 10), &grid().at(0, 11));
  EXPECT_EQ(&grid().at(9999, 10), &grid().at(0, 11));
  // Any row past the bottom lands in the spare slots, which are empty.
  ISingleCell*& spare = grid().at(3, 500);
  EXPECT_EQ(&spare, &grid().atIndex(3 + 211 * 256));
  EXPECT_EQ(spare, nullptr);
  EXPECT_EQ(&grid().at(256, 211), &grid().atIndex(256 + 211 * 256));
}

TEST_F(SimTest, PutBloodFillsOnlyEmptySlots) {
  grid().putBlood(10, 20);
  CBloodCell* c = bloodAt(10, 20);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->x, 10);
  EXPECT_EQ(c->y, 20);
  EXPECT_EQ(c->state, 1);
  EXPECT_FLOAT_EQ(c->fall, 0);
  EXPECT_FALSE(c->asleep);

  grid().putBlood(10, 20);
  EXPECT_EQ(grid().at(10, 20), c);
  ground(11, 20, 11, 20, 7);
  ISingleCell* g = grid().at(11, 20);
  grid().putBlood(11, 20);
  EXPECT_EQ(grid().at(11, 20), g);
  EXPECT_EQ(bloodStats().created, 1u);
}

TEST_F(SimTest, BloodPutOffTheGridKeepsItsPositionInTheClampedSlot) {
  grid().putBlood(-3, 40);
  CBloodCell* c = bloodAt(0, 40);
  ASSERT_NE(c, nullptr);
  EXPECT_EQ(c->x, -3);
  EXPECT_EQ(c->y, 40);
  for (int i = 0; i < 30; ++i) step(grid(), 255);
  EXPECT_EQ(grid().at(0, 40), c);
}

TEST_F(SimTest, ClearEmptiesEveryCellIncludingSpareSlots) {
  grid().putBlood(5, 5);
  grid().putBlood(3, 500);
  ground(0, 0, 2, 2);
  grid().clear();
  for (ISingleCell* c : grid().slots) ASSERT_EQ(c, nullptr);
  EXPECT_EQ(bloodStats().created, bloodStats().destroyed);
}

TEST(ScreenMapping, ConvertsBetweenPixelsAndCells) {
  const Vec2 s = gridToScreen({10, 20});
  EXPECT_FLOAT_EQ(s.x, 101 + 10 * 1.27734375f);
  EXPECT_FLOAT_EQ(s.y, 237 + 20 * 1.2748815f);
  // The grid covers 327 x 269 pixels.
  const Vec2 corner = gridToScreen({256, 211});
  EXPECT_NEAR(corner.x, 101 + 327, 1e-3);
  EXPECT_NEAR(corner.y, 237 + 269, 1e-3);

  const Vec2 g = screenToGrid({101 + 327, 237 + 269});
  EXPECT_NEAR(g.x, 256, 1e-3);
  EXPECT_NEAR(g.y, 211, 1e-3);

  int cx = -1, cy = -1;
  screenToCell({256, 237}, cx, cy);
  EXPECT_EQ(cx, 121);
  EXPECT_EQ(cy, 0);
  // Just left of and above the grid the products are negative and truncate to 0.
  screenToCell({100, 236}, cx, cy);
  EXPECT_EQ(cx, 0);
  EXPECT_EQ(cy, 0);
}

// Blood drawing through the null device's log of draws.
class GridDrawing : public SimTest {
 protected:
  struct Quad {
    float left, top, right, bottom;
    uint32_t argb;
  };

  void SetUp() override {
    SimTest::SetUp();
    auto dev = std::make_unique<platform::NullDevice>();
    null_ = dev.get();
    platform::setDevice(std::move(dev));
    null_->setRecording(true);
  }
  void TearDown() override {
    platform::releaseDevice();
    SimTest::TearDown();
  }

  // The quads drawn, back in screen pixels.
  std::vector<Quad> drawnQuads() {
    null_->clearRecords();
    grid().draw();
    std::vector<Quad> out;
    for (const platform::DrawRecord& r : null_->records()) {
      EXPECT_FALSE(r.viaSpriteInterface);
      EXPECT_EQ(r.vertexCount, 4);
      EXPECT_EQ(r.alphaBlend, 1u);
      Quad q{1e9f, 1e9f, -1e9f, -1e9f, r.vertices[0].argb};
      for (int i = 0; i < 4; ++i) {
        const float x = (r.vertices[i].x + 1.0f) * 256.0f;
        const float y = (1.0f - r.vertices[i].y) * 256.0f;
        q.left = std::min(q.left, x);
        q.right = std::max(q.right, x);
        q.top = std::min(q.top, y);
        q.bottom = std::max(q.bottom, y);
        EXPECT_EQ(r.vertices[i].argb, 0xB2FFE014u);
      }
      out.push_back(q);
    }
    return out;
  }

  platform::NullDevice* null_ = nullptr;
};

TEST_F(GridDrawing, EmptyGridDrawsNothing) { EXPECT_TRUE(drawnQuads().empty()); }

TEST_F(GridDrawing, SingleCellIsOneQuadOneColumnRightOfItsCell) {
  grid().putBlood(10, 0);
  const auto quads = drawnQuads();
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_NEAR(quads[0].left, 101 + 11 * 1.27734375f, 1e-3);
  EXPECT_NEAR(quads[0].right, 101 + 12 * 1.27734375f, 1e-3);
  EXPECT_NEAR(quads[0].top, 237, 1e-3);
  EXPECT_NEAR(quads[0].bottom, 237 + 1.2748815f, 1e-3);
}

TEST_F(GridDrawing, AdjacentCellsMergeAndGroundSplitsThem) {
  for (int x = 20; x < 30; ++x) grid().putBlood(x, 50);
  auto quads = drawnQuads();
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_NEAR(quads[0].right - quads[0].left, 10 * 1.27734375f, 1e-3);

  delete grid().at(24, 50);
  grid().at(24, 50) = new CGroundCell(3);
  quads = drawnQuads();
  ASSERT_EQ(quads.size(), 2u);
  EXPECT_NEAR(quads[0].right - quads[0].left, 4 * 1.27734375f, 1e-3);
  EXPECT_NEAR(quads[1].right - quads[1].left, 5 * 1.27734375f, 1e-3);
}

TEST_F(GridDrawing, LastColumnAndLastRowAreNeverDrawn) {
  grid().putBlood(255, 30);
  grid().putBlood(100, 210);
  EXPECT_TRUE(drawnQuads().empty());

  // A run reaching column 254 ends at the cursor's last value, one column short.
  grid().putBlood(253, 40);
  grid().putBlood(254, 40);
  const auto quads = drawnQuads();
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_NEAR(quads[0].left, 101 + 254 * 1.27734375f, 1e-3);
  EXPECT_NEAR(quads[0].right, 101 + 255 * 1.27734375f, 1e-3);
}

TEST_F(GridDrawing, RowsStackDownwardOneCellHeightApart) {
  grid().putBlood(50, 100);
  const auto quads = drawnQuads();
  ASSERT_EQ(quads.size(), 1u);
  EXPECT_NEAR(quads[0].top, 237 + 100 * 1.2748815f, 1e-2);
  EXPECT_NEAR(quads[0].bottom - quads[0].top, 1.2748815f, 1e-3);
}

}  // namespace
