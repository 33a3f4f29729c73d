// The OpenGL fixed-function device: device states mapped one to one onto GL
// state and texture combiners, textures kept in memory and uploaded on use,
// clears held back until something is drawn (a picture that covers the whole
// window makes them unnecessary), and sprite stacks composed.
#include "platform/gl_device.h"

#include <GL/gl.h>
#include <SDL/SDL.h>

#include <cstdio>
#include <cstring>

#include "platform/device_state.h"
#include "platform/draw_batch.h"
#include "platform/gl_support.h"
#include "platform/picture.h"
#include "platform/pixel_texture.h"
#include "platform/video.h"

namespace platform {

namespace {

StackComposing g_stackComposing = StackComposing::kAuto;

// What textures share with their device: whether it still exists, and which
// GL context their names belong to.
struct GlShared {
  bool alive = true;
  uint64_t generation = 1;
};

GLint glFilter(uint32_t filter) { return filter == kFilterLinear ? GL_LINEAR : GL_NEAREST; }
GLint glAddress(uint32_t address) { return address == kAddressClamp ? GL_CLAMP_TO_EDGE : GL_REPEAT; }

GLenum glBlend(uint32_t blend) {
  switch (blend) {
    case 1: return GL_ZERO;
    case 2: return GL_ONE;
    case 3: return GL_SRC_COLOR;
    case 4: return GL_ONE_MINUS_SRC_COLOR;
    case 5: return GL_SRC_ALPHA;
    case 6: return GL_ONE_MINUS_SRC_ALPHA;
    case 7: return GL_DST_ALPHA;
    case 8: return GL_ONE_MINUS_DST_ALPHA;
    case 9: return GL_DST_COLOR;
    case 10: return GL_ONE_MINUS_DST_COLOR;
    case 11: return GL_SRC_ALPHA_SATURATE;
    default: return GL_ONE;
  }
}

class GlTexture : public PixelTexture {
 public:
  GlTexture(Picture&& picture, std::shared_ptr<GlShared> shared)
      : PixelTexture(std::move(picture)), shared_(std::move(shared)) {}

  ~GlTexture() override {
    if (name_ != 0 && shared_->alive && generation_ == shared_->generation) glDeleteTextures(1, &name_);
  }

  // Binds the texture to unit 0 with the given sampling, creating or
  // refreshing the GL copy first when it is missing or stale.
  void bind(GLint minFilter, GLint magFilter, GLint wrapS, GLint wrapT) {
    if (name_ == 0 || generation_ != shared_->generation) {
      name_ = 0;
      glGenTextures(1, &name_);
      generation_ = shared_->generation;
      uploaded_ = 0;
      min_ = mag_ = wrapS_ = wrapT_ = -1;
    }
    glBindTexture(GL_TEXTURE_2D, name_);
    if (uploaded_ != revision()) {
      glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
#ifdef __EMSCRIPTEN__
      // WebGL takes bytes in R, G, B, A order only.
      static std::vector<uint8_t> rgba;
      toRgbaBytes(pixels().data(), pixels().size(), rgba);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, width(), height(), 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
#else
      glPixelStorei(GL_UNPACK_ROW_LENGTH, 0);
      glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width(), height(), 0, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                   pixels().data());
#endif
      uploaded_ = revision();
    }
    if (min_ != minFilter) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, min_ = minFilter);
    if (mag_ != magFilter) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, mag_ = magFilter);
    if (wrapS_ != wrapS) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, wrapS_ = wrapS);
    if (wrapT_ != wrapT) glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, wrapT_ = wrapT);
  }

 private:
  std::shared_ptr<GlShared> shared_;
  GLuint name_ = 0;
  uint64_t generation_ = 0;
  uint64_t uploaded_ = 0;
  GLint min_ = -1, mag_ = -1, wrapS_ = -1, wrapT_ = -1;
};

class GlDevice;

