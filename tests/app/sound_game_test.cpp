// The game's sound as a player meets it: a played stretch is heard (SDL's
// disk writer stands in for the card), M mutes and is remembered, and no
// device at all never keeps the game from starting and playing.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <string>
#include <thread>
#include <vector>

#include "app.h"
#include "platform/audio.h"
#include "support/scripted_game.h"

namespace {

using testing_support::GameScript;

long fileSize(const std::string& path) {
  struct stat st {};
  return stat(path.c_str(), &st) == 0 ? static_cast<long>(st.st_size) : 0;
}

TEST(SoundInGame, APlayedStretchIsHeardAndMIsRemembered) {
  char tmpl[] = "/tmp/vesicor-sound-XXXXXX";
  const int fd = mkstemp(tmpl);
  ASSERT_GE(fd, 0);
  close(fd);
  const std::string out = tmpl;
  setenv("SDL_AUDIODRIVER", "disk", 1);
  setenv("SDL_DISKAUDIOFILE", out.c_str(), 1);
  setenv("SDL_DISKAUDIODELAY", "2", 1);
  GameScript s;
  s.durationMs = 3000;
  s.events.push_back({2000, testing_support::keyEvent(true, SDLK_m)});
  auto r = testing_support::runGame(s, [&out](CApplication& app, uint32_t ms) {
    if (ms == 1504) {
      // Let the writer catch up with a second of output; the bound only
      // keeps a broken device from hanging the run.
      for (int poll = 0; poll < 20000 && fileSize(out) < 44100 * 2; ++poll)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (ms == 2512) std::printf("muted %d %d\n", audio::muted() ? 1 : 0, app.session().options().muted ? 1 : 0);
  });
  unsetenv("SDL_AUDIODRIVER");
  unsetenv("SDL_DISKAUDIOFILE");
  unsetenv("SDL_DISKAUDIODELAY");
  ASSERT_TRUE(r.started) << r.output;
  EXPECT_NE(r.output.find("muted 1 1\n"), std::string::npos) << r.output;

  std::ifstream in(out, std::ios::binary);
  std::vector<int16_t> samples(44100);
  in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
  int loud = 0;
  for (int16_t v : samples) loud += (v > 300 || v < -300) ? 1 : 0;
  EXPECT_GT(loud, 100) << "the first second of the game was silent";
  std::remove(out.c_str());
}

TEST(SoundInGame, NoDeviceNeverStopsTheGame) {
  for (const char* driver : {"dummy", "nonesuch"}) {
    SCOPED_TRACE(driver);
    setenv("SDL_AUDIODRIVER", driver, 1);
    GameScript s;
    s.durationMs = 2000;
    auto r = testing_support::runGame(s);
    unsetenv("SDL_AUDIODRIVER");
    EXPECT_TRUE(r.started) << r.output;
    EXPECT_FALSE(r.crashed);
    EXPECT_EQ(r.frames, 125);
  }
}

}  // namespace
