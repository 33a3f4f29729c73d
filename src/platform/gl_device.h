// The OpenGL fixed-function device, drawing into the current SDL OpenGL
// window. Only platform code includes this.
#pragma once

#include <memory>
#include <string>

#include "platform/device.h"

namespace platform {

enum class GlDeviceError { kNone, kNoContext, kUnsupported };

// Null with `error` set when there is no usable OpenGL context (no context at
// all, or one without texture combiners).
std::unique_ptr<Device> createGlDevice(int windowWidth, int windowHeight, GlDeviceError& error);

}  // namespace platform
