// Gathered draws must look exactly like the draws they stand for: the same
// triangles wound the same way, colours in the byte order WebGL reads, and
// sprite corners where the sprite's own transform puts them.
#include <gtest/gtest.h>

#include <vector>

#include "platform/draw_batch.h"

namespace {

using platform::BatchKey;
using platform::BatchVertex;
using platform::DrawBatch;

BatchVertex at(float x, float y) {
  BatchVertex v;
  v.x = x;
  v.y = y;
  return v;
}

// Twice the signed area: its sign is the winding.
float winding(const BatchVertex& a, const BatchVertex& b, const BatchVertex& c) {
  return (b.x - a.x) * (c.y - a.y) - (c.x - a.x) * (b.y - a.y);
}

TEST(DrawBatch, StripsBecomeTrianglesWoundAsTheStripWindsThem) {
  // A strip of two quads side by side: every triangle of it faces one way.
  const BatchVertex strip[6] = {at(0, 0), at(0, 1), at(1, 0), at(1, 1), at(2, 0), at(2, 1)};
  for (int count : {3, 4, 6}) {
    SCOPED_TRACE(count);
    DrawBatch batch;
    batch.start(BatchKey());
    batch.addStrip(strip, count);
    batch.addStrip(strip, 2);  // no triangle at all
    const std::vector<BatchVertex>& t = batch.triangles();
    ASSERT_EQ(t.size(), size_t(3 * (count - 2)));
    const float first = winding(t[0], t[1], t[2]);
    ASSERT_NE(first, 0.0f);
    for (size_t i = 0; i < t.size(); i += 3) {
      EXPECT_GT(winding(t[i], t[i + 1], t[i + 2]) * first, 0.0f) << "triangle " << i / 3;
    }
  }
}

TEST(DrawBatch, DrawsJoinOnlyUnderTheSameKeyAndColoursAreRedGreenBlueAlphaBytes) {
  DrawBatch batch;
  BatchKey a, b = a, c = a;
  b.state[3] = 7;
  c.texture = &batch;
  EXPECT_FALSE(batch.joins(a)) << "nothing gathered yet";
  batch.start(a);
  const BatchVertex strip[3] = {at(0, 0), at(0, 1), at(1, 0)};
  batch.addStrip(strip, 3);
  EXPECT_TRUE(batch.joins(a));
  EXPECT_FALSE(batch.joins(b));
  EXPECT_FALSE(batch.joins(c));
  batch.clear();
  EXPECT_FALSE(batch.joins(a));

  BatchVertex v;
  platform::setBatchColour(v, 0x80112233u);
  EXPECT_EQ(v.rgba[0], 0x11);
  EXPECT_EQ(v.rgba[1], 0x22);
  EXPECT_EQ(v.rgba[2], 0x33);
  EXPECT_EQ(v.rgba[3], 0x80);
}

TEST(DrawBatch, SpriteCornersGoWhereTheSpritesTransformPutsThem) {
  // Scaled by 2 and 3, turned a quarter about (10, 20), moved by (100, 50).
  const platform::Matrix m = platform::matrixTransformation2D(2, 3, 10, 20, 1.5707963f, 100, 50);
  const struct {
    float x, y;
  } corners[] = {{0, 0}, {20, 0}, {0, 40}, {20, 40}, {10, 20}};
  for (const auto& c : corners) {
    const BatchVertex v = platform::spriteCorner(m, c.x, c.y, 0.25f, 0.75f, 0xffffffffu);
    // The same point through the matrix as a row vector, as the desktop's GL takes it.
    const float x = c.x * m.m[0][0] + c.y * m.m[1][0] + m.m[3][0];
    const float y = c.x * m.m[0][1] + c.y * m.m[1][1] + m.m[3][1];
    EXPECT_FLOAT_EQ(v.x, x);
    EXPECT_FLOAT_EQ(v.y, y);
    EXPECT_EQ(v.u, 0.25f);
    EXPECT_EQ(v.v, 0.75f);
  }
  // The rotation centre, scaled, stays put but for the move.
  const BatchVertex centre = platform::spriteCorner(m, 5, 20.0f / 3.0f, 0, 0, 0);
  EXPECT_NEAR(centre.x, 110, 1e-3);
  EXPECT_NEAR(centre.y, 70, 1e-3);
}

}  // namespace
