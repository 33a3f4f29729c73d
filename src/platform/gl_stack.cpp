// The stack composer of the OpenGL device; see gl_stack.h. Each layer becomes
// one texture unit: unit 0 starts from the first layer, premultiplied, and
// every further unit lays its layer over what came before, as the blending of
// a layer-by-layer drawing would. Stacks deeper than the units go in passes
// blended over one another.
#include "platform/gl_stack.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "platform/gl_support.h"

namespace platform {

namespace {

// Fixed-function contexts offer at most eight units; deeper stacks take more
// passes.
constexpr int kMaxUnits = 8;
// Distinct layer colours a stack may use, each a texture of its own.
constexpr size_t kMaxDerived = 4;
// The drawing space in pixels, and how far a layer corner may move before the
// composite is made again.
constexpr float kSpace = float(kDrawingSize);
constexpr float kVisibleMove = 0.5f;

template <class F>
F load(const char* name) {
  return reinterpret_cast<F>(SDL_GL_GetProcAddress(name));
}

// The frame buffer the frame is being drawn into, to go back to after
// composing off-screen. Not always 0, the window's own: an SDL 1.2 built on
// SDL 2 (sdl12-compat) hands out a frame buffer object of its own as the
// window and copies it to the screen when the frame is presented.
GLuint frameBinding() {
  GLint bound = 0;
  glGetIntegerv(GL_FRAMEBUFFER_BINDING, &bound);
  return GLuint(bound);
}

uint32_t scaleChannel(uint32_t value, uint32_t factor) { return (value * factor + 127) / 255; }

// The multitexture entry points, named here since gl.h may declare them
// without their pointer types.
using ActiveTextureProc = void(APIENTRY*)(GLenum unit);
using MultiTexCoord2fProc = void(APIENTRY*)(GLenum unit, GLfloat s, GLfloat t);

}  // namespace

struct GlStackComposer::Functions {
  ActiveTextureProc activeTexture = nullptr;
  MultiTexCoord2fProc multiTexCoord2f = nullptr;
  PFNGLGENFRAMEBUFFERSPROC genFramebuffers = nullptr;
  PFNGLDELETEFRAMEBUFFERSPROC deleteFramebuffers = nullptr;
  PFNGLBINDFRAMEBUFFERPROC bindFramebuffer = nullptr;
  PFNGLFRAMEBUFFERTEXTURE2DPROC framebufferTexture2D = nullptr;
  PFNGLCHECKFRAMEBUFFERSTATUSPROC checkFramebufferStatus = nullptr;
};

// The picture modulated by one layer colour, framed by one texel that repeats
// the edge's colour at alpha 0: filtering then fades a layer out over its
// last half texel instead of smearing the edge beyond it.
struct GlStackComposer::Derived {
  uint64_t picture = 0, revision = 0;
  uint32_t argb = 0;
  GLuint name = 0;
  bool opaque = false;
  uint64_t lastUse = 0;
};

// A layer ready to compose: its texture and the inverse of its transform.
struct GlStackComposer::Placed {
  Matrix transform;
  uint32_t argb = 0;
  GLuint texture = 0;
  bool opaque = false;
  float inverse[6] = {};  // picture x, y from drawing-space X, Y: x = i0 X + i1 Y + i2, y = i3 X + i4 Y + i5
};

GlStackComposer::GlStackComposer(const char* version, const char* extensions) : gl_(std::make_unique<Functions>()) {
  if (glVersionAtLeast(version, 1, 3)) {
    gl_->activeTexture = load<ActiveTextureProc>("glActiveTexture");
    gl_->multiTexCoord2f = load<MultiTexCoord2fProc>("glMultiTexCoord2f");
  } else if (glHasExtension(extensions, "GL_ARB_multitexture")) {
    gl_->activeTexture = load<ActiveTextureProc>("glActiveTextureARB");
    gl_->multiTexCoord2f = load<MultiTexCoord2fProc>("glMultiTexCoord2fARB");
  }
  GLint units = 0;
  glGetIntegerv(GL_MAX_TEXTURE_UNITS, &units);
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &maxTextureSize_);
  units_ = gl_->activeTexture && gl_->multiTexCoord2f ? std::min<int>(units, kMaxUnits) : 0;

