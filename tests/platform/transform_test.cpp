// The 2D sprite transform: scaling, then turning about a centre, then moving,
// applied to row vectors.
#include <gtest/gtest.h>

#include "platform/device.h"

namespace {

struct Point {
  float x, y;
};

Point apply(const platform::Matrix& m, Point p) {
  return {p.x * m.m[0][0] + p.y * m.m[1][0] + m.m[3][0], p.x * m.m[0][1] + p.y * m.m[1][1] + m.m[3][1]};
}

constexpr float kHalfPi = 1.57079632679f;

TEST(MatrixTransformation2D, WithoutRotationScalesThenMoves) {
  const platform::Matrix m = platform::matrixTransformation2D(2, 3, 5, 5, 0, 10, 20);
  const Point p = apply(m, {4, 1});
  EXPECT_FLOAT_EQ(p.x, 18);
  EXPECT_FLOAT_EQ(p.y, 23);
  EXPECT_FLOAT_EQ(m.m[2][2], 1);
  EXPECT_FLOAT_EQ(m.m[3][3], 1);
}

TEST(MatrixTransformation2D, QuarterTurnIsClockwiseOnScreenAboutTheCentre) {
  // A 10 x 20 picture turned a quarter about its centre (5, 10), moved by (100, 50).
  const platform::Matrix m = platform::matrixTransformation2D(1, 1, 5, 10, kHalfPi, 100, 50);
  const Point centre = apply(m, {5, 10});
  EXPECT_NEAR(centre.x, 105, 1e-4);
  EXPECT_NEAR(centre.y, 60, 1e-4);
  // The top-left corner ends up at the top-right of the turned picture.
  const Point topLeft = apply(m, {0, 0});
  EXPECT_NEAR(topLeft.x, 115, 1e-4);
  EXPECT_NEAR(topLeft.y, 55, 1e-4);
  const Point topRight = apply(m, {10, 0});
  EXPECT_NEAR(topRight.x, 115, 1e-4);
  EXPECT_NEAR(topRight.y, 65, 1e-4);
}

TEST(MatrixTransformation2D, CentreIsTakenInTheScaledPicture) {
  // Scaled by 2, the picture spans 0..20; the centre (5, 5) is not its middle.
  const platform::Matrix m = platform::matrixTransformation2D(2, 2, 5, 5, 2 * kHalfPi, 0, 0);
  const Point corner = apply(m, {0, 0});
  EXPECT_NEAR(corner.x, 10, 1e-4);
  EXPECT_NEAR(corner.y, 10, 1e-4);
  const Point far = apply(m, {10, 10});
  EXPECT_NEAR(far.x, -10, 1e-4);
  EXPECT_NEAR(far.y, -10, 1e-4);
}

}  // namespace
