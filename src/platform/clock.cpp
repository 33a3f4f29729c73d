// The tick clock and the sleep seam: SDL's millisecond counter and SDL_Delay
// unless a test or replay has put its own in.
#include "platform/clock.h"

#include <SDL/SDL.h>

#include <utility>

namespace platform {

namespace {
std::function<uint32_t()> g_tickSource;
std::function<void(uint32_t)> g_sleeper;
}  // namespace

uint32_t ticks() { return g_tickSource ? g_tickSource() : SDL_GetTicks(); }

void setTickSource(std::function<uint32_t()> source) { g_tickSource = std::move(source); }

void resetTickSource() { g_tickSource = nullptr; }

void sleepMs(uint32_t ms) {
  if (g_sleeper) {
    g_sleeper(ms);
  } else {
    SDL_Delay(ms);
  }
}

void setSleeper(std::function<void(uint32_t)> sleeper) { g_sleeper = std::move(sleeper); }

}  // namespace platform
