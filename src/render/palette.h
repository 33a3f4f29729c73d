// The colours the game is drawn in. Palette 0 shows the pictures as they
// are; palette 1 keeps both players and the blood apart for every colour
// vision: player 2's green goes pale, nearly white (green and the yellow
// blood look alike to many), and player 2's parts are striped, so the two
// players' parts differ without colour too. Applied as the pictures become
// textures.
#pragma once

#include <cstdint>
#include <string>

// From the next pictures loaded on (the game's start loads them all).
void usePalette(int palette);
int currentPalette();

// Whether the palette changes this picture (player 2's parts, bar, banners,
// and the board for its collector's mark), and whether it stripes it.
bool recolouredPicture(const std::string& path);
bool stripedPicture(const std::string& path);
// One pixel of such a picture, A8R8G8B8, at (x, y) in it: green hues keep
// their hue but go pale and bright; on a striped picture every other
// diagonal band is darker.
uint32_t recolourPixel(uint32_t argb, int x, int y, bool striped);

// The colour player 2's numbers and name are written in, red, green, blue.
void playerTwoTextColour(float rgb[3]);