class GlSpriteInterface : public SpriteInterface {
 public:
  explicit GlSpriteInterface(GlDevice& device) : device_(device) {}
  void begin(uint32_t flags) override;
  void setTransform(const Matrix& m) override { transform_ = m; }
  void draw(Texture* texture, const SourceRect& src, uint32_t argb) override;
  void end() override;
  void drawStack(Texture* texture, const SourceRect& src, const SpriteLayer* layers, int count) override;

 private:
  void applyBeginState();

  GlDevice& device_;
  Matrix transform_ = Matrix::identity();
  uint32_t flags_ = 0;
  bool begun_ = false;
};

class GlDevice : public Device {
 public:
  GlDevice(int windowWidth, int windowHeight, bool bgraArrays, const char* version, const char* extensions)
      : shared_(std::make_shared<GlShared>()),
        context_(currentGlContext()),
        windowWidth_(windowWidth),
        windowHeight_(windowHeight),
        bgraArrays_(bgraArrays),
        composer_(std::make_unique<GlStackComposer>(version, extensions)) {
    applyAll();
  }

  ~GlDevice() override {
    shared_->alive = false;
    if (currentGlContext() != context_) composer_->contextLost();
  }

  void beginScene() override { ++state_.stats.frames; }

  void clear(uint32_t argb) override {
    ++state_.stats.clears;
    clearPending_ = true;
    clearColor_ = argb;
  }

  // Carries out a held-back clear; every drawing call comes here first.
  void flushClear() {
    if (!clearPending_) return;
    flushBatch();
    clearPending_ = false;
    const uint32_t argb = clearColor_;
    // The whole window, so the bars beside a letterboxed picture are cleared too.
    glViewport(0, 0, windowWidth_, windowHeight_);
    glClearColor(((argb >> 16) & 0xff) / 255.0f, ((argb >> 8) & 0xff) / 255.0f, (argb & 0xff) / 255.0f,
                 ((argb >> 24) & 0xff) / 255.0f);
    glClear(GL_COLOR_BUFFER_BIT);
    applyViewport();
  }

  void endScene() override {
    flushClear();
    flushBatch();
    glFlush();
  }

  void present() override {
    flushClear();
    flushBatch();
    ++state_.stats.presents;
    SDL_GL_SwapBuffers();
  }

  void finish() override {
    flushClear();
    flushBatch();
    glFinish();
  }

  void setTransform(TransformType type, const Matrix& m) override {
    state_.setTransform(type, m);
    ++transforms_;
    whenStateChanged([this] { applyTransforms(); });
  }

  void setRenderState(RenderState state, uint32_t value) override {
    if (state_.setRenderState(state, value)) whenStateChanged([this, state] { applyRenderState(state); });
  }

  void setTextureStageState(int stage, TextureStageState state, uint32_t value) override {
    // Only unit 0 draws; the other stages keep their state for the queries.
    if (state_.setStageState(stage, state, value) && stage == 0) whenStateChanged([this] { applyStage0(); });
  }

  void setSamplerState(int sampler, SamplerState state, uint32_t value) override {
    // GL keeps sampling with the texture object, so it is applied when a
    // texture is bound for drawing.
    state_.setSamplerState(sampler, state, value);
  }

  void setFVF(uint32_t fvf) override { state_.fvf = fvf; }
  void setTexture(int stage, Texture* texture) override { state_.setTexture(stage, texture); }

