// Pictures and the image cache: every picture under data/gfx/ decoded once
// into a shared texture, and alpha masks read back from pictures.
#pragma once

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/device.h"
#include "sim/alpha_mask.h"

struct CImage {
  platform::Texture* texture = nullptr;  // null when loading failed
  int width = 0;
  int height = 0;
};

// Loads a picture into a new texture. The caller owns the texture (the cache,
// or a sprite that set ownsTexture). A picture that fails prints its failure
// line and is not tried again (paths compared lower-cased, either slash)
// until releaseAllTextures.
CImage loadImage(const std::string& path);

// Releases a texture made by loadImage.
void releaseTexture(platform::Texture* texture);

// Fills the cache from data/gfx/, printing one "Loaded: " line per entry.
void loadAllImages();

// The cache entry for a path, compared lower-cased; null when not cached.
const CImage* findImage(const std::string& path);

// The alpha of every pixel of a picture, or null (no device, unreadable file);
// failures are printed and remembered as loadImage's are.
std::unique_ptr<CAlphaMask> loadAlphaMask(const std::string& path);

// Lower-cased path -> picture; lives for the whole run.
extern std::map<std::string, CImage> g_imageCache;

// Releases every cached texture (shutdown) and empties the cache; pictures
// that failed are tried (and named) again after it.
void releaseAllTextures();

// The cache itself, keyed by lower-cased path (for tests and diagnostics).
const std::map<std::string, CImage>& imageCache();
