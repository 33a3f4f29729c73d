// Sound through SDL's own drivers: missing devices and files mean silence
// and one line, cues keep their spacing, and reopening leaks nothing. What
// the mixer plays in a game is the main loop test's.
#include <gtest/gtest.h>
#include <malloc.h>
#include <stdlib.h>

#include <filesystem>

#include "platform/audio.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using audio::Cue;

TEST(Sound, WithoutADeviceOrItsFilesTheGameStaysSilentWithOneLineAtMost) {
  const fs::path sourceDir = fs::current_path();
  const testing_support::TempFolder emptyDir;
  // `says` starts the one line printed when the sound stays off; null where it may open.
  const struct { const char* driver; fs::path folder; const char* says; } cases[] = {
      {"nonesuch", sourceDir, "No sound: "},
      {"dummy", sourceDir, nullptr},
      {"dummy", emptyDir.path(), "No sound from data/sfx/purchase.wav and 7 more files ("},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.driver) + " in " + c.folder.string());
    setenv("SDL_AUDIODRIVER", c.driver, 1);
    fs::current_path(c.folder);
    testing::internal::CaptureStderr();
    const bool opened = audio::open(0.8f, false);
    for (int i = 0; i <= static_cast<int>(Cue::Count); ++i) audio::play(static_cast<Cue>(i), 0);
    audio::startAmbient(), audio::setVolume(2.0f), audio::close(), audio::close();
    const std::string printed = testing::internal::GetCapturedStderr();
    fs::current_path(sourceDir);
    unsetenv("SDL_AUDIODRIVER");
    EXPECT_TRUE(opened ? !c.says && printed.empty()
                       : printed.rfind(c.says ? c.says : "No sound", 0) == 0 && std::count(printed.begin(), printed.end(), '\n') == 1)
        << printed;
  }
}

// The cue intervals on an injected clock, then the same device reopened.
TEST(Sound, CuesKeepTheirMinimumIntervalsAndReopeningLeavesNoThreadFileOrMemoryBehind) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  EXPECT_FALSE(audio::play(Cue::Bomb, 0)) << "nothing plays before opening";
  ASSERT_TRUE(audio::open(0.2f, false));
  const struct { Cue cue; uint32_t nowMs; bool starts; } steps[] = {
      {Cue::Collect, 1000, true},  {Cue::Collect, 1399, false}, {Cue::TurnChange, 1399, true},
      {Cue::Collect, 1400, true},  {Cue::Collect, 1401, false}, {Cue::Collect, 0xFFFFFF00u, true},
      {Cue::Collect, 0x10, false}, {Cue::Collect, 0x90, true},  // 400 ms across the wrap
      {Cue::Count, 5000, false},   {Cue::Purchase, 5000, true}, {Cue::Purchase, 5079, false},
      {Cue::Purchase, 5080, true},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(audio::play(step.cue, step.nowMs), step.starts) << "cue " << int(step.cue) << " at " << step.nowMs;
  }
  audio::setPaused(true);
  EXPECT_FALSE(audio::play(Cue::Bomb, 9000)) << "paused";
  audio::setPaused(false), audio::setMuted(true);
  EXPECT_FALSE(audio::play(Cue::Bomb, 9000)) << "muted";
  audio::close();  // this first round also did the libraries' one-time set-up
  auto entries = [](const char* folder) { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); };
  const auto threads = entries("/proc/self/task"), files = entries("/proc/self/fd");
  const size_t heap = mallinfo2().uordblks;
  for (int i = 0; i < 5; ++i) {
    EXPECT_TRUE(audio::open(0.5f, false) && audio::play(Cue::Victory, 0));
    audio::startAmbient(), audio::close();
  }
  EXPECT_EQ(threads, entries("/proc/self/task"));
  EXPECT_EQ(files, entries("/proc/self/fd"));
  // The sounds alone take about 700 KiB once converted for the device.
  EXPECT_LT(mallinfo2().uordblks, heap + 64 * 1024);
  unsetenv("SDL_AUDIODRIVER");
}

}  // namespace
