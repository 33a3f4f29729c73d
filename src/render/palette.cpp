// The palette's recolouring of pictures; see palette.h.
#include "render/palette.h"

#include <algorithm>
#include <cmath>

#include "platform/picture.h"

namespace {

int g_palette = 0;

// Hues (degrees) that count as player 2's green. They keep their hue but go
// pale and bright: next to the blue player 1 and the yellow blood, a colour
// near white is the one every colour vision sets apart from both (see
// tools/palette_distances.py).
constexpr float kGreenFrom = 60, kGreenTo = 170;
constexpr float kPaleSaturation = 0.15f;
constexpr float kBrighter = 1.2f;
// Below this saturation a pixel is grey (outlines, shading) and stays.
constexpr float kGreyBelow = 0.2f;
// The stripes: diagonal bands this many pixels wide, the dark ones at this
// share of their brightness.
constexpr int kStripeWidth = 3;
constexpr float kStripeDim = 0.5f;

std::string baseName(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

bool startsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

void filter(const std::string& path, platform::Picture& picture) {
  if (!recolouredPicture(path)) return;
  const bool striped = stripedPicture(path);
  for (int y = 0; y < picture.height; ++y) {
    for (int x = 0; x < picture.width; ++x) {
      uint32_t& pixel = picture.argb[static_cast<size_t>(y) * static_cast<size_t>(picture.width) + static_cast<size_t>(x)];
      pixel = recolourPixel(pixel, x, y, striped);
    }
  }
}

}  // namespace

void usePalette(int palette) {
  g_palette = palette == 1 ? 1 : 0;
  platform::setPictureFilter(g_palette == 1 ? platform::PictureFilter(filter) : platform::PictureFilter());
}

int currentPalette() { return g_palette; }

bool recolouredPicture(const std::string& path) {
  const std::string name = baseName(path);
  if (name.find("_mask") != std::string::npos) return false;  // shapes, not pictures
  return startsWith(name, "p2_") || startsWith(name, "player2_") || name == "stomach.png";
}

bool stripedPicture(const std::string& path) { return startsWith(baseName(path), "p2_"); }

uint32_t recolourPixel(uint32_t argb, int x, int y, bool striped) {
  const float r = static_cast<float>((argb >> 16) & 0xFF) / 255.0f;
  const float g = static_cast<float>((argb >> 8) & 0xFF) / 255.0f;
  const float b = static_cast<float>(argb & 0xFF) / 255.0f;
  const float hi = std::max({r, g, b}), lo = std::min({r, g, b});
  const float chroma = hi - lo;
  float value = hi;
  float saturation = hi > 0 ? chroma / hi : 0;
  float hue = 0;
  if (chroma > 0) {
    if (hi == r) hue = 60 * std::fmod((g - b) / chroma + 6, 6.0f);
    else if (hi == g) hue = 60 * ((b - r) / chroma + 2);
    else hue = 60 * ((r - g) / chroma + 4);
  }
  const bool green = saturation >= kGreyBelow && hue >= kGreenFrom && hue <= kGreenTo;
  const bool dark = striped && ((x + y) / kStripeWidth) % 2 == 0;
  if (!green && !dark) return argb;
  if (green) {
    saturation *= kPaleSaturation;
    value = std::min(1.0f, value * kBrighter);
  }
  if (dark) value *= kStripeDim;
  // Back from hue, saturation and value.
  const float c = value * saturation;
  const float h = hue / 60;
  const float xPart = c * (1 - std::fabs(std::fmod(h, 2.0f) - 1));
  float rgb[3] = {0, 0, 0};
  const int sector = static_cast<int>(h) % 6;
  const float order[6][3] = {{c, xPart, 0}, {xPart, c, 0}, {0, c, xPart}, {0, xPart, c}, {xPart, 0, c}, {c, 0, xPart}};
  for (int i = 0; i < 3; ++i) rgb[i] = order[sector][i] + value - c;
  auto byte = [](float v) { return static_cast<uint32_t>(std::lround(std::clamp(v, 0.0f, 1.0f) * 255)); };
  return (argb & 0xFF000000u) | byte(rgb[0]) << 16 | byte(rgb[1]) << 8 | byte(rgb[2]);
}

void playerTwoTextColour(float rgb[3]) {
  const float green[3] = {0.8f, 1.0f, 0.54f}, pale[3] = {0.88f, 1.0f, 0.9f};
  const float* chosen = g_palette == 1 ? pale : green;
  for (int i = 0; i < 3; ++i) rgb[i] = chosen[i];
}