  void drawPrimitiveUP(PrimitiveType type, int primitiveCount, const void* vertices, int stride) override {
    ++state_.stats.primitives;
    flushClear();
    const VertexLayout layout = layoutOf(state_.fvf);
    if (type != kTriangleStrip || primitiveCount <= 0 || !vertices || !layout.valid || stride < layout.size) return;
    const int count = primitiveCount + 2;
#ifdef __EMSCRIPTEN__
    gatherStrip(static_cast<const uint8_t*>(vertices), count, stride, layout);
    return;
#endif
    const bool textured = bindStage0Texture() && layout.texCoord >= 0;
    const auto* base = static_cast<const uint8_t*>(vertices);
    if (bgraArrays_) {
      glEnableClientState(GL_VERTEX_ARRAY);
      glVertexPointer(3, GL_FLOAT, stride, base);
      if (layout.diffuse >= 0) {
        glEnableClientState(GL_COLOR_ARRAY);
        glColorPointer(GL_BGRA, GL_UNSIGNED_BYTE, stride, base + layout.diffuse);
      } else {
        glDisableClientState(GL_COLOR_ARRAY);
        glColor4ub(255, 255, 255, 255);
      }
      if (textured) {
        glEnableClientState(GL_TEXTURE_COORD_ARRAY);
        glTexCoordPointer(2, GL_FLOAT, stride, base + layout.texCoord);
      } else {
        glDisableClientState(GL_TEXTURE_COORD_ARRAY);
      }
      glDrawArrays(GL_TRIANGLE_STRIP, 0, count);
      return;
    }
    glBegin(GL_TRIANGLE_STRIP);
    for (int i = 0; i < count; ++i) {
      const uint8_t* v = base + size_t(i) * size_t(stride);
      uint32_t argb = 0xffffffff;
      if (layout.diffuse >= 0) std::memcpy(&argb, v + layout.diffuse, 4);
      glColor4ub(GLubyte(argb >> 16), GLubyte(argb >> 8), GLubyte(argb), GLubyte(argb >> 24));
      if (textured) {
        float uv[2];
        std::memcpy(uv, v + layout.texCoord, 8);
        glTexCoord2f(uv[0], uv[1]);
      }
      float xyz[3];
      std::memcpy(xyz, v, 12);
      glVertex3f(xyz[0], xyz[1], xyz[2]);
    }
    glEnd();
  }

  bool getImageInfoFromFile(const std::string& path, ImageInfo& info) override {
    return readPictureInfo(path, info);
  }

  std::unique_ptr<Texture> createTextureFromFile(const std::string& path) override {
    Picture picture;
    if (!decodeTexturePicture(path, picture)) return nullptr;
    return std::make_unique<GlTexture>(std::move(picture), shared_);
  }

  std::unique_ptr<SpriteInterface> createSpriteInterface() override {
    return std::make_unique<GlSpriteInterface>(*this);
  }

  void setWindowSize(int width, int height) override {
    flushClear();
    flushBatch();
    windowWidth_ = width > 0 ? width : 1;
    windowHeight_ = height > 0 ? height : 1;
    // Re-opening the video mode may hand out a new context; every texture
    // then uploads itself again on its next use.
    const void* current = currentGlContext();
    if (current != context_) {
      context_ = current;
      ++shared_->generation;
      composer_->contextLost();
    }
    applyAll();
  }

