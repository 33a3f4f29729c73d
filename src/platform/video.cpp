// The window through SDL 1.2: start-up, the video mode, the caption, choosing
// and creating the device, and mapping a resized window onto the drawing space.
#include "platform/video.h"

#include <SDL/SDL.h>
#include <SDL/SDL_image.h>
#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>

#include "platform/device.h"
#include "platform/gl_device.h"
#include "platform/null_device.h"

namespace platform {

namespace {

int g_windowWidth = kDrawingSize;
int g_windowHeight = kDrawingSize;
int g_bitsPerPixel = 0;
bool g_fullScreen = false;
// The desktop's size before our first mode, which full screen fills; and
// the window's size to come back to.
int g_desktopWidth = 0, g_desktopHeight = 0;
int g_windowedWidth = kDrawingSize, g_windowedHeight = kDrawingSize;

Uint32 videoFlags() {
  Uint32 flags = SDL_RESIZABLE;
  if (g_fullScreen) flags |= SDL_FULLSCREEN;
  if (!isHeadless()) flags |= SDL_OPENGL;
  return flags;
}

// The one place a device error is shown: a caption and a text, as a message
// box would have them.
void showDeviceError(const char* text, const char* caption) {
  std::fprintf(stderr, "%s: %s\n", caption, text);
  std::fflush(stderr);
}

void setGlAttributes(bool withAlpha) {
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, withAlpha ? 8 : 0);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
#ifndef __EMSCRIPTEN__
  // Presenting must not wait for the vertical retrace: the main loop paces.
  // (A page is paced by the browser's frames instead.)
  SDL_GL_SetAttribute(SDL_GL_SWAP_CONTROL, 0);
#endif
}

bool openWindow(int width, int height) {
  if (isHeadless()) return SDL_SetVideoMode(width, height, g_bitsPerPixel, videoFlags()) != nullptr;
  // An alpha channel in the frame buffer is wanted but not needed.
  setGlAttributes(true);
  if (SDL_SetVideoMode(width, height, g_bitsPerPixel, videoFlags())) return true;
  setGlAttributes(false);
  return SDL_SetVideoMode(width, height, g_bitsPerPixel, videoFlags()) != nullptr;
}

void applyFixedStates(Device& device) {
  const Matrix identity = Matrix::identity();
  device.setTransform(kTransformWorld, identity);
  device.setTransform(kTransformView, identity);
  device.setTransform(kTransformProjection, identity);

  device.setRenderState(kRsDitherEnable, 1);
  device.setRenderState(kRsZEnable, 0);
  device.setRenderState(kRsLighting, 0);
  device.setRenderState(kRsCullMode, kCullNone);

  device.setSamplerState(0, kSampMinFilter, kFilterNone);
  device.setSamplerState(0, kSampMagFilter, kFilterNone);
  device.setSamplerState(0, kSampMipFilter, kFilterNone);
  device.setSamplerState(0, kSampAddressU, kAddressClamp);
  device.setSamplerState(0, kSampAddressV, kAddressClamp);

  device.setSamplerState(1, kSampMinFilter, kFilterNone);
  device.setSamplerState(1, kSampMagFilter, kFilterNone);
  device.setSamplerState(1, kSampMipFilter, kFilterNone);
  device.setSamplerState(1, kSampAddressU, kAddressWrap);
  device.setSamplerState(1, kSampAddressV, kAddressWrap);

  device.setSamplerState(2, kSampAddressU, kAddressWrap);
  device.setSamplerState(2, kSampAddressV, kAddressWrap);
  device.setSamplerState(2, kSampMinFilter, kFilterNone);
  device.setSamplerState(2, kSampMagFilter, kFilterNone);
  device.setSamplerState(2, kSampMipFilter, kFilterNone);
}

}  // namespace

bool initVideo() {
  if (SDL_Init(SDL_INIT_VIDEO) < 0) {
    std::fprintf(stderr, "Could not start SDL video: %s\n", SDL_GetError());
    return false;
  }
  const SDL_VideoInfo* info = SDL_GetVideoInfo();
  // The browser's SDL knows the canvas's size but no pixel format.
  if (!info || (!info->vfmt && !kInBrowser)) {
    std::fprintf(stderr, "Could not read the display's video information: %s\n", SDL_GetError());
    SDL_Quit();
    return false;
  }
  g_bitsPerPixel = info->vfmt ? info->vfmt->BitsPerPixel : 32;
  // Read once: after a mode is set, SDL reports that mode instead.
  if (g_desktopWidth <= 0 || g_desktopHeight <= 0) {
    g_desktopWidth = info->current_w;
    g_desktopHeight = info->current_h;
  }
  return true;
}

bool isHeadless() {
  char name[32] = {0};
  return SDL_VideoDriverName(name, sizeof(name)) && std::strcmp(name, "dummy") == 0;
}

