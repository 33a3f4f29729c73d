// The OpenGL fixed-function device, drawing into the current SDL OpenGL
// window. Only platform code and the pixel tests include this.
#pragma once

#include <memory>
#include <string>

#include "platform/device.h"
#include "platform/gl_stack.h"

namespace platform {

enum class GlDeviceError { kNone, kNoContext, kUnsupported };

// Null with `error` set when there is no usable OpenGL context (no context at
// all, or one without texture combiners).
std::unique_ptr<Device> createGlDevice(int windowWidth, int windowHeight, GlDeviceError& error);

// How OpenGL devices draw sprite stacks from now on; kAuto unless a test
// compares the ways.
void setStackComposing(StackComposing mode);

}  // namespace platform