  bool readPixels(std::vector<uint32_t>& argb) override {
    flushClear();
    flushBatch();
    const Viewport vp = viewportFor(windowWidth_, windowHeight_);
    std::vector<uint32_t> rows(size_t(vp.size) * size_t(vp.size));
    glFinish();
    // An error left by an earlier call is not this read's failure.
    for (int i = 0; i < 16 && glGetError() != GL_NO_ERROR; ++i) {
    }
    glPixelStorei(GL_PACK_ALIGNMENT, 4);
#ifdef __EMSCRIPTEN__
    // WebGL reads the drawing buffer, and only as R, G, B, A bytes.
    glReadPixels(vp.x, windowHeight_ - vp.y - vp.size, vp.size, vp.size, GL_RGBA, GL_UNSIGNED_BYTE, rows.data());
    for (uint32_t& p : rows) {
      const uint32_t r = p & 0xff, g = (p >> 8) & 0xff, b = (p >> 16) & 0xff, a = p >> 24;
      p = (a << 24) | (r << 16) | (g << 8) | b;
    }
#else
    glPixelStorei(GL_PACK_ROW_LENGTH, 0);
    // Read what the frame was drawn into: the window's back buffer, or the
    // colour attachment of the frame buffer object an SDL 1.2 built on SDL 2
    // (sdl12-compat) hands out as the window, where GL_BACK is not valid.
    GLint drawBuffer = GL_BACK;
    glGetIntegerv(GL_DRAW_BUFFER, &drawBuffer);
    glReadBuffer(drawBuffer != GL_NONE ? GLenum(drawBuffer) : GLenum(GL_BACK));
    glReadPixels(vp.x, windowHeight_ - vp.y - vp.size, vp.size, vp.size, GL_BGRA, GL_UNSIGNED_INT_8_8_8_8_REV,
                 rows.data());
#endif
    if (glGetError() != GL_NO_ERROR) return false;
    // GL reads bottom row first; scale back to the drawing space if needed.
    argb.assign(size_t(kDrawingSize) * kDrawingSize, 0);
    for (int y = 0; y < kDrawingSize; ++y) {
      const int sy = vp.size - 1 - y * vp.size / kDrawingSize;
      for (int x = 0; x < kDrawingSize; ++x) {
        const int sx = x * vp.size / kDrawingSize;
        argb[size_t(y) * kDrawingSize + x] = rows[size_t(sy) * vp.size + sx];
      }
    }
    return true;
  }

  uint32_t renderState(RenderState state) const override { return state_.renderState(state); }
  uint32_t textureStageState(int stage, TextureStageState state) const override {
    return state_.stageState(stage, state);
  }
  uint32_t samplerState(int sampler, SamplerState state) const override { return state_.samplerState(sampler, state); }
  const DrawStats& stats() const override { return state_.stats; }

  // Sets GL back to exactly what the device state says (after the sprite
  // interface, or on a new context).
  void applyAll() {
    flushBatch();
    stale_ = false;
    glDisable(GL_SCISSOR_TEST);
    glDisable(GL_ALPHA_TEST);
#ifndef __EMSCRIPTEN__
    // The browser's emulation shades smoothly only, and says so each time.
    glShadeModel(GL_SMOOTH);
#endif
    glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
    applyViewport();
    applyTransforms();
    for (uint32_t rs : {kRsZEnable, kRsSrcBlend, kRsCullMode, kRsDitherEnable, kRsAlphaBlendEnable, kRsLighting}) {
      applyRenderState(RenderState(rs));
    }
    applyStage0();
  }

  void applyViewport() {
    const Viewport vp = viewportFor(windowWidth_, windowHeight_);
    glViewport(vp.x, windowHeight_ - vp.y - vp.size, vp.size, vp.size);
  }

  // A state change reaches GL at once on the desktop; in the browser it
  // waits for the next draw that differs from the gathered ones.
  template <typename Apply>
  void whenStateChanged(Apply apply) {
#ifdef __EMSCRIPTEN__
    (void)apply;
    stale_ = true;
#else
    apply();
#endif
  }

  // Draws what was gathered, under the GL state it was gathered with.
  void flushBatch() {
    if (batch_.empty()) return;
    drawTriangles(batch_.triangles(), batchTextured_);
    batch_.clear();
  }

