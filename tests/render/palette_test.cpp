// The palette that every colour vision tells apart: which pictures it
// changes, and what it does to a pixel of them.
#include <gtest/gtest.h>

#include <string>

#include "render/palette.h"

namespace {

TEST(Palette, OnlyPlayerTwosPicturesAndTheBoardChangeAndOnlyItsPartsAreStriped) {
  const struct {
    const char* path;
    bool recoloured, striped;
  } cases[] = {
      {"data/gfx/p2_wall.png", true, true},      {"data/gfx/p2_wall_mask.png", false, false},
      {"data/gfx/player2_bar.png", true, false}, {"data/gfx/stomach.png", true, false},
      {"data/gfx/p1_wall.png", false, false},    {"data/gfx/player1_bar.png", false, false},
      {"data/gfx/particle.png", false, false},   {"mods\\p2_hook.png", true, true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(recolouredPicture(c.path), c.recoloured) << c.path;
    EXPECT_EQ(stripedPicture(c.path) && recolouredPicture(c.path), c.striped) << c.path;
  }
}

TEST(Palette, GreenGoesPaleAndBrightOtherColoursStayAndStripesDarken) {
  const struct {
    uint32_t in;
    int x, y;
    bool striped;
    uint32_t out;
  } cases[] = {
      {0xFF6CD339, 3, 0, false, 0xFFEBFDE1},  // player 2's green: pale, its hue kept
      {0x806CD339, 3, 0, false, 0x80EBFDE1},  // alpha untouched
      {0xFF209BDA, 3, 0, false, 0xFF209BDA},  // player 1's blue
      {0xFFFFE014, 3, 0, false, 0xFFFFE014},  // blood
      {0xFF607060, 3, 0, false, 0xFF607060},  // a greenish grey is shading
      {0xFF209BDA, 3, 0, true, 0xFF209BDA},   // a light band of a stripe
      {0xFF209BDA, 0, 0, true, 0xFF104E6D},   // a dark band: half as bright
      {0xFF6CD339, 1, 1, true, 0xFF757F71},   // pale, then dark
  };
  for (const auto& c : cases) {
    EXPECT_EQ(recolourPixel(c.in, c.x, c.y, c.striped), c.out) << std::hex << c.in << " at " << c.x << ", " << c.y;
  }
}

}  // namespace
