// The game's sound as a player meets it: the ambient loop reaches the mixer
// (SDL's dummy driver stands in for the card) and is audible, M mutes and is
// remembered, and no device at all never keeps the game from starting.
#include <gtest/gtest.h>
#include <SDL/SDL_mixer.h>
#include <stdlib.h>

#include <cstdio>
#include <cstring>
#include <string>

#include "app.h"
#include "platform/audio.h"
#include "support/scripted_game.h"

namespace {

// The loudest sample of everything the mixer is playing.
int loudestPlaying() {
  int loudest = 0;
  for (int ch = 0; ch < Mix_AllocateChannels(-1); ++ch) {
    const Mix_Chunk* c = Mix_Playing(ch) ? Mix_GetChunk(ch) : nullptr;
    for (Uint32 i = 0; c && i + 1 < c->alen; i += 2) {
      int16_t v;
      std::memcpy(&v, c->abuf + i, 2);
      loudest = std::max(loudest, std::abs(int(v)));
    }
  }
  return loudest;
}

TEST(SoundInGame, TheLoopIsHeardMIsRememberedAndNoDeviceNeverStopsTheGame) {
  for (const char* driver : {"dummy", "nonesuch"}) {
    SCOPED_TRACE(driver);
    setenv("SDL_AUDIODRIVER", driver, 1);
    testing_support::GameScript s;
    s.durationMs = 3000;
    s.events = {{2000, testing_support::keyEvent(true, SDLK_m)}};
    auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
      if (ms == 1504) std::printf("loud %d\n", loudestPlaying() > 300);
      if (ms == 2512) std::printf("muted %d %d\n", app.session().options().muted, audio::muted());
    });
    unsetenv("SDL_AUDIODRIVER");
    ASSERT_TRUE(r.started && !r.crashed) << r.output;
    EXPECT_EQ(r.frames, 188);
    EXPECT_NE(r.output.find(std::string("loud ") + (driver[0] == 'd' ? "1" : "0")), std::string::npos) << r.output;
    EXPECT_NE(r.output.find("muted 1 1\n"), std::string::npos) << r.output;
  }
}

}  // namespace