  // A device strip joins the gathered draws while every state it depends
  // on is the same; otherwise those are drawn and it starts anew.
  void gatherStrip(const uint8_t* base, int count, int stride, const VertexLayout& layout) {
    auto* gl = dynamic_cast<GlTexture*>(state_.texture(0));
    const bool textured = gl && state_.stageState(0, kTssColorOp) != kTopDisable && layout.texCoord >= 0;
    BatchKey key;
    key.texture = textured ? gl : nullptr;
    uint32_t* k = key.state.data();
    *k++ = 1;  // a device draw, not a sprite
    for (uint32_t rs : {uint32_t(kRsZEnable), uint32_t(kRsSrcBlend), uint32_t(kRsDestBlend), uint32_t(kRsCullMode),
                        uint32_t(kRsDitherEnable), uint32_t(kRsAlphaBlendEnable), uint32_t(kRsLighting)}) {
      *k++ = state_.renderState(RenderState(rs));
    }
    for (uint32_t ts : {uint32_t(kTssColorOp), uint32_t(kTssColorArg1), uint32_t(kTssColorArg2), uint32_t(kTssAlphaOp),
                        uint32_t(kTssAlphaArg1), uint32_t(kTssAlphaArg2)}) {
      *k++ = state_.stageState(0, TextureStageState(ts));
    }
    for (uint32_t ss : {uint32_t(kSampMinFilter), uint32_t(kSampMagFilter), uint32_t(kSampAddressU),
                        uint32_t(kSampAddressV)}) {
      *k++ = state_.samplerState(0, SamplerState(ss));
    }
    *k++ = textured ? 1 : 0;
    *k++ = transforms_;
    // Changes that came back to the gathered draws' state need no flush:
    // GL still holds that state.
    if (!batch_.joins(key)) {
      flushBatch();
      if (stale_) applyAll();
      batchTextured_ = bindStage0Texture() && layout.texCoord >= 0;
      batch_.start(key);
    }
    strip_.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
      const uint8_t* v = base + size_t(i) * size_t(stride);
      BatchVertex& out = strip_[size_t(i)];
      std::memcpy(&out.x, v, 12);
      uint32_t argb = 0xffffffff;
      if (layout.diffuse >= 0) std::memcpy(&argb, v + layout.diffuse, 4);
      setBatchColour(out, argb);
      if (batchTextured_) {
        std::memcpy(&out.u, v + layout.texCoord, 4);
        std::memcpy(&out.v, v + layout.texCoord + 4, 4);
      }
    }
    batch_.addStrip(strip_.data(), count);
  }

  // A sprite's corners, already in the drawing space, join the gathered
  // sprites of the same picture and blending.
  void gatherSprite(Texture* texture, uint32_t flags, const BatchVertex corners[4]) {
    BatchKey key;
    key.texture = texture;
    key.state[0] = 2;  // a sprite
    key.state[1] = flags;
    if (!batch_.joins(key)) {
      flushBatch();
      bindForSprite(texture);
      glLoadIdentity();
      batchTextured_ = true;
      batch_.start(key);
    }
    batch_.addStrip(corners, 4);
  }

  void bindForSprite(Texture* texture) {
    auto* gl = dynamic_cast<GlTexture*>(texture);
    if (!gl) {
      glDisable(GL_TEXTURE_2D);
      return;
    }
    glEnable(GL_TEXTURE_2D);
    gl->bind(GL_LINEAR, GL_LINEAR, GL_CLAMP_TO_EDGE, GL_CLAMP_TO_EDGE);
  }

  DrawStats& mutableStats() { return state_.stats; }

  // Draws the layers through the stack composer; false when it cannot, with
  // nothing drawn. The caller puts back its own GL state after a true.
  bool drawComposedStack(Texture* texture, const SourceRect& src, const SpriteLayer* layers, int count) {
    flushBatch();
    auto* gl = dynamic_cast<GlTexture*>(texture);
    if (!gl || src.left != 0 || src.top != 0 || src.right != gl->width() || src.bottom != gl->height()) return false;
    StackPicture picture;
    picture.id = gl->id();
    picture.revision = gl->revision();
    picture.width = gl->width();
    picture.height = gl->height();
    picture.argb = gl->pixels().data();
    const Viewport vp = viewportFor(windowWidth_, windowHeight_);
    GlStackComposer::Target target;
    target.x = vp.x;
    target.y = windowHeight_ - vp.y - vp.size;
    target.size = vp.size;
    target.backBufferFree = clearPending_;
    const uint64_t compositions = composer_->compositions();
    if (!composer_->prepare(picture, layers, count, target, g_stackComposing)) {
      applyViewport();
      return false;
    }
    state_.stats.stackCompositions += composer_->compositions() - compositions;
    // An opaque composite over the whole window leaves nothing of the clear.
    const bool coversWindow =
        composer_->opaque() && vp.x == 0 && vp.y == 0 && vp.size == windowWidth_ && vp.size == windowHeight_;
    if (coversWindow) {
      clearPending_ = false;
    } else {
      flushClear();
    }
    applyViewport();
    composer_->drawComposite();
    state_.stats.spriteDraws += uint64_t(count);
    return true;
  }

 private:
  void applyTransforms() {
    glMatrixMode(GL_PROJECTION);
    glLoadMatrixf(&state_.transform(kTransformProjection).m[0][0]);
    // Row vectors times world then view: as one GL model-view matrix.
    const Matrix& w = state_.transform(kTransformWorld);
    const Matrix& v = state_.transform(kTransformView);
    Matrix wv{};
    for (int r = 0; r < 4; ++r) {
      for (int c = 0; c < 4; ++c) {
        float sum = 0;
        for (int k = 0; k < 4; ++k) sum += w.m[r][k] * v.m[k][c];
        wv.m[r][c] = sum;
      }
    }
    glMatrixMode(GL_MODELVIEW);
    glLoadMatrixf(&wv.m[0][0]);
  }

  void applyRenderState(RenderState state) {
    const uint32_t value = state_.renderState(state);
    switch (state) {
      case kRsZEnable:
        if (value) {
          glEnable(GL_DEPTH_TEST);
        } else {
          glDisable(GL_DEPTH_TEST);
        }
        break;
      case kRsSrcBlend:
      case kRsDestBlend:
        glBlendFunc(glBlend(state_.renderState(kRsSrcBlend)), glBlend(state_.renderState(kRsDestBlend)));
        break;
      case kRsCullMode:
        // Clip space and window space share their y direction here, so
        // culling clockwise faces means culling GL's counter-clockwise ones.
        if (value == 2 || value == 3) {
          glEnable(GL_CULL_FACE);
          glCullFace(GL_BACK);
          glFrontFace(value == 3 ? GL_CCW : GL_CW);
        } else {
          glDisable(GL_CULL_FACE);
        }
        break;
      case kRsDitherEnable:
        if (value) {
          glEnable(GL_DITHER);
        } else {
          glDisable(GL_DITHER);
        }
        break;
      case kRsAlphaBlendEnable:
        if (value) {
          glEnable(GL_BLEND);
        } else {
          glDisable(GL_BLEND);
        }
        break;
      case kRsLighting:
        if (value) {
          glEnable(GL_LIGHTING);
        } else {
          glDisable(GL_LIGHTING);
        }
        break;
    }
  }

  static GLint combineSource(uint32_t arg) {
    switch (arg & 0x0f) {
      case kTaDiffuse: return GL_PRIMARY_COLOR;
      case kTaTexture: return GL_TEXTURE;
      case kTaTFactor: return GL_CONSTANT;
      case kTaCurrent: return GL_PREVIOUS;
      default: return GL_PRIMARY_COLOR;
    }
  }

  static GLint combineOperand(uint32_t arg, bool forAlpha) {
    const bool complement = (arg & 0x10) != 0;
    const bool alphaReplicate = forAlpha || (arg & 0x20) != 0;
    if (alphaReplicate) return complement ? GL_ONE_MINUS_SRC_ALPHA : GL_SRC_ALPHA;
    return complement ? GL_ONE_MINUS_SRC_COLOR : GL_SRC_COLOR;
  }

  // One combiner function (colour or alpha) of unit 0 from its stage states.
  void applyCombiner(uint32_t op, uint32_t arg1, uint32_t arg2, bool forAlpha) {
    const GLenum combine = forAlpha ? GL_COMBINE_ALPHA : GL_COMBINE_RGB;
    const GLenum source0 = forAlpha ? GL_SOURCE0_ALPHA : GL_SOURCE0_RGB;
    const GLenum source1 = forAlpha ? GL_SOURCE1_ALPHA : GL_SOURCE1_RGB;
    const GLenum operand0 = forAlpha ? GL_OPERAND0_ALPHA : GL_OPERAND0_RGB;
    const GLenum operand1 = forAlpha ? GL_OPERAND1_ALPHA : GL_OPERAND1_RGB;
    const GLenum scale = forAlpha ? GL_ALPHA_SCALE : GL_RGB_SCALE;
    GLint function = GL_MODULATE;
    GLfloat factor = 1.0f;
    uint32_t first = arg1, second = arg2;
    switch (op) {
      case kTopSelectArg1: function = GL_REPLACE; break;
      case kTopSelectArg2: function = GL_REPLACE; first = arg2; break;
      case 5: factor = 2.0f; break;  // modulate 2x
      case 6: factor = 4.0f; break;  // modulate 4x
      case 7: function = GL_ADD; break;
#ifndef __EMSCRIPTEN__
      // The browser's GL emulation has no signed add; nothing drawn uses it.
      case 8: function = GL_ADD_SIGNED; break;
#endif
      case 10: function = GL_SUBTRACT; break;
      case kTopDisable: function = GL_REPLACE; first = kTaCurrent; break;
      default: break;
    }
    glTexEnvi(GL_TEXTURE_ENV, combine, function);
    glTexEnvi(GL_TEXTURE_ENV, source0, combineSource(first));
    glTexEnvi(GL_TEXTURE_ENV, operand0, combineOperand(first, forAlpha));
    glTexEnvi(GL_TEXTURE_ENV, source1, combineSource(second));
    glTexEnvi(GL_TEXTURE_ENV, operand1, combineOperand(second, forAlpha));
    glTexEnvf(GL_TEXTURE_ENV, scale, factor);
  }

  void applyStage0() {
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_COMBINE);
    applyCombiner(state_.stageState(0, kTssColorOp), state_.stageState(0, kTssColorArg1),
                  state_.stageState(0, kTssColorArg2), false);
    applyCombiner(state_.stageState(0, kTssAlphaOp), state_.stageState(0, kTssAlphaArg1),
                  state_.stageState(0, kTssAlphaArg2), true);
  }

  // Binds stage 0's texture with sampler 0's states; false when untextured.
  bool bindStage0Texture() {
    auto* gl = dynamic_cast<GlTexture*>(state_.texture(0));
    if (!gl || state_.stageState(0, kTssColorOp) == kTopDisable) {
      glDisable(GL_TEXTURE_2D);
      return false;
    }
    glEnable(GL_TEXTURE_2D);
    gl->bind(glFilter(state_.samplerState(0, kSampMinFilter)), glFilter(state_.samplerState(0, kSampMagFilter)),
             glAddress(state_.samplerState(0, kSampAddressU)), glAddress(state_.samplerState(0, kSampAddressV)));
    return true;
  }

  DeviceState state_;
  std::shared_ptr<GlShared> shared_;
  const void* context_;
  int windowWidth_;
  int windowHeight_;
  bool bgraArrays_;
  std::unique_ptr<GlStackComposer> composer_;
  bool clearPending_ = false;
  uint32_t clearColor_ = 0;
  DrawBatch batch_;
  std::vector<BatchVertex> strip_;
  bool batchTextured_ = false;
  bool stale_ = false;  // the device state has changes GL has not had yet
  uint32_t transforms_ = 0;  // transforms set so far, for telling draws apart
};

