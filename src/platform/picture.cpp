// Picture checking and decoding. Files are checked by hand before SDL_image
// sees them, so oversized, truncated or foreign files never reach a decoder.
#include "platform/picture.h"

#include <SDL/SDL.h>
#include <sys/stat.h>
#ifdef __EMSCRIPTEN__
// The browser's SDL_image decodes only through the page's own canvas, which
// gives no pixels back: the stb_image that emscripten builds in decodes
// instead, from the bytes checked here as on the desktop.
extern "C" unsigned char* stbi_load_from_memory(const unsigned char* buffer, int length, int* x, int* y,
                                                 int* channels, int desired);
extern "C" void stbi_image_free(void* pixels);
#else
#include <SDL/SDL_image.h>
#endif

#include <climits>
#include <cstdio>
#include <cstring>
#include <memory>
#include <utility>

namespace platform {

namespace {

uint32_t readBe32(const uint8_t* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | uint32_t(p[3]);
}
uint32_t readBe16(const uint8_t* p) { return (uint32_t(p[0]) << 8) | uint32_t(p[1]); }

bool sizeAllowed(uint32_t w, uint32_t h) {
  return w >= 1 && h >= 1 && w <= uint32_t(kMaxPictureSize) && h <= uint32_t(kMaxPictureSize);
}

const uint8_t kPngSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1a, '\n'};

// Walks the chunks: IHDR first, at least one IDAT, IEND last, every chunk whole.
bool inspectPng(const uint8_t* data, size_t size, ImageInfo& info) {
  size_t pos = 8;
  bool sawHeader = false, sawData = false;
  while (pos + 12 <= size) {
    const uint32_t length = readBe32(data + pos);
    const uint8_t* type = data + pos + 4;
    if (length > 0x7fffffffu || size - pos - 12 < length) return false;
    if (!sawHeader) {
      if (std::memcmp(type, "IHDR", 4) != 0 || length < 13) return false;
      const uint32_t w = readBe32(type + 4);
      const uint32_t h = readBe32(type + 8);
      if (!sizeAllowed(w, h)) return false;
      info.width = int(w);
      info.height = int(h);
      sawHeader = true;
    } else if (std::memcmp(type, "IDAT", 4) == 0) {
      sawData = true;
    } else if (std::memcmp(type, "IEND", 4) == 0) {
      return sawData;
    }
    pos += 12 + size_t(length);
  }
  return false;
}

bool isStartOfFrame(uint8_t marker) {
  return marker >= 0xc0 && marker <= 0xcf && marker != 0xc4 && marker != 0xc8 && marker != 0xcc;
}

// Walks the segments to a frame header, then through the scans to the end
// marker; a file that stops before it is truncated.
bool inspectJpeg(const uint8_t* data, size_t size, ImageInfo& info) {
  size_t pos = 2;
  bool sawFrame = false;
  bool inScan = false;
  while (pos < size) {
    if (inScan) {
      // Entropy-coded data: a 0xff is followed by a stuffed zero, a restart
      // marker, fill bytes or the next marker.
      if (data[pos] != 0xff) {
        ++pos;
        continue;
      }
      if (pos + 1 >= size) return false;
      const uint8_t next = data[pos + 1];
      if (next == 0x00 || (next >= 0xd0 && next <= 0xd7) || next == 0xff) {
        pos += next == 0xff ? 1 : 2;
        continue;
      }
      inScan = false;
    }
    if (data[pos] != 0xff) return false;
    while (pos < size && data[pos] == 0xff) ++pos;  // fill bytes
    if (pos >= size) return false;
    const uint8_t marker = data[pos++];
    if (marker == 0xd9) return sawFrame;
    if (marker == 0x01 || (marker >= 0xd0 && marker <= 0xd7)) continue;  // no length
    if (marker == 0xd8) return false;
    if (pos + 2 > size) return false;
    const uint32_t length = readBe16(data + pos);
    if (length < 2 || size - pos < length) return false;
    if (isStartOfFrame(marker)) {
      if (length < 7) return false;
      const uint32_t h = readBe16(data + pos + 3);
      const uint32_t w = readBe16(data + pos + 5);
      if (!sizeAllowed(w, h)) return false;
      info.width = int(w);
      info.height = int(h);
      sawFrame = true;
    } else if (marker == 0xda) {
      if (!sawFrame) return false;
      inScan = true;
    }
    pos += length;
  }
  return false;
}

#ifndef __EMSCRIPTEN__
struct SurfaceDeleter {
  void operator()(SDL_Surface* s) const { SDL_FreeSurface(s); }
};
struct RwDeleter {
  void operator()(SDL_RWops* rw) const { SDL_RWclose(rw); }
};

uint32_t readSurfacePixel(const SDL_Surface* s, int x, int y) {
  const uint8_t* p = static_cast<const uint8_t*>(s->pixels) + y * s->pitch + x * s->format->BytesPerPixel;
  switch (s->format->BytesPerPixel) {
    case 1: return *p;
    case 2: {
      uint16_t v;
      std::memcpy(&v, p, 2);
      return v;
    }
    case 3:
      if (SDL_BYTEORDER == SDL_BIG_ENDIAN) return (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | p[2];
      return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16);
    default: {
      uint32_t v;
      std::memcpy(&v, p, 4);
      return v;
    }
  }
}
#endif

}  // namespace