  const char* suffix = nullptr;
  if (glVersionAtLeast(version, 3, 0) || glHasExtension(extensions, "GL_ARB_framebuffer_object")) {
    suffix = "";
  } else if (glHasExtension(extensions, "GL_EXT_framebuffer_object")) {
    suffix = "EXT";
  }
  if (suffix) {
    const std::string s = suffix;
    gl_->genFramebuffers = load<PFNGLGENFRAMEBUFFERSPROC>(("glGenFramebuffers" + s).c_str());
    gl_->deleteFramebuffers = load<PFNGLDELETEFRAMEBUFFERSPROC>(("glDeleteFramebuffers" + s).c_str());
    gl_->bindFramebuffer = load<PFNGLBINDFRAMEBUFFERPROC>(("glBindFramebuffer" + s).c_str());
    gl_->framebufferTexture2D = load<PFNGLFRAMEBUFFERTEXTURE2DPROC>(("glFramebufferTexture2D" + s).c_str());
    gl_->checkFramebufferStatus = load<PFNGLCHECKFRAMEBUFFERSTATUSPROC>(("glCheckFramebufferStatus" + s).c_str());
  }
  offScreen_ = gl_->genFramebuffers && gl_->deleteFramebuffers && gl_->bindFramebuffer && gl_->framebufferTexture2D &&
               gl_->checkFramebufferStatus;
  derived_.reserve(kMaxDerived);
  placing_.reserve(32);
  composed_.reserve(32);
}

GlStackComposer::~GlStackComposer() { deleteNames(); }

void GlStackComposer::deleteNames() {
  for (Derived& d : derived_) glDeleteTextures(1, &d.name);
  if (composite_) glDeleteTextures(1, &composite_);
  if (framebuffer_) gl_->deleteFramebuffers(1, &framebuffer_);
  contextLost();
}

void GlStackComposer::contextLost() {
  derived_.clear();
  composite_ = 0;
  framebuffer_ = 0;
  compositeSize_ = 0;
  valid_ = false;
}

const GlStackComposer::Derived* GlStackComposer::derivedFor(const StackPicture& picture, uint32_t argb) {
  const int w = picture.width + 2, h = picture.height + 2;
  if (w > maxTextureSize_ || h > maxTextureSize_) return nullptr;

  Derived* slot = nullptr;
  for (Derived& d : derived_) {
    if (d.picture == picture.id && d.argb == argb) slot = &d;
  }
  if (slot && slot->revision == picture.revision) {
    slot->lastUse = ++derivedUse_;
    return slot;
  }
  if (!slot) {
    if (derived_.size() < kMaxDerived) {
      derived_.push_back(Derived{});
      slot = &derived_.back();
    } else {
      slot = &*std::min_element(derived_.begin(), derived_.end(),
                                [](const Derived& a, const Derived& b) { return a.lastUse < b.lastUse; });
    }
  }
  if (slot->name == 0) glGenTextures(1, &slot->name);
  slot->picture = picture.id;
  slot->revision = picture.revision;
  slot->argb = argb;
  slot->lastUse = ++derivedUse_;

  // Modulated as the sprite interface would: each channel times the colour's.
  const uint32_t fa = argb >> 24, fr = (argb >> 16) & 0xff, fg = (argb >> 8) & 0xff, fb = argb & 0xff;
  std::vector<uint32_t> framed(size_t(w) * size_t(h));
  bool opaque = fa == 255;
  for (int y = 0; y < h; ++y) {
    const int sy = std::clamp(y - 1, 0, picture.height - 1);
    const bool rowInside = y >= 1 && y <= picture.height;
    for (int x = 0; x < w; ++x) {
      const int sx = std::clamp(x - 1, 0, picture.width - 1);
      const uint32_t p = picture.argb[size_t(sy) * size_t(picture.width) + size_t(sx)];
      const bool inside = rowInside && x >= 1 && x <= picture.width;
      const uint32_t a = inside ? scaleChannel(p >> 24, fa) : 0;
      if (inside && (p >> 24) != 255) opaque = false;
      framed[size_t(y) * size_t(w) + size_t(x)] = (a << 24) | (scaleChannel((p >> 16) & 0xff, fr) << 16) |
                                                   (scaleChannel((p >> 8) & 0xff, fg) << 8) |
                                                   scaleChannel(p & 0xff, fb);
    }
  }
  slot->opaque = opaque;
  glBindTexture(GL_TEXTURE_2D, slot->name);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, w, h, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, framed.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  return slot;
}