void GlSpriteInterface::begin(uint32_t flags) {
  device_.flushBatch();
  begun_ = true;
  flags_ = flags;
  transform_ = Matrix::identity();
  applyBeginState();
}

void GlSpriteInterface::applyBeginState() {
  // Pixel coordinates of the drawing space, y downwards.
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glOrtho(0, kDrawingSize, kDrawingSize, 0, -1, 1);
  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
  glDisable(GL_LIGHTING);
  if (flags_ & kSpriteAlphaBlend) {
    glEnable(GL_BLEND);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  } else {
    glDisable(GL_BLEND);
  }
  // The picture modulated by the sprite's colour, alpha included.
  glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
}

void GlSpriteInterface::draw(Texture* texture, const SourceRect& src, uint32_t argb) {
  if (!texture || !begun_) return;
  device_.flushClear();
  ++device_.mutableStats().spriteDraws;
  const float w = float(src.right - src.left);
  const float h = float(src.bottom - src.top);
  const float u0 = float(src.left) / texture->width(), u1 = float(src.right) / texture->width();
  const float v0 = float(src.top) / texture->height(), v1 = float(src.bottom) / texture->height();
#ifdef __EMSCRIPTEN__
  const BatchVertex corners[4] = {
      spriteCorner(transform_, 0, 0, u0, v0, argb), spriteCorner(transform_, w, 0, u1, v0, argb),
      spriteCorner(transform_, 0, h, u0, v1, argb), spriteCorner(transform_, w, h, u1, v1, argb)};
  device_.gatherSprite(texture, flags_, corners);
  return;
#endif
  device_.bindForSprite(texture);
  glLoadMatrixf(&transform_.m[0][0]);
  glColor4ub(GLubyte(argb >> 16), GLubyte(argb >> 8), GLubyte(argb), GLubyte(argb >> 24));
  glBegin(GL_TRIANGLE_STRIP);
  glTexCoord2f(u0, v0);
  glVertex3f(0, 0, 0);
  glTexCoord2f(u1, v0);
  glVertex3f(w, 0, 0);
  glTexCoord2f(u0, v1);
  glVertex3f(0, h, 0);
  glTexCoord2f(u1, v1);
  glVertex3f(w, h, 0);
  glEnd();
}

