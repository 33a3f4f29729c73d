// The game's sound as a player meets it: a played stretch is heard (SDL's
// disk writer stands in for the card), M mutes and is remembered, and no
// device at all never keeps the game from starting and playing.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app.h"
#include "platform/audio.h"
#include "support/scripted_game.h"

namespace {

TEST(SoundInGame, APlayedStretchIsHeardMIsRememberedAndNoDeviceNeverStopsTheGame) {
  char tmpl[] = "/tmp/vesicor-sound-XXXXXX";
  close(mkstemp(tmpl));
  const std::string out = tmpl;
  for (const char* driver : {"disk", "dummy", "nonesuch"}) {
    SCOPED_TRACE(driver);
    setenv("SDL_AUDIODRIVER", driver, 1);
    setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
    setenv("SDL_DISKAUDIODELAY", "2", 1);
    testing_support::GameScript s;
    s.durationMs = 3000;
    s.events = {{2000, testing_support::keyEvent(true, SDLK_m)}};
    auto r = testing_support::runGame(s, [&out](CApplication& app, uint32_t ms) {
      // Let the writer catch up with a second of output; the bound only
      // keeps a broken device from hanging the run.
      for (int poll = 0; ms == 1504 && poll < 20000 && std::filesystem::file_size(out) < 44100 * 2; ++poll)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
      if (ms == 2512) std::printf("muted %d %d\n", app.session().options().muted, audio::muted());
    });
    unsetenv("SDL_AUDIODRIVER");
    ASSERT_TRUE(r.started && !r.crashed) << r.output;
    EXPECT_EQ(r.frames, 188);
    EXPECT_NE(r.output.find(std::string(driver) == "disk" ? "muted 1 1\n" : "muted 1 "), std::string::npos) << r.output;
  }
  std::ifstream in(out, std::ios::binary);
  std::vector<int16_t> samples(44100);
  in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
  int loud = 0;
  for (int16_t v : samples) loud += (v > 300 || v < -300) ? 1 : 0;
  EXPECT_GT(loud, 100) << "the first second of the game was silent";
  std::remove(out.c_str());
}

}  // namespace