bool GlStackComposer::prepare(const StackPicture& picture, const SpriteLayer* layers, int count, const Target& target,
                              StackComposing mode) {
  if (mode == StackComposing::kLayerByLayer || units_ < 2 || count <= 0 || !picture.argb || picture.width <= 0 ||
      picture.height <= 0 || target.size < 2) {
    return false;
  }
  const bool offScreen = offScreen_ && mode == StackComposing::kAuto;
  if (!offScreen && (target.x < 0 || target.y < 0)) return false;
  const int size = target.size / 2;

  // Each distinct colour needs a texture of its own, all alive at once.
  uint32_t colours[kMaxDerived];
  size_t colourCount = 0;
  for (int i = 0; i < count; ++i) {
    const uint32_t argb = layers[i].argb;
    if ((argb >> 24) == 0 || std::find(colours, colours + colourCount, argb) != colours + colourCount) continue;
    if (colourCount == kMaxDerived) return false;
    colours[colourCount++] = argb;
  }

  // Layers that show: some alpha and some area. The list keeps its storage
  // from frame to frame, so drawing allocates nothing once it has grown.
  placing_.clear();
  for (int i = 0; i < count; ++i) {
    const Matrix& m = layers[i].transform;
    const float a = m.m[0][0], b = m.m[0][1], c = m.m[1][0], d = m.m[1][1];
    const float det = a * d - b * c;
    if ((layers[i].argb >> 24) == 0 || !(std::fabs(det) > 1e-12f)) continue;
    const Derived* derived = derivedFor(picture, layers[i].argb);
    if (!derived) return false;
    Placed p;
    p.transform = m;
    p.argb = layers[i].argb;
    p.texture = derived->name;
    p.opaque = derived->opaque;
    const float tx = m.m[3][0], ty = m.m[3][1];
    p.inverse[0] = d / det;
    p.inverse[1] = -c / det;
    p.inverse[2] = (c * ty - d * tx) / det;
    p.inverse[3] = -b / det;
    p.inverse[4] = a / det;
    p.inverse[5] = (b * tx - a * ty) / det;
    placing_.push_back(p);
  }
  if (!needsComposing(picture, placing_, size)) return true;
  if (!offScreen && !target.backBufferFree) return false;
  if (!ensureCompositeTexture(size, offScreen)) return false;

  composed_.swap(placing_);
  composedPicture_ = picture.id;
  composedRevision_ = picture.revision;
  pictureWidth_ = picture.width;
  pictureHeight_ = picture.height;
  empty_ = composed_.empty();
  opaque_ = !empty_ && composed_[0].opaque && coversSpace(composed_[0], size);
  valid_ = true;
  ++compositions_;
  if (!empty_) compose(size, offScreen, target);
  return true;
}

bool GlStackComposer::coversSpace(const Placed& layer, int size) const {
  // Every composite texel centre must lie half a texel inside the picture,
  // where filtering no longer reaches the transparent frame.
  const float half = kSpace * 0.5f / float(size);
  for (float X : {half, kSpace - half}) {
    for (float Y : {half, kSpace - half}) {
      const float x = layer.inverse[0] * X + layer.inverse[1] * Y + layer.inverse[2];
      const float y = layer.inverse[3] * X + layer.inverse[4] * Y + layer.inverse[5];
      if (!(x >= 0.5f && x <= float(pictureWidth_) - 0.5f && y >= 0.5f && y <= float(pictureHeight_) - 0.5f)) {
        return false;
      }
    }
  }
  return true;
}

