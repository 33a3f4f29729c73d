// The millisecond tick clock the whole game reads. Tests, replays and soak
// runs swap in their own source so a run never depends on wall time.
#pragma once

#include <cstdint>
#include <functional>

namespace platform {

// SDL's millisecond counter unless a source has been set.
uint32_t ticks();
void setTickSource(std::function<uint32_t()> source);
void resetTickSource();

// The game's own clock: the tick clock less the time the game spent paused.
// Turns, lifetimes, fades and banners run on it, so a pause stops them all;
// the main loop's pacing stays on the tick clock.
uint32_t gameTicks();
void setGameClockPaused(bool paused);
bool gameClockPaused();
// Forgets every pause: the game clock equals the tick clock again.
void resetGameClock();
// A networked match runs the game clock on its own count of steps, the
// same on both machines, instead of the tick clock; null goes back.
void setGameTickSource(std::function<uint32_t()> source);

// Waits until roughly `ms` milliseconds have passed; tests replace it so
// nothing ever sleeps in a test run.
void sleepMs(uint32_t ms);
void setSleeper(std::function<void(uint32_t)> sleeper);

}  // namespace platform
