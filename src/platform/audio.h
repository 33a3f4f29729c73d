// Sound: the game's effects and its ambient loop, played through SDL_mixer.
// Without a device everything here is silent and harmless; nothing fails.
#pragma once

#include <cstdint>

namespace audio {

enum class Cue { Purchase, Drop, Bomb, TurnChange, Collect, Victory, CannotBuy, Count };

// Opens the audio device and loads data/sfx/*.wav (relative to the working
// directory). False, after at most one line on standard error, when there is
// no device or no sound file could be read; the game then runs silent. A
// missing file silences only its own cue (with the same single line). Call
// close() before SDL_Quit.
bool open(float volume, bool muted);

// Starts the cue unless the sound is closed, muted or paused, or the same
// cue started less than its minimum interval before `nowMs` (a collector
// scoring every step must not drone). True when it started.
bool play(Cue cue, uint32_t nowMs);

// Starts the quiet ambient loop; a second call while it runs does nothing.
void startAmbient();

// Holds the ambient loop and every playing effect where they are, and lets
// them go on when resumed; no new cue starts while paused.
void setPaused(bool paused);

// Muting keeps the ambient loop running silently, so unmuting brings it back
// in step. The flag is kept even while no device is open.
void setMuted(bool muted);
bool muted();

// 0..1 (anything else is clamped; NaN counts as 0).
void setVolume(float volume);

// Stops everything, frees the sounds and releases the device. Safe to call
// at any time, also twice; open() may follow.
void close();

}  // namespace audio
