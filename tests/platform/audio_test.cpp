// Sound through SDL's own drivers: the disk writer records what the mixer
// plays (16-bit stereo at 22050 Hz), so what a player would hear is checked
// as samples; missing devices and files are checked for silence and one line.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/audio.h"

namespace {

namespace fs = std::filesystem;
using audio::Cue;

constexpr size_t kBytesPerSecond = 22050 * 2 * 2;

// SDL's disk writer into a scratch file; a short delay between buffers lets
// it run faster than real time.
class DiskAudio {
 public:
  DiskAudio() {
    char tmpl[] = "/tmp/vesicor-audio-XXXXXX";
    close(mkstemp(tmpl));
    path_ = tmpl;
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", tmpl, 1);
    setenv("SDL_DISKAUDIODELAY", "2", 1);
  }
  ~DiskAudio() {
    audio::close();
    unsetenv("SDL_AUDIODRIVER");
    std::remove(path_.c_str());
  }
  size_t size() const { return fs::file_size(path_); }
  // How far past the file's size at a change the output may still be from
  // before it: the buffer being mixed then, what the writer's stdio buffer
  // held (up to a block of the file system), and a buffer to spare.
  size_t settle() const {
    struct stat st {};
    return (stat(path_.c_str(), &st) == 0 ? static_cast<size_t>(st.st_blksize) : 0) + 2 * 1024 * 4;
  }
  // Polls until the device has written `bytes`; the bound only keeps a broken
  // device from hanging the test.
  bool waitFor(size_t bytes) const {
    for (int poll = 0; poll < 30000 && size() < bytes; ++poll) std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return size() >= bytes;
  }
  // The loudest sample from byte `from` to byte `to`.
  int peak(size_t from, size_t to) const {
    std::ifstream in(path_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::vector<int16_t> samples((to - from) / 2);
    in.read(reinterpret_cast<char*>(samples.data()), static_cast<std::streamsize>(samples.size() * 2));
    EXPECT_EQ(static_cast<size_t>(in.gcount()), samples.size() * 2) << "bytes " << from << ".." << to;
    int top = 0;
    for (int16_t s : samples) top = std::max(top, std::abs(static_cast<int>(s)));
    return top;
  }

 private:
  std::string path_;
};

TEST(Sound, ACuePlaysOnceThroughTheDevice) {
  DiskAudio out;
  ASSERT_TRUE(audio::open(1.0f, false));
  const size_t before = out.size();
  ASSERT_TRUE(audio::play(Cue::Bomb, 0));
  // The bomb lasts 0.95 s; then half a second of quiet.
  const size_t bombEnd = before + out.settle() + kBytesPerSecond * 95 / 100, quiet = bombEnd + out.settle();
  ASSERT_TRUE(out.waitFor(quiet + kBytesPerSecond / 2));
  audio::close();
  EXPECT_EQ(out.peak(0, before), 0) << "nothing plays before the cue";
  EXPECT_GT(out.peak(before, bombEnd), 10000) << "the bomb is loud at full volume";
  EXPECT_EQ(out.peak(quiet, quiet + kBytesPerSecond / 2), 0) << "a cue plays once";
}

TEST(Sound, MutingPausingAndZeroVolumeSilenceTheAmbientLoopAndUndoingThemBringsItBack) {
  DiskAudio out;
  ASSERT_TRUE(audio::open(1.0f, true));
  EXPECT_TRUE(audio::muted());
  audio::startAmbient();
  audio::startAmbient();  // already running: no second loop
  const struct {
    const char* name;
    std::function<void()> action;
    bool audible;
  } phases[] = {
      {"muted from the start", [] {}, false},
      {"unmuted", [] { audio::setMuted(false); }, true},
      {"paused", [] { audio::setPaused(true); }, false},
      {"resumed", [] { audio::setPaused(false); }, true},
      {"volume 0", [] { audio::setVolume(0.0f); }, false},
      {"volume 0.5", [] { audio::setVolume(0.5f); }, true},
      {"muted again", [] { audio::setMuted(true); }, false},
  };
  // Each phase's stretch starts once its change has surely reached the
  // output and ends where the next change was made; two heartbeats long, so
  // the quietest part of the loop is in it too.
  std::vector<size_t> starts, ends;
  for (const auto& phase : phases) {
    const size_t mark = out.size();
    if (!starts.empty()) ends.push_back(mark);
    phase.action();
    starts.push_back(starts.empty() ? 0 : mark + out.settle());
    ASSERT_TRUE(out.waitFor(starts.back() + 2 * kBytesPerSecond)) << phase.name;
  }
  ends.push_back(out.size());
  audio::close();
  for (size_t i = 0; i < starts.size(); ++i) {
    const int top = out.peak(starts[i], ends[i]);
    EXPECT_TRUE(phases[i].audible ? top > 1000 : top == 0) << phases[i].name << ": peak " << top;
  }
}

TEST(Sound, CuesKeepTheirMinimumIntervalsAndNothingPlaysClosedPausedOrMuted) {
  DiskAudio out;
  EXPECT_FALSE(audio::play(Cue::Bomb, 0)) << "nothing plays before opening";
  ASSERT_TRUE(audio::open(0.2f, false));
  const struct {
    Cue cue;
    uint32_t nowMs;
    bool starts;
  } steps[] = {
      {Cue::Collect, 1000, true},    {Cue::Collect, 1399, false},     {Cue::TurnChange, 1399, true},
      {Cue::Collect, 1400, true},    {Cue::Collect, 1401, false},     {Cue::Collect, 0xFFFFFF00u, true},
      {Cue::Collect, 0x10, false},   {Cue::Collect, 0x90, true},  // 400 ms across the wrap
      {Cue::Count, 5000, false},     {Cue::Purchase, 5000, true},     {Cue::Purchase, 5079, false},
      {Cue::Purchase, 5080, true},
  };
  for (const auto& step : steps) {
    EXPECT_EQ(audio::play(step.cue, step.nowMs), step.starts) << "cue " << int(step.cue) << " at " << step.nowMs;
  }
  audio::setPaused(true);
  EXPECT_FALSE(audio::play(Cue::Bomb, 9000)) << "paused";
  audio::setPaused(false);
  audio::setMuted(true);
  EXPECT_FALSE(audio::play(Cue::Bomb, 9000)) << "muted";
  audio::setMuted(false);
  EXPECT_TRUE(audio::play(Cue::Bomb, 9000));
}

TEST(Sound, WithoutADeviceOrItsFilesTheGameStaysSilentWithOneLineAtMost) {
  const fs::path sourceDir = fs::current_path();
  char emptyDir[] = "/tmp/vesicor-nosfx-XXXXXX";
  ASSERT_NE(mkdtemp(emptyDir), nullptr);
  const struct {
    const char* driver;
    fs::path folder;
    bool mayOpen;
    const char* says;  // the start of the line when the sound stays off
  } cases[] = {
      {"nonesuch", sourceDir, false, "No sound: "},
      {"dummy", sourceDir, true, "No sound: "},
      {"dummy", emptyDir, false, "No sound from data/sfx/purchase.wav and 7 more files ("},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::string(c.driver) + " in " + c.folder.string());
    setenv("SDL_AUDIODRIVER", c.driver, 1);
    fs::current_path(c.folder);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const bool opened = audio::open(0.8f, false);
    for (int i = 0; i <= static_cast<int>(Cue::Count); ++i) audio::play(static_cast<Cue>(i), 0);
    audio::startAmbient();
    audio::setPaused(true);
    audio::setPaused(false);
    audio::setVolume(2.0f);
    audio::setMuted(true);
    EXPECT_TRUE(audio::muted());
    audio::setMuted(false);
    audio::close();
    audio::close();
    const std::string printed = testing::internal::GetCapturedStdout() + testing::internal::GetCapturedStderr();
    fs::current_path(sourceDir);
    unsetenv("SDL_AUDIODRIVER");
    EXPECT_TRUE(c.mayOpen || !opened);
    EXPECT_EQ(std::count(printed.begin(), printed.end(), '\n'), opened ? 0 : 1) << printed;
    EXPECT_EQ(printed.rfind(opened ? "" : c.says, 0), 0u) << printed;
  }
  fs::remove(emptyDir);
}

TEST(Sound, OpeningAndClosingAgainLeavesNoThreadFileOrMemoryBehind) {
  DiskAudio out;
  auto cycle = [] {
    ASSERT_TRUE(audio::open(0.5f, false));
    audio::play(Cue::Victory, 0);
    audio::startAmbient();
    audio::close();
  };
  auto entries = [](const char* folder) { return std::distance(fs::directory_iterator(folder), fs::directory_iterator()); };
  cycle();  // the libraries' one-time set-up
  const auto threads = entries("/proc/self/task"), files = entries("/proc/self/fd");
  const size_t heap = mallinfo2().uordblks;
  for (int i = 0; i < 5; ++i) cycle();
  EXPECT_EQ(threads, entries("/proc/self/task"));
  EXPECT_EQ(files, entries("/proc/self/fd"));
  // The sounds alone take about 700 KiB once converted for the device.
  EXPECT_LT(mallinfo2().uordblks, heap + 64 * 1024);
}

}  // namespace
