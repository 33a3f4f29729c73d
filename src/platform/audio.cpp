// The sound layer over SDL_mixer 1.2: effects on the mixer's free channels,
// the ambient loop on a channel of its own, and one line at most when the
// machine cannot play anything.
#include "platform/audio.h"

#include <SDL/SDL.h>
#include <SDL/SDL_mixer.h>

#include <cmath>
#include <iostream>
#include <string>

namespace audio {
namespace {

constexpr int kCueCount = static_cast<int>(Cue::Count);

// In the order of Cue.
const char* const kCueFiles[kCueCount] = {
    "purchase.wav", "drop.wav", "bomb.wav", "turn.wav", "collect.wav", "victory.wav", "cannot_buy.wav",
};
// The shortest time between two starts of the same cue, in ms: a cue set off
// by every step of a busy frame would otherwise stack into one loud burst.
const uint32_t kMinIntervalMs[kCueCount] = {80, 80, 150, 300, 400, 2000, 250};
const char* const kAmbientFile = "ambient.wav";
const char* const kFolder = "data/sfx/";

constexpr int kRate = 22050;
constexpr int kBufferFrames = 1024;  // about 46 ms: short enough for a cue to feel immediate
constexpr int kChannels = 16;
constexpr int kAmbientChannel = 0;  // reserved, so effects never take it

struct State {
  bool open = false;
  bool muted = false;
  bool paused = false;
  float volume = 0.8f;
  Mix_Chunk* cues[kCueCount] = {};
  Mix_Chunk* ambient = nullptr;
  bool played[kCueCount] = {};
  uint32_t lastMs[kCueCount] = {};
};

State g_state;

float clampVolume(float volume) {
  if (!(volume > 0.0f)) return 0.0f;  // also NaN
  return volume > 1.0f ? 1.0f : volume;
}

void applyVolume() {
  if (!g_state.open) return;
  const int level = g_state.muted ? 0 : static_cast<int>(std::lround(g_state.volume * MIX_MAX_VOLUME));
  Mix_Volume(-1, level);
}

void freeChunk(Mix_Chunk*& chunk) {
  if (chunk) Mix_FreeChunk(chunk);
  chunk = nullptr;
}

void freeAll() {
  for (Mix_Chunk*& chunk : g_state.cues) freeChunk(chunk);
  freeChunk(g_state.ambient);
}

// Loads every file; counts what failed and keeps the first failure's name and
// reason for the one line.
int loadAll(std::string& firstMissing, std::string& reason) {
  int missing = 0;
  auto load = [&](const char* name) -> Mix_Chunk* {
    const std::string path = std::string(kFolder) + name;
    Mix_Chunk* chunk = Mix_LoadWAV(path.c_str());
    if (!chunk) {
      if (missing == 0) {
        firstMissing = path;
        reason = Mix_GetError();
      }
      ++missing;
    }
    return chunk;
  };
  for (int i = 0; i < kCueCount; ++i) g_state.cues[i] = load(kCueFiles[i]);
  g_state.ambient = load(kAmbientFile);
  return missing;
}

}  // namespace

bool open(float volume, bool muted) {
  if (g_state.open) {
    setVolume(volume);
    setMuted(muted);
    return true;
  }
  g_state.volume = clampVolume(volume);
  g_state.muted = muted;
  g_state.paused = false;
  for (bool& played : g_state.played) played = false;

  if (SDL_InitSubSystem(SDL_INIT_AUDIO) < 0) {
    std::cerr << "No sound: no audio device (" << SDL_GetError() << ")" << std::endl;
    return false;
  }
  if (Mix_OpenAudio(kRate, AUDIO_S16SYS, 2, kBufferFrames) < 0) {
    std::cerr << "No sound: the audio device did not open (" << Mix_GetError() << ")" << std::endl;
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  std::string firstMissing, reason;
  const int missing = loadAll(firstMissing, reason);
  if (missing > 0) {
    std::cerr << "No sound from " << firstMissing;
    if (missing > 1) std::cerr << " and " << missing - 1 << " more files";
    std::cerr << " (" << reason << ")" << std::endl;
  }
  if (missing == kCueCount + 1) {
    // Nothing to play: keep no mixer thread running for silence.
    Mix_CloseAudio();
    SDL_QuitSubSystem(SDL_INIT_AUDIO);
    return false;
  }
  Mix_AllocateChannels(kChannels);
  Mix_ReserveChannels(1);
  g_state.open = true;
  applyVolume();
  return true;
}

bool play(Cue cue, uint32_t nowMs) {
  const int index = static_cast<int>(cue);
  if (!g_state.open || g_state.muted || g_state.paused || index < 0 || index >= kCueCount) return false;
  Mix_Chunk* chunk = g_state.cues[index];
  if (!chunk) return false;
  // Unsigned difference: right across the wrap of the millisecond counter.
  if (g_state.played[index] && nowMs - g_state.lastMs[index] < kMinIntervalMs[index]) return false;
  if (Mix_PlayChannel(-1, chunk, 0) < 0) return false;
  g_state.played[index] = true;
  g_state.lastMs[index] = nowMs;
  return true;
}

void startAmbient() {
  if (!g_state.open || !g_state.ambient || Mix_Playing(kAmbientChannel)) return;
  if (Mix_PlayChannel(kAmbientChannel, g_state.ambient, -1) < 0) return;
  if (g_state.paused) Mix_Pause(kAmbientChannel);
}

void setPaused(bool paused) {
  g_state.paused = paused;
  if (!g_state.open) return;
  if (paused) {
    Mix_Pause(-1);
  } else {
    Mix_Resume(-1);
  }
}

void setMuted(bool muted) {
  g_state.muted = muted;
  // Effects cut off by muting must not come back half-way through on unmuting.
  if (muted && g_state.open) {
    // Channel by channel: the browser's mixer has no channel groups.
    for (int channel = kAmbientChannel + 1; channel < kChannels; ++channel) Mix_HaltChannel(channel);
  }
  applyVolume();
}

bool muted() { return g_state.muted; }

void setVolume(float volume) {
  g_state.volume = clampVolume(volume);
  applyVolume();
}

void close() {
  if (!g_state.open) return;
  Mix_HaltChannel(-1);
  freeAll();
  Mix_CloseAudio();
  SDL_QuitSubSystem(SDL_INIT_AUDIO);
  g_state.open = false;
  g_state.paused = false;
}

}  // namespace audio
