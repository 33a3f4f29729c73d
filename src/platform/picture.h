// Picture files: PNG and JPEG only, checked before decoding and decoded with
// SDL_image's own loader for each format into A8R8G8B8 pixels.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/device.h"

namespace platform {

// Pictures beyond this size in either direction are refused unread.
constexpr int kMaxPictureSize = 4096;
// Files beyond this size are refused unread; an uncompressed 4096 x 4096
// picture still fits.
constexpr size_t kMaxPictureFileBytes = 96u << 20;

enum class PictureFormat { kUnknown, kPng, kJpeg };

struct Picture {
  int width = 0;
  int height = 0;
  std::vector<uint32_t> argb;  // width * height pixels, row after row, alpha in bits 24..31
};

// The path as the file system sees it: backslashes become slashes.
std::string nativePath(const std::string& path);

// Reads a regular file whole; false for folders, missing or oversized files.
bool readFileBytes(const std::string& path, std::vector<uint8_t>& bytes);

// Checks a file's bytes without decoding: a known format, a size within
// limits, and every chunk or segment present up to the end marker.
bool inspectPicture(const uint8_t* data, size_t size, PictureFormat& format, ImageInfo& info);

// Header information of a picture file; false when it is not a usable picture.
bool readPictureInfo(const std::string& path, ImageInfo& info);

// Decodes a picture file; opaque pictures get alpha 255.
bool decodePicture(const std::string& path, Picture& out);
bool decodePicture(const uint8_t* data, size_t size, Picture& out);

// A change the pictures undergo as they become textures (the palette's); by
// path, as the game named the file. None unless set; null takes it away.
using PictureFilter = std::function<void(const std::string& path, Picture& picture)>;
void setPictureFilter(PictureFilter filter);
// Decodes a picture for a texture, through the filter.
bool decodeTexturePicture(const std::string& path, Picture& out);

}  // namespace platform
