// Stacks of one picture (the background under its faded, turned copies)
// composed on the OpenGL device: every layer sampled in one pass through
// several texture units into a half-size texture, kept while no layer moves
// by a visible amount, and drawn as one quad.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/device.h"

namespace platform {

// The picture a stack is made of, as the device keeps it in memory.
struct StackPicture {
  uint64_t id = 0;        // unique for the run, never reused
  uint64_t revision = 0;  // grows whenever the pixels change
  int width = 0, height = 0;
  const uint32_t* argb = nullptr;
};

// Where the composing may happen. kAuto takes an off-screen target where the
// context has one and the back buffer otherwise; kLayerByLayer composes nothing.
enum class StackComposing { kAuto, kScratchInBackBuffer, kLayerByLayer };

class GlStackComposer {
 public:
  // Reads what the current context offers.
  GlStackComposer(const char* version, const char* extensions);
  // Deletes what it made; the context must still be current.
  ~GlStackComposer();
  GlStackComposer(const GlStackComposer&) = delete;
  GlStackComposer& operator=(const GlStackComposer&) = delete;

  // The drawing space in the window: its size and its lower-left corner in
  // window pixels (OpenGL's y upwards).
  struct Target {
    int x = 0, y = 0, size = 0;
    // Nothing has been drawn this frame, so the back buffer's corner may
    // serve as scratch space (the pending clear restores it).
    bool backBufferFree = false;
  };

  // Brings the composite up to date for these layers: recomposed only when a
  // layer, its colour or the picture changed, or a corner of some layer
  // moved by half a pixel or more since the last composing. False when it
  // cannot compose them here; nothing was drawn then.
  bool prepare(const StackPicture& picture, const SpriteLayer* layers, int count, const Target& target,
               StackComposing mode);

  // Whether the prepared composite hides everything under it.
  bool opaque() const { return opaque_; }

  // Draws the prepared composite over the drawing space, with the viewport
  // already set to it. Leaves blending, texture units, matrices and texture
  // environment changed: the caller puts back its own.
  void drawComposite();

  // The context went away with every name in it.
  void contextLost();

  // How many times a composite was made afresh.
  uint64_t compositions() const { return compositions_; }

 private:
  struct Derived;
  struct Placed;
  struct Functions;

  const Derived* derivedFor(const StackPicture& picture, uint32_t argb);
  bool needsComposing(const StackPicture& picture, const std::vector<Placed>& placed, int size) const;
  bool coversSpace(const Placed& layer, int size) const;
  bool ensureCompositeTexture(int size, bool offScreen);
  void compose(int size, bool offScreen, const Target& target);
  void deleteNames();

  std::unique_ptr<Functions> gl_;
  int units_ = 0;
  int maxTextureSize_ = 0;
  bool offScreen_ = false;
  std::vector<Derived> derived_;
  uint64_t derivedUse_ = 0;
  unsigned composite_ = 0;
  unsigned framebuffer_ = 0;
  int compositeSize_ = 0;
  std::vector<Placed> placing_;
  // What the composite shows.
  std::vector<Placed> composed_;
  uint64_t composedPicture_ = 0, composedRevision_ = 0;
  int pictureWidth_ = 0, pictureHeight_ = 0;
  uint64_t compositions_ = 0;
  bool valid_ = false;
  bool empty_ = true;
  bool opaque_ = false;
};

}  // namespace platform
