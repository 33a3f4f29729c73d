// The window: SDL video start-up, the video mode, the caption, the choice
// between the OpenGL device and the null device, and window-to-drawing-space
// mapping for a resized window.
#pragma once

#include <string>

namespace platform {

// The game in a web page: no network port, nothing to quit to, and the
// page's own full screen around a canvas of the drawing space's size.
#ifdef __EMSCRIPTEN__
constexpr bool kInBrowser = true;
#else
constexpr bool kInBrowser = false;
#endif

// SDL_Init for video and a check that video information exists. Prints a
// clear message and returns false on failure.
bool initVideo();

// True when SDL runs its dummy video driver: no OpenGL, the null device.
bool isHeadless();

// Opens the 512 x 512 resizable window, or fills the desktop when asked for
// full screen.
bool setVideoMode(bool fullScreen);

// Switches between the window and the whole screen, keeping the device; the
// drawing space is letterboxed into either. The window comes back at the size
// it had. False, with one line on standard error, when SDL refused (the mode
// is then as it was).
bool setFullScreen(bool fullScreen);
bool isFullScreen();
void windowSize(int& width, int& height);

// Creates the device for the current video mode with its fixed states.
// Prints the device error messages with their captions and returns false
// when it cannot.
bool createDevice();

void setCaption(const std::string& title);

// A resize event: the window is re-opened at the new size and the drawing
// space scaled into it with its aspect kept.
void handleResize(int width, int height);

// Letterboxed placement of the 512 x 512 drawing space in a window.
struct Viewport {
  int x = 0, y = 0, size = 512;
};
Viewport viewportFor(int windowWidth, int windowHeight);

// Maps a window pixel to the drawing space, clamped to 0 ... 511.
void windowToDrawing(int windowWidth, int windowHeight, int wx, int wy, int& dx, int& dy);
void currentWindowToDrawing(int wx, int wy, int& dx, int& dy);

// Shuts the device down and SDL with it.
void shutdownVideo();

}  // namespace platform
