// The tick clock and the sleep seam: SDL's millisecond counter and SDL_Delay
// unless a test or replay has put its own in.
#include "platform/clock.h"

#include <SDL/SDL.h>

#include <utility>

namespace platform {

namespace {
std::function<uint32_t()> g_tickSource;
std::function<void(uint32_t)> g_sleeper;
std::function<uint32_t()> g_gameTickSource;
uint32_t g_pausedTotal = 0;   // ms spent in finished pauses
bool g_paused = false;
uint32_t g_pauseStart = 0;    // tick clock when the current pause began
}  // namespace

uint32_t ticks() { return g_tickSource ? g_tickSource() : SDL_GetTicks(); }

uint32_t gameTicks() {
  if (g_gameTickSource) return g_gameTickSource();
  return (g_paused ? g_pauseStart : ticks()) - g_pausedTotal;
}

void setGameTickSource(std::function<uint32_t()> source) { g_gameTickSource = std::move(source); }

void setGameClockPaused(bool paused) {
  if (paused == g_paused) return;
  if (paused) {
    g_pauseStart = ticks();
  } else {
    g_pausedTotal += ticks() - g_pauseStart;
  }
  g_paused = paused;
}

bool gameClockPaused() { return g_paused; }

void resetGameClock() {
  g_pausedTotal = 0;
  g_paused = false;
  g_pauseStart = 0;
}

void setTickSource(std::function<uint32_t()> source) { g_tickSource = std::move(source); }

void resetTickSource() {
  g_tickSource = nullptr;
  resetGameClock();
}

void sleepMs(uint32_t ms) {
  if (g_sleeper) {
    g_sleeper(ms);
  } else {
    SDL_Delay(ms);
  }
}

void setSleeper(std::function<void(uint32_t)> sleeper) { g_sleeper = std::move(sleeper); }

}  // namespace platform
