// The window without a display: letterboxing and the mouse mapping of any
// window size, and the dummy driver's window following resizes.
#include <gtest/gtest.h>

#include <cstdlib>

#include "platform/device.h"
#include "platform/video.h"

namespace {

using namespace platform;

TEST(Letterbox, ViewportAndMouseMapIntoTheDrawingSpaceAndClampAndFollowResizes) {
  const Viewport wide = viewportFor(1024, 512), tall = viewportFor(600, 1000);
  EXPECT_EQ((std::vector<int>{wide.x, wide.y, wide.size, tall.x, tall.y, tall.size}),
            (std::vector<int>{256, 0, 512, 0, 200, 600}));
  const struct { int w, h, wx, wy, dx, dy; } cases[] = {
      {512, 512, 37, 400, 37, 400},   {1024, 1024, 1023, 511, 511, 255},  // two window pixels a drawing pixel
      {1024, 512, 10, 100, 0, 100},   {1024, 512, 1000, 100, 511, 100},   // the bars map to the nearest edge
      {1024, 512, 556, 100, 300, 100}, {800, 600, -50000, 2000000000, 0, 511},
      {0, 0, 5, 5, 511, 511},  // a degenerate window does not divide by zero
  };
  for (const auto& c : cases) {
    int dx = -1, dy = -1;
    windowToDrawing(c.w, c.h, c.wx, c.wy, dx, dy);
    EXPECT_EQ(dx * 1000 + dy, c.dx * 1000 + c.dy) << c.w << " x " << c.h << " at " << c.wx << "," << c.wy;
  }
  // The live window keeps the last sane size it is given.
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  ASSERT_TRUE(initVideo() && setVideoMode(false) && createDevice());
  int dx = 0, dy = 0;
  handleResize(1024, 512);
  handleResize(0, -3);
  currentWindowToDrawing(600, 100, dx, dy);
  EXPECT_EQ(dx * 1000 + dy, 344100);
  shutdownVideo();
}

}  // namespace
