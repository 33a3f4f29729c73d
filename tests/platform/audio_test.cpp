// Sound through SDL's own drivers: the disk writer records what the mixer
// plays (16-bit stereo at 22050 Hz), so what a player would hear is checked
// as samples; missing devices and files are checked for silence and one line.
#include <gtest/gtest.h>
#include <malloc.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>

#include "platform/audio.h"

namespace {

namespace fs = std::filesystem;
using audio::Cue;

constexpr size_t kBytesPerSecond = 22050 * 2 * 2;
// How far past the file's size output from before a change may still land (buffers in flight).
constexpr size_t kSettle = 64 * 1024;

// SDL's disk writer into a scratch file, paced by SDL a little faster than real time.
struct DiskAudio {
  DiskAudio() {
    char tmpl[] = "/tmp/vesicor-audio-XXXXXX";
    close(mkstemp(tmpl));
    path = tmpl;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", tmpl, 1);
    setenv("SDL_DISKAUDIODELAY", "2", 1);
  }
  ~DiskAudio() {
    audio::close();
    unsetenv("SDL_AUDIODRIVER");
    std::remove(path.c_str());
  }
  size_t size() const { return fs::file_size(path); }
  // The loudest sample once the device wrote that far; a device that stops
  // writing hangs here until ctest's timeout fails the test.
  int peak(size_t from, size_t to) const {
    while (size() < to) std::this_thread::yield();
    std::ifstream in(path, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::vector<int16_t> samples((to - from) / 2);
    in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
    int top = 0;
    for (int16_t s : samples) top = std::max(top, std::abs(static_cast<int>(s)));
    return top;
  }
  std::string path;
};

TEST(Sound, ACuePlaysOnceAndMutingPausingAndZeroVolumeSilenceTheLoopUntilUndone) {
  DiskAudio out;
  ASSERT_TRUE(audio::open(1.0f, false));
  const struct { const char* name; std::function<void()> action; bool audible; } phases[] = {
      {"the bomb", [] { EXPECT_TRUE(audio::play(Cue::Bomb, 0)); }, true},
      {"after the bomb", [] {}, false},
      {"muted loop", [] { audio::setMuted(true), audio::startAmbient(), audio::startAmbient(); }, false},
      {"unmuted", [] { audio::setMuted(false); }, true},
      {"paused", [] { audio::setPaused(true); }, false},
      {"resumed", [] { audio::setPaused(false); }, true},
      {"volume 0", [] { audio::setVolume(0.0f); }, false},
      {"volume 0.5", [] { audio::setVolume(0.5f); }, true},
      {"muted again", [] { audio::setMuted(true); }, false},
  };
  // Each stretch starts once its change surely reached the output; two seconds
  // hold the loop's quietest beat and the whole bomb.
  for (const auto& phase : phases) {
    const size_t from = out.size() + kSettle;
    phase.action();
    const int top = out.peak(from, from + 2 * kBytesPerSecond);
    EXPECT_TRUE(phase.audible ? top > 1000 : top == 0) << phase.name << ": peak " << top;
  }
}

TEST(Sound, WithoutADeviceOrItsFilesTheGameStaysSilentWithOneLineAtMost) {
  const fs::path sourceDir = fs::current_path();
  char emptyDir[] = "/tmp/vesicor-nosfx-XXXXXX";
  ASSERT_NE(mkdtemp(emptyDir), nullptr);
  // `says` starts the one line printed when the sound stays off; null where it may open.
  const struct { const char* driver; fs::path folder; const char* says; } cases[] = {
      {"nonesuch", sourceDir, "No sound: "},
      {"dummy", sourceDir, nullptr},
      {"dummy", emptyDir, "No sound from data/sfx/purchase.wav and 7 more files ("},
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
  fs::remove(emptyDir);
}

// The cue intervals on an injected clock, then the same device reopened.
TEST(Sound, CuesKeepTheirMinimumIntervalsAndReopeningLeavesNoThreadFileOrMemoryBehind) {
  DiskAudio out;
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
}

}  // namespace