bool setVideoMode(bool fullScreen) {
  // A page goes full screen only after a gesture of the player's.
  if (kInBrowser) fullScreen = false;
  g_fullScreen = fullScreen;
  g_windowedWidth = g_windowedHeight = kDrawingSize;
  int width = kDrawingSize, height = kDrawingSize;
  if (fullScreen && g_desktopWidth > 0 && g_desktopHeight > 0) {
    width = g_desktopWidth;
    height = g_desktopHeight;
  }
  if (!openWindow(width, height)) {
    std::fprintf(stderr, "Could not open the %dx%d window: %s\n", width, height, SDL_GetError());
    return false;
  }
  g_windowWidth = width;
  g_windowHeight = height;
  return true;
}

#ifdef __EMSCRIPTEN__
// The canvas keeps the drawing space's size and the page scales it: full
// screen is the page's, asked of the browser, which may refuse or end it.
bool setFullScreen(bool fullScreen) {
  EM_ASM({ Module.vesicorFullScreen && Module.vesicorFullScreen($0); }, fullScreen ? 1 : 0);
  return true;
}

// What the page last asked for, until the browser refused or the player left
// full screen the browser's way.
bool isFullScreen() { return EM_ASM_INT({ return Module.vesicorFullScreenWanted ? 1 : 0; }) != 0; }
#else
bool setFullScreen(bool fullScreen) {
  if (fullScreen == g_fullScreen) return true;
  const bool was = g_fullScreen;
  int width = g_windowedWidth, height = g_windowedHeight;
  if (fullScreen) {
    g_windowedWidth = g_windowWidth;
    g_windowedHeight = g_windowHeight;
    // A desktop SDL could not measure: the window's own size, full screen.
    width = g_desktopWidth > 0 ? g_desktopWidth : g_windowWidth;
    height = g_desktopHeight > 0 ? g_desktopHeight : g_windowHeight;
  }
  g_fullScreen = fullScreen;
  if (!openWindow(width, height)) {
    std::fprintf(stderr, "Could not switch to a %dx%d %s: %s\n", width, height,
                 fullScreen ? "full screen" : "window", SDL_GetError());
    g_fullScreen = was;
    openWindow(g_windowWidth, g_windowHeight);
    return false;
  }
  g_windowWidth = width;
  g_windowHeight = height;
  if (Device* d = device()) d->setWindowSize(width, height);
  return true;
}

bool isFullScreen() { return g_fullScreen; }
#endif

void windowSize(int& width, int& height) {
  width = g_windowWidth;
  height = g_windowHeight;
}

bool createDevice() {
  std::unique_ptr<Device> created;
  if (isHeadless()) {
    created = createNullDevice();
  } else {
    GlDeviceError error = GlDeviceError::kNone;
    created = createGlDevice(g_windowWidth, g_windowHeight, error);
    if (!created) {
      if (error == GlDeviceError::kNoContext) {
        showDeviceError("Could not create Direct3D Object", "D3D_OBJ ERR");
      } else {
        showDeviceError("Could not create Direct3D Device", "D3D_DEV ERR");
      }
      return false;
    }
  }
  created->setWindowSize(g_windowWidth, g_windowHeight);
  applyFixedStates(*created);
  setDevice(std::move(created));
  return true;
}

void setCaption(const std::string& title) { SDL_WM_SetCaption(title.c_str(), title.c_str()); }

void handleResize(int width, int height) {
  if (width <= 0 || height <= 0) return;
  // Full screen keeps the screen's size; a stray resize must not shrink it.
  if (g_fullScreen) return;
  if (!openWindow(width, height)) return;
  g_windowWidth = width;
  g_windowHeight = height;
  if (Device* d = device()) d->setWindowSize(width, height);
}

Viewport viewportFor(int windowWidth, int windowHeight) {
  Viewport vp;
  vp.size = std::max(1, std::min(windowWidth, windowHeight));
  vp.x = std::max(0, (windowWidth - vp.size) / 2);
  vp.y = std::max(0, (windowHeight - vp.size) / 2);
  return vp;
}

void windowToDrawing(int windowWidth, int windowHeight, int wx, int wy, int& dx, int& dy) {
  const Viewport vp = viewportFor(windowWidth, windowHeight);
  // 64-bit products: a window position times 512 must not overflow.
  const int64_t x = (int64_t(wx) - vp.x) * kDrawingSize / vp.size;
  const int64_t y = (int64_t(wy) - vp.y) * kDrawingSize / vp.size;
  dx = int(std::clamp<int64_t>(x, 0, kDrawingSize - 1));
  dy = int(std::clamp<int64_t>(y, 0, kDrawingSize - 1));
}

void currentWindowToDrawing(int wx, int wy, int& dx, int& dy) {
  windowToDrawing(g_windowWidth, g_windowHeight, wx, wy, dx, dy);
}

void shutdownVideo() {
  releaseDevice();
  IMG_Quit();
  SDL_Quit();
}

}  // namespace platform
