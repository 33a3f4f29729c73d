// A texture whose A8R8G8B8 pixels live in main memory, so locking needs no
// round trip to the graphics card; backends derive from it.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/device.h"
#include "platform/picture.h"

namespace platform {

class PixelTexture : public Texture {
 public:
  explicit PixelTexture(Picture&& picture)
      : width_(picture.width), height_(picture.height), pixels_(std::move(picture.argb)), id_(nextId()) {}

  int width() const override { return width_; }
  int height() const override { return height_; }

  // One lock at a time, as a device texture allows.
  bool lockRect(LockedRect& out) override {
    if (locked_ || pixels_.empty()) return false;
    locked_ = true;
    out.pitch = width_ * 4;
    out.bits = reinterpret_cast<uint8_t*>(pixels_.data());
    return true;
  }

  void unlockRect() override {
    if (!locked_) return;
    locked_ = false;
    ++revision_;
  }

  const std::vector<uint32_t>& pixels() const { return pixels_; }
  // Grows after every unlock, so a backend knows its copy is stale.
  uint64_t revision() const { return revision_; }
  // Never shared by two textures of a run, unlike an address, so a backend
  // may key what it derives from the pixels on it.
  uint64_t id() const { return id_; }

 private:
  static uint64_t nextId() {
    static uint64_t last = 0;
    return ++last;
  }

  int width_;
  int height_;
  std::vector<uint32_t> pixels_;
  uint64_t id_;
  bool locked_ = false;
  uint64_t revision_ = 1;
};

}  // namespace platform