bool GlStackComposer::needsComposing(const StackPicture& picture, const std::vector<Placed>& placed, int size) const {
  if (!valid_ || size != compositeSize_ || picture.id != composedPicture_ || picture.revision != composedRevision_ ||
      placed.size() != composed_.size()) {
    return true;
  }
  const float w = float(picture.width), h = float(picture.height);
  for (size_t i = 0; i < placed.size(); ++i) {
    const Placed& now = placed[i];
    const Placed& then = composed_[i];
    if (now.argb != then.argb || now.texture != then.texture) return true;
    for (float x : {0.0f, w}) {
      for (float y : {0.0f, h}) {
        const Matrix& a = now.transform;
        const Matrix& b = then.transform;
        const float dx = x * (a.m[0][0] - b.m[0][0]) + y * (a.m[1][0] - b.m[1][0]) + (a.m[3][0] - b.m[3][0]);
        const float dy = x * (a.m[0][1] - b.m[0][1]) + y * (a.m[1][1] - b.m[1][1]) + (a.m[3][1] - b.m[3][1]);
        if (!(dx * dx + dy * dy < kVisibleMove * kVisibleMove)) return true;
      }
    }
  }
  return false;
}

bool GlStackComposer::ensureCompositeTexture(int size, bool offScreen) {
  if (composite_ && compositeSize_ == size && (!offScreen || framebuffer_)) return true;
  if (!composite_) glGenTextures(1, &composite_);
  glBindTexture(GL_TEXTURE_2D, composite_);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, size, size, 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV, nullptr);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  compositeSize_ = size;
  if (!offScreen) return true;
  if (!framebuffer_) gl_->genFramebuffers(1, &framebuffer_);
  const GLuint frame = frameBinding();
  gl_->bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  gl_->framebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, composite_, 0);
  const bool complete = gl_->checkFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
  gl_->bindFramebuffer(GL_FRAMEBUFFER, frame);
  if (!complete) {
    // This context cannot render into the texture: the back buffer serves.
    gl_->deleteFramebuffers(1, &framebuffer_);
    framebuffer_ = 0;
    offScreen_ = false;
    compositeSize_ = 0;
  }
  return complete;
}

namespace {

void setEnv(GLenum name, GLint value) { glTexEnvi(GL_TEXTURE_ENV, name, value); }

// Unit 0 of a pass: the layer premultiplied by its alpha.
void firstLayerUnit() {
  setEnv(GL_TEXTURE_ENV_MODE, GL_COMBINE);
  setEnv(GL_COMBINE_RGB, GL_MODULATE);
  setEnv(GL_SOURCE0_RGB, GL_TEXTURE);
  setEnv(GL_OPERAND0_RGB, GL_SRC_COLOR);
  setEnv(GL_SOURCE1_RGB, GL_TEXTURE);
  setEnv(GL_OPERAND1_RGB, GL_SRC_ALPHA);
  setEnv(GL_COMBINE_ALPHA, GL_REPLACE);
  setEnv(GL_SOURCE0_ALPHA, GL_TEXTURE);
  setEnv(GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
  glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, 1.0f);
  glTexEnvf(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 1.0f);
}

// A further unit: its layer over the previous units' result, colour by the
// layer's alpha, and coverage a + previous (1 - a).
void overLayerUnit() {
  static const GLfloat kOne[4] = {1, 1, 1, 1};
  setEnv(GL_TEXTURE_ENV_MODE, GL_COMBINE);
  setEnv(GL_COMBINE_RGB, GL_INTERPOLATE);
  setEnv(GL_SOURCE0_RGB, GL_TEXTURE);
  setEnv(GL_OPERAND0_RGB, GL_SRC_COLOR);
  setEnv(GL_SOURCE1_RGB, GL_PREVIOUS);
  setEnv(GL_OPERAND1_RGB, GL_SRC_COLOR);
  setEnv(GL_SOURCE2_RGB, GL_TEXTURE);
  setEnv(GL_OPERAND2_RGB, GL_SRC_ALPHA);
  setEnv(GL_COMBINE_ALPHA, GL_INTERPOLATE);
  setEnv(GL_SOURCE0_ALPHA, GL_CONSTANT);
  setEnv(GL_OPERAND0_ALPHA, GL_SRC_ALPHA);
  setEnv(GL_SOURCE1_ALPHA, GL_PREVIOUS);
  setEnv(GL_OPERAND1_ALPHA, GL_SRC_ALPHA);
  setEnv(GL_SOURCE2_ALPHA, GL_TEXTURE);
  setEnv(GL_OPERAND2_ALPHA, GL_SRC_ALPHA);
  glTexEnvfv(GL_TEXTURE_ENV, GL_TEXTURE_ENV_COLOR, kOne);
  glTexEnvf(GL_TEXTURE_ENV, GL_RGB_SCALE, 1.0f);
  glTexEnvf(GL_TEXTURE_ENV, GL_ALPHA_SCALE, 1.0f);
}

void drawingSpaceProjection() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kSpace, kSpace, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
}

}  // namespace