std::string nativePath(const std::string& path) {
  std::string out = path;
  for (char& c : out) {
    if (c == '\\') c = '/';
  }
  return out;
}

bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes) {
  const std::string native = nativePath(path);
  struct stat st;
  if (stat(native.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) return false;
  if (st.st_size < 0 || uint64_t(st.st_size) > kMaxPictureFileBytes) return false;
  std::unique_ptr<FILE, int (*)(FILE*)> file(std::fopen(native.c_str(), "rb"), &std::fclose);
  if (!file) return false;
  bytes.resize(size_t(st.st_size));
  const size_t got = bytes.empty() ? 0 : std::fread(bytes.data(), 1, bytes.size(), file.get());
  bytes.resize(got);
  return true;
}

bool inspectPicture(const uint8_t* data, size_t size, PictureFormat& format, ImageInfo& info) {
  format = PictureFormat::kUnknown;
  ImageInfo found;
  if (size >= 8 && std::memcmp(data, kPngSignature, 8) == 0) {
    if (!inspectPng(data, size, found)) return false;
    format = PictureFormat::kPng;
  } else if (size >= 3 && data[0] == 0xff && data[1] == 0xd8 && data[2] == 0xff) {
    if (!inspectJpeg(data, size, found)) return false;
    format = PictureFormat::kJpeg;
  } else {
    return false;
  }
  info = found;
  return true;
}

bool readPictureInfo(const std::string& path, ImageInfo& info) {
  std::vector<uint8_t> bytes;
  PictureFormat format;
  return readFileBytes(path, bytes) && inspectPicture(bytes.data(), bytes.size(), format, info);
}

#ifdef __EMSCRIPTEN__
bool decodePicture(const uint8_t* data, size_t size, Picture& out) {
  PictureFormat format;
  ImageInfo info;
  if (!inspectPicture(data, size, format, info) || size > size_t(INT_MAX)) return false;
  int w = 0, h = 0, channels = 0;
  std::unique_ptr<unsigned char, void (*)(void*)> rgba(stbi_load_from_memory(data, int(size), &w, &h, &channels, 4),
                                                       &stbi_image_free);
  if (!rgba || w != info.width || h != info.height) return false;
  out.width = w;
  out.height = h;
  out.argb.resize(size_t(w) * size_t(h));
  const unsigned char* p = rgba.get();
  for (uint32_t& pixel : out.argb) {
    pixel = (uint32_t(p[3]) << 24) | (uint32_t(p[0]) << 16) | (uint32_t(p[1]) << 8) | uint32_t(p[2]);
    p += 4;
  }
  return true;
}
#else
bool decodePicture(const uint8_t* data, size_t size, Picture& out) {
  PictureFormat format;
  ImageInfo info;
  if (!inspectPicture(data, size, format, info)) return false;
  std::unique_ptr<SDL_RWops, RwDeleter> rw(SDL_RWFromConstMem(data, int(size)));
  if (!rw) return false;
  std::unique_ptr<SDL_Surface, SurfaceDeleter> surface(format == PictureFormat::kPng ? IMG_LoadPNG_RW(rw.get())
                                                                                      : IMG_LoadJPG_RW(rw.get()));
  if (!surface || surface->w != info.width || surface->h != info.height) return false;
  const int bpp = surface->format->BytesPerPixel;
  if (bpp < 1 || bpp > 4) return false;
  if (SDL_LockSurface(surface.get()) != 0) return false;
  const bool keyed = (surface->flags & SDL_SRCCOLORKEY) != 0;
  const uint32_t key = surface->format->colorkey;
  out.width = info.width;
  out.height = info.height;
  out.argb.assign(size_t(info.width) * size_t(info.height), 0);
  for (int y = 0; y < info.height; ++y) {
    for (int x = 0; x < info.width; ++x) {
      const uint32_t raw = readSurfacePixel(surface.get(), x, y);
      Uint8 r, g, b, a;
      SDL_GetRGBA(raw, surface->format, &r, &g, &b, &a);
      if (keyed && raw == key) a = 0;
      out.argb[size_t(y) * size_t(info.width) + size_t(x)] =
          (uint32_t(a) << 24) | (uint32_t(r) << 16) | (uint32_t(g) << 8) | uint32_t(b);
    }
  }
  SDL_UnlockSurface(surface.get());
  return true;
}
#endif

bool decodePicture(const std::string& path, Picture& out) {
  std::vector<uint8_t> bytes;
  return readFileBytes(path, bytes) && decodePicture(bytes.data(), bytes.size(), out);
}

}  // namespace platform

namespace platform {
namespace {
PictureFilter& pictureFilter() {
  static PictureFilter filter;
  return filter;
}
}  // namespace

void setPictureFilter(PictureFilter filter) { pictureFilter() = std::move(filter); }

bool decodeTexturePicture(const std::string& path, Picture& out) {
  if (!decodePicture(path, out)) return false;
  if (pictureFilter()) pictureFilter()(path, out);
  return true;
}

}  // namespace platform
