// Small helpers for reading what an OpenGL context offers, shared by the
// OpenGL device and its stack composer.
#pragma once

#include <cstdio>
#include <cstring>

#ifndef __EMSCRIPTEN__
#include <GL/glx.h>
#endif

namespace platform {

// Which GL context is current, to tell when a new video mode handed out
// another one. A web page keeps its one WebGL context for its whole life.
inline const void* currentGlContext() {
#ifdef __EMSCRIPTEN__
  static const int pageContext = 0;
  return &pageContext;
#else
  return glXGetCurrentContext();
#endif
}

inline bool glVersionAtLeast(const char* version, int major, int minor) {
  int ma = 0, mi = 0;
  if (!version || std::sscanf(version, "%d.%d", &ma, &mi) != 2) return false;
  return ma > major || (ma == major && mi >= minor);
}

inline bool glHasExtension(const char* extensions, const char* name) {
  if (!extensions) return false;
  const size_t length = std::strlen(name);
  for (const char* p = std::strstr(extensions, name); p; p = std::strstr(p + 1, name)) {
    if ((p == extensions || p[-1] == ' ') && (p[length] == ' ' || p[length] == '\0')) return true;
  }
  return false;
}

}  // namespace platform