void GlStackComposer::compose(int size, bool offScreen, const Target& target) {
  const GLuint frame = offScreen ? frameBinding() : 0;
  if (offScreen) {
    gl_->bindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glViewport(0, 0, size, size);
  } else {
    glViewport(target.x, target.y, size, size);
  }
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  glDisable(GL_ALPHA_TEST);
  glDisable(GL_SCISSOR_TEST);
  drawingSpaceProjection();
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);

  static const float kCorners[4][2] = {{0, 0}, {kSpace, 0}, {0, kSpace}, {kSpace, kSpace}};
  const int total = static_cast<int>(composed_.size());
  for (int start = 0; start < total; start += units_) {
    const int n = std::min(units_, total - start);
    for (int u = 0; u < units_; ++u) {
      gl_->activeTexture(GL_TEXTURE0 + u);
      if (u >= n) {
        glDisable(GL_TEXTURE_2D);
        continue;
      }
      glEnable(GL_TEXTURE_2D);
      glBindTexture(GL_TEXTURE_2D, composed_[size_t(start + u)].texture);
      if (u == 0) {
        firstLayerUnit();
      } else {
        overLayerUnit();
      }
    }
    // The first pass starts the composite; later ones lie over it.
    if (start == 0) {
      glDisable(GL_BLEND);
    } else {
      glEnable(GL_BLEND);
    }
    glBegin(GL_TRIANGLE_STRIP);
    for (const auto& corner : kCorners) {
      for (int u = 0; u < n; ++u) {
        const Placed& p = composed_[size_t(start + u)];
        const float x = p.inverse[0] * corner[0] + p.inverse[1] * corner[1] + p.inverse[2];
        const float y = p.inverse[3] * corner[0] + p.inverse[4] * corner[1] + p.inverse[5];
        // Into the framed texture: one texel of frame before the picture.
        gl_->multiTexCoord2f(GL_TEXTURE0 + u, (x + 1.0f) / float(pictureWidth_ + 2),
                             (y + 1.0f) / float(pictureHeight_ + 2));
      }
      glVertex2f(corner[0], corner[1]);
    }
    glEnd();
  }
  for (int u = units_ - 1; u >= 1; --u) {
    gl_->activeTexture(GL_TEXTURE0 + u);
    glDisable(GL_TEXTURE_2D);
  }
  gl_->activeTexture(GL_TEXTURE0);
  if (offScreen) {
    gl_->bindFramebuffer(GL_FRAMEBUFFER, frame);
  } else {
    glBindTexture(GL_TEXTURE_2D, composite_);
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, target.x, target.y, size, size);
  }
}

void GlStackComposer::drawComposite() {
  if (empty_ || !composite_) return;
  if (gl_->activeTexture) gl_->activeTexture(GL_TEXTURE0);
  glEnable(GL_TEXTURE_2D);
  glBindTexture(GL_TEXTURE_2D, composite_);
  setEnv(GL_TEXTURE_ENV_MODE, GL_REPLACE);
  if (opaque_) {
    glDisable(GL_BLEND);
  } else {
    // The composite is premultiplied.
    glEnable(GL_BLEND);
    glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  }
  drawingSpaceProjection();
  // The composite's first row is the bottom of the drawing space.
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(0, 1);
  glVertex2f(0, 0);
  glTexCoord2f(1, 1);
  glVertex2f(kSpace, 0);
  glTexCoord2f(0, 0);
  glVertex2f(0, kSpace);
  glTexCoord2f(1, 0);
  glVertex2f(kSpace, kSpace);
  glEnd();
}

}  // namespace platform
