// The image cache: every picture under data/gfx/ loaded once at start-up and
// shared by path, single pictures loaded on demand, and alpha masks.
#include "render/image.h"

#include <algorithm>
#include <iostream>
#include <set>

#include "engine/directory_listing.h"
#include "engine/text.h"
#include "core/lifetime.h"
#include "platform/picture.h"

std::map<std::string, CImage> g_imageCache VESICOR_LIFETIME(lifetime::kImageCache);

namespace {

const char kParticlePath[] = "data/gfx/particle.png";

// Pictures that failed, by the name the cache knows them under. Each use of
// a picture (every copy of a part) would otherwise read and decode it again,
// and print its line (and the decoder's own) again: a shop would repeat them
// at every purchase. A failure stands until the run's textures are released.
std::set<std::string>& failedPictures() {
  static std::set<std::string> failed;
  return failed;
}

std::string failureKey(const std::string& path) { return brin::ToLower(platform::nativePath(path)); }

bool failedBefore(const std::string& path) { return failedPictures().count(failureKey(path)) != 0; }

void reportFailure(const char* what, const std::string& shownPath) {
  if (failedPictures().insert(failureKey(shownPath)).second) std::cout << what << shownPath << std::endl;
}

// Opens `openPath` but reports `shownPath`: on a case-sensitive file system a
// picture is opened by its real name and known by its lower-cased one.
CImage loadImageAs(const std::string& openPath, const std::string& shownPath) {
  platform::Device* device = platform::device();
  if (!device || failedBefore(shownPath)) return CImage();
  platform::ImageInfo info;
  if (!device->getImageInfoFromFile(openPath, info)) {
    reportFailure("Couldn't load image: ", shownPath);
    return CImage();
  }
  std::unique_ptr<platform::Texture> texture = device->createTextureFromFile(openPath);
  if (!texture) {
    reportFailure("Couldn't load texture: ", shownPath);
    return CImage();
  }
  CImage image;
  image.texture = texture.release();
  image.width = info.width;
  image.height = info.height;
  return image;
}

}  // namespace

CImage loadImage(const std::string& path) { return loadImageAs(path, path); }

void releaseTexture(platform::Texture* texture) { delete texture; }

void loadAllImages() {
  CImage particle = loadImage(kParticlePath);
  if (particle.texture) g_imageCache.emplace(kParticlePath, particle);

  brin::CDirectoryListing listing;
  listing.List("data/gfx/*.*");
  if (!platform::device()) return;
  while (!listing.AtEnd()) {
    const std::string realPath = "data/gfx/" + listing.Next();
    const std::string key = brin::ToLower(realPath);
    CImage image = loadImageAs(realPath, key);
    if (image.texture && !g_imageCache.emplace(key, image).second) releaseTexture(image.texture);
    std::cout << "Loaded: " << key << std::endl;
  }
}

const CImage* findImage(const std::string& path) {
  auto it = g_imageCache.find(brin::ToLower(path));
  return it == g_imageCache.end() ? nullptr : &it->second;
}

std::unique_ptr<CAlphaMask> loadAlphaMask(const std::string& path) {
  platform::Device* device = platform::device();
  // A part that names no mask says so itself.
  if (!device || path.empty() || failedBefore(path)) return nullptr;
  platform::ImageInfo info;
  if (!device->getImageInfoFromFile(path, info)) {
    reportFailure("Couldn't load image: ", path);
    return nullptr;
  }
  std::unique_ptr<platform::Texture> texture = device->createTextureFromFile(path);
  if (!texture) {
    reportFailure("Couldn't load texture: ", path);
    return nullptr;
  }

  auto mask = std::make_unique<CAlphaMask>(info.width, info.height);
  platform::LockedRect locked;
  if (!texture->lockRect(locked)) {
    std::cout << "LockRect failed" << std::endl;
    return nullptr;
  }
  // The texture is the picture decoded at its own size; never read past it
  // should the two ever disagree.
  const int rows = std::min(info.height, texture->height());
  const int cols = std::min(info.width, texture->width());
  for (int row = 0; row < rows; ++row) {
    const uint8_t* line = locked.bits + static_cast<size_t>(locked.pitch) * row;
    for (int col = 0; col < cols; ++col) {
      mask->data[static_cast<size_t>(row) * mask->stride + col] = line[col * 4 + 3];
    }
  }
  texture->unlockRect();
  return mask;
}

void releaseAllTextures() {
  for (auto& entry : g_imageCache) {
    releaseTexture(entry.second.texture);
    entry.second.texture = nullptr;
  }
  g_imageCache.clear();
  failedPictures().clear();
}

const std::map<std::string, CImage>& imageCache() { return g_imageCache; }
