// The stack composer in the browser build. WebGL through emscripten's GL
// emulation has no multitexture entry points for the desktop's one-pass
// composing, and drawing the background's many layers every frame is more
// than a software renderer fills at 60 frames a second. So the layers are
// drawn one over another into a half-size frame buffer texture, kept while
// no layer moves by half a pixel (as on the desktop), and drawn as one quad.
// The texture holds premultiplied colour, so the quad lays over the frame
// exactly what the layers would have laid one by one.
#define GL_GLEXT_PROTOTYPES 1
#include <GL/gl.h>
#include <GL/glext.h>

#include <cmath>
#include <vector>

#include "platform/draw_batch.h"
#include "platform/gl_stack.h"

namespace platform {

namespace {

constexpr float kSpace = float(kDrawingSize);
constexpr float kVisibleMove = 0.5f;

// The bound texture filtered linearly, its edge repeated beyond it.
void sampleSmoothlyWithinEdges() {
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
}

// Textured drawing in drawing-space pixels, y downwards.
void drawInDrawingSpace() {
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kSpace, kSpace, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glEnable(GL_TEXTURE_2D);
}

// The picture's corners in the drawing space under a layer's transform.
void cornersOf(const Matrix& m, int width, int height, float out[8]) {
  const float xs[4] = {0, float(width), 0, float(width)};
  const float ys[4] = {0, 0, float(height), float(height)};
  for (int i = 0; i < 4; ++i) {
    const BatchVertex corner = spriteCorner(m, xs[i], ys[i], 0, 0, 0);
    out[i * 2] = corner.x;
    out[i * 2 + 1] = corner.y;
  }
}

}  // namespace

struct GlStackComposer::Functions {};

// The picture as a texture of its own, uploaded once per revision.
struct GlStackComposer::Derived {
  uint64_t picture = 0, revision = 0;
  GLuint name = 0;
};

struct GlStackComposer::Placed {
  Matrix transform;
  uint32_t argb = 0;
  float corners[8] = {};
};

GlStackComposer::GlStackComposer(const char*, const char*) : gl_(std::make_unique<Functions>()) {
  GLint size = 0;
  glGetIntegerv(GL_MAX_TEXTURE_SIZE, &size);
  maxTextureSize_ = size;
  offScreen_ = true;
  derived_.resize(1);
}

GlStackComposer::~GlStackComposer() { deleteNames(); }

void GlStackComposer::deleteNames() {
  for (Derived& d : derived_) {
    if (d.name) glDeleteTextures(1, &d.name);
    d = Derived();
  }
  if (composite_) glDeleteTextures(1, &composite_);
  if (framebuffer_) glDeleteFramebuffers(1, &framebuffer_);
  composite_ = framebuffer_ = 0;
  compositeSize_ = 0;
  valid_ = false;
}

void GlStackComposer::contextLost() {
  for (Derived& d : derived_) d = Derived();
  composite_ = framebuffer_ = 0;
  compositeSize_ = 0;
  valid_ = false;
}

bool GlStackComposer::prepare(const StackPicture& picture, const SpriteLayer* layers, int count, const Target& target,
                              StackComposing mode) {
  if (mode == StackComposing::kLayerByLayer || count <= 0 || !picture.argb || picture.width <= 0 ||
      picture.height <= 0 || target.size < 2 || picture.width > maxTextureSize_ || picture.height > maxTextureSize_) {
    return false;
  }
  const int size = target.size / 2;
  placing_.clear();
  for (int i = 0; i < count; ++i) {
    if ((layers[i].argb >> 24) == 0) continue;
    Placed p;
    p.transform = layers[i].transform;
    p.argb = layers[i].argb;
    cornersOf(p.transform, picture.width, picture.height, p.corners);
    placing_.push_back(p);
  }
  bool same = valid_ && composedPicture_ == picture.id && composedRevision_ == picture.revision &&
              compositeSize_ == size && composed_.size() == placing_.size();
  for (size_t i = 0; same && i < placing_.size(); ++i) {
    same = placing_[i].argb == composed_[i].argb;
    for (int c = 0; same && c < 8; ++c) {
      same = std::fabs(placing_[i].corners[c] - composed_[i].corners[c]) < kVisibleMove;
    }
  }
  if (same) return true;

  Derived& d = derived_[0];
  if (!d.name || d.picture != picture.id || d.revision != picture.revision) {
    if (!d.name) glGenTextures(1, &d.name);
    std::vector<uint8_t> rgba;
    toRgbaBytes(picture.argb, size_t(picture.width) * size_t(picture.height), rgba);
    glBindTexture(GL_TEXTURE_2D, d.name);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, picture.width, picture.height, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    sampleSmoothlyWithinEdges();
    d.picture = picture.id;
    d.revision = picture.revision;
  }
  if (compositeSize_ != size) {
    if (!composite_) glGenTextures(1, &composite_);
    glBindTexture(GL_TEXTURE_2D, composite_);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, nullptr);
    sampleSmoothlyWithinEdges();
    if (!framebuffer_) glGenFramebuffers(1, &framebuffer_);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, composite_, 0);
    const bool complete = glCheckFramebufferStatus(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    if (!complete) {
      deleteNames();
      return false;
    }
    compositeSize_ = size;
  }

  composed_.swap(placing_);
  composedPicture_ = picture.id;
  composedRevision_ = picture.revision;
  empty_ = composed_.empty();
  opaque_ = false;
  valid_ = true;
  ++compositions_;

  glBindFramebuffer(GL_FRAMEBUFFER, framebuffer_);
  glViewport(0, 0, size, size);
  glClearColor(0, 0, 0, 0);
  glClear(GL_COLOR_BUFFER_BIT);
  drawInDrawingSpace();
  glBindTexture(GL_TEXTURE_2D, d.name);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_BLEND);
  // Colour over transparent black with the alpha as coverage: premultiplied.
  glBlendFuncSeparate(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  DrawBatch batch;
  batch.start(BatchKey());
  const float w = float(picture.width), h = float(picture.height);
  for (const Placed& p : composed_) {
    const BatchVertex strip[4] = {spriteCorner(p.transform, 0, 0, 0, 0, p.argb),
                                  spriteCorner(p.transform, w, 0, 1, 0, p.argb),
                                  spriteCorner(p.transform, 0, h, 0, 1, p.argb),
                                  spriteCorner(p.transform, w, h, 1, 1, p.argb)};
    batch.addStrip(strip, 4);
  }
  drawTriangles(batch.triangles(), true);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glBindFramebuffer(GL_FRAMEBUFFER, 0);
  return true;
}

void GlStackComposer::drawComposite() {
  if (!valid_ || empty_ || !composite_) return;
  drawInDrawingSpace();
  glBindTexture(GL_TEXTURE_2D, composite_);
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
  glEnable(GL_BLEND);
  glBlendFunc(GL_ONE, GL_ONE_MINUS_SRC_ALPHA);
  // The frame buffer's first row is the drawing space's bottom.
  const Matrix identity = Matrix::identity();
  DrawBatch batch;
  batch.start(BatchKey());
  const BatchVertex strip[4] = {spriteCorner(identity, 0, 0, 0, 1, 0xffffffff),
                                spriteCorner(identity, kSpace, 0, 1, 1, 0xffffffff),
                                spriteCorner(identity, 0, kSpace, 0, 0, 0xffffffff),
                                spriteCorner(identity, kSpace, kSpace, 1, 0, 0xffffffff)};
  batch.addStrip(strip, 4);
  drawTriangles(batch.triangles(), true);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
}

}  // namespace platform