void GlSpriteInterface::drawStack(Texture* texture, const SourceRect& src, const SpriteLayer* layers, int count) {
  if (!begun_ || count <= 0) return;
  // Composing stands for blended layers only.
  if (texture && (flags_ & kSpriteAlphaBlend) && device_.drawComposedStack(texture, src, layers, count)) {
    transform_ = layers[count - 1].transform;
    applyBeginState();
    return;
  }
  SpriteInterface::drawStack(texture, src, layers, count);
}

void GlSpriteInterface::end() {
  if (!begun_) return;
  begun_ = false;
  device_.flushBatch();
  device_.applyAll();
}

}  // namespace

std::unique_ptr<Device> createGlDevice(int windowWidth, int windowHeight, GlDeviceError& error) {
  error = GlDeviceError::kNone;
  const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
  if (!currentGlContext() || !version) {
    error = GlDeviceError::kNoContext;
    return nullptr;
  }
  const char* extensions = reinterpret_cast<const char*>(glGetString(GL_EXTENSIONS));
  // The browser's fixed-function emulation combines textures whatever
  // version its WebGL reports.
  const bool emulated = std::strstr(version, "WebGL") != nullptr;
  if (!emulated && !glVersionAtLeast(version, 1, 3) && !glHasExtension(extensions, "GL_ARB_texture_env_combine")) {
    error = GlDeviceError::kUnsupported;
    return nullptr;
  }
  // An ARGB dword lies in memory as B, G, R, A only on little-endian
  // machines; elsewhere colours go through the per-vertex path.
  const bool bgraArrays = SDL_BYTEORDER == SDL_LIL_ENDIAN &&
                          (glVersionAtLeast(version, 3, 2) || glHasExtension(extensions, "GL_ARB_vertex_array_bgra") ||
                           glHasExtension(extensions, "GL_EXT_vertex_array_bgra"));
  return std::make_unique<GlDevice>(windowWidth, windowHeight, bgraArrays, version, extensions);
}

void setStackComposing(StackComposing mode) { g_stackComposing = mode; }

}  // namespace platform
