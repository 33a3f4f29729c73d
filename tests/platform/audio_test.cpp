// Sound through SDL's own drivers: the disk writer records what the mixer
// plays (16-bit stereo at 22050 Hz), so what a player would hear is checked
// as samples; missing devices and files are checked for silence and one line.
#include <gtest/gtest.h>
#include <malloc.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
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

using audio::Cue;

constexpr std::size_t kBytesPerSecond = 22050 * 2 * 2;
constexpr std::size_t kBufferBytes = 1024 * 2 * 2;

// Sets an environment variable for the guard's lifetime.
class EnvVar {
 public:
  EnvVar(const char* name, const std::string& value) : name_(name) {
    const char* old = std::getenv(name);
    hadOld_ = old != nullptr;
    if (old) old_ = old;
    setenv(name, value.c_str(), 1);
  }
  ~EnvVar() {
    if (hadOld_) {
      setenv(name_, old_.c_str(), 1);
    } else {
      unsetenv(name_);
    }
  }
  EnvVar(const EnvVar&) = delete;
  EnvVar& operator=(const EnvVar&) = delete;

 private:
  const char* name_;
  std::string old_;
  bool hadOld_ = false;
};

std::string scratchPath(const char* pattern) {
  std::string path = (std::filesystem::temp_directory_path() / pattern).string();
  std::vector<char> buf(path.begin(), path.end());
  buf.push_back('\0');
  const int fd = mkstemp(buf.data());
  EXPECT_GE(fd, 0);
  if (fd >= 0) ::close(fd);
  return buf.data();
}

// SDL's disk writer into a scratch file; a short delay between buffers lets
// it run faster than real time.
class DiskAudio {
 public:
  DiskAudio()
      : path_(scratchPath("vesicor-audio-XXXXXX")),
        driver_("SDL_AUDIODRIVER", "disk"),
        file_("SDL_DISKAUDIOFILE", path_),
        delay_("SDL_DISKAUDIODELAY", "2") {}
  ~DiskAudio() {
    audio::close();
    std::remove(path_.c_str());
  }
  DiskAudio(const DiskAudio&) = delete;
  DiskAudio& operator=(const DiskAudio&) = delete;

  std::size_t size() const {
    struct stat st {};
    return stat(path_.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_size) : 0;
  }
  // How far past the file's size at a change the output may still be from
  // before it: the buffer being mixed then, what the writer's stdio buffer
  // held (up to a block of the file system), and a buffer to spare.
  std::size_t settle() const {
    struct stat st {};
    const std::size_t block = stat(path_.c_str(), &st) == 0 ? static_cast<std::size_t>(st.st_blksize) : 0;
    return block + 2 * kBufferBytes;
  }
  // Polls until the device has written `bytes`; the bound only keeps a broken
  // device from hanging the test.
  bool waitFor(std::size_t bytes) const {
    for (int poll = 0; poll < 30000 && size() < bytes; ++poll) {
      std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return size() >= bytes;
  }
  // The samples from byte `from` to byte `to` (both channels interleaved).
  std::vector<int16_t> samples(std::size_t from, std::size_t to) const {
    std::ifstream in(path_, std::ios::binary);
    in.seekg(static_cast<std::streamoff>(from));
    std::vector<int16_t> out((to - from) / 2);
    in.read(reinterpret_cast<char*>(out.data()), static_cast<std::streamsize>(out.size() * 2));
    EXPECT_EQ(static_cast<std::size_t>(in.gcount()), out.size() * 2) << "bytes " << from << ".." << to;
    return out;
  }

 private:
  std::string path_;
  EnvVar driver_, file_, delay_;
};

int peak(const std::vector<int16_t>& samples) {
  int top = 0;
  for (int16_t s : samples) top = std::max(top, std::abs(static_cast<int>(s)));
  return top;
}

TEST(Sound, ACuePlaysThroughTheDeviceAndThenTheOutputIsSilentAgain) {
  DiskAudio out;
  ASSERT_TRUE(audio::open(1.0f, false));
  const std::size_t before = out.size();
  ASSERT_TRUE(audio::play(Cue::Bomb, 0));
  // The bomb lasts 0.95 s; wait for it and for half a second after.
  const std::size_t bombEnd = before + out.settle() + kBytesPerSecond * 95 / 100;
  const std::size_t quiet = bombEnd + out.settle();
  const std::size_t end = quiet + kBytesPerSecond / 2;
  ASSERT_TRUE(out.waitFor(end));
  audio::close();

  EXPECT_EQ(0, peak(out.samples(0, before))) << "nothing plays before the cue";
  EXPECT_GT(peak(out.samples(before, bombEnd)), 10000) << "the bomb is loud at full volume";
  EXPECT_EQ(0, peak(out.samples(quiet, end))) << "a cue plays once";
}

TEST(Sound, MutingPausingAndZeroVolumeSilenceTheAmbientLoopAndUndoingThemBringsItBack) {
  DiskAudio out;
  ASSERT_TRUE(audio::open(1.0f, true));
  EXPECT_TRUE(audio::muted());
  audio::startAmbient();
  audio::startAmbient();  // already running: no second loop

  struct Phase {
    const char* name;
    std::function<void()> action;
    bool audible;
  };
  const Phase phases[] = {
      {"muted from the start", [] {}, false},
      {"unmuted", [] { audio::setMuted(false); }, true},
      {"paused", [] { audio::setPaused(true); }, false},
      {"resumed", [] { audio::setPaused(false); }, true},
      {"volume 0", [] { audio::setVolume(0.0f); }, false},
      {"volume 0.5", [] { audio::setVolume(0.5f); }, true},
      {"muted again", [] { audio::setMuted(true); }, false},
  };
  // Each phase's stretch starts once its change has surely reached the
  // output and ends where the next change was made.
  std::vector<std::size_t> starts, ends;
  for (const Phase& phase : phases) {
    const std::size_t mark = out.size();
    if (!starts.empty()) ends.push_back(mark);
    phase.action();
    starts.push_back(starts.empty() ? 0 : mark + out.settle());
    // Two heartbeats' worth, so the quietest part of the loop is in it too.
    ASSERT_TRUE(out.waitFor(starts.back() + 2 * kBytesPerSecond)) << phase.name;
  }
  ends.push_back(out.size());
  audio::close();

  for (std::size_t i = 0; i < starts.size(); ++i) {
    const int top = peak(out.samples(starts[i], ends[i]));
    if (phases[i].audible) {
      EXPECT_GT(top, 1000) << phases[i].name;
    } else {
      EXPECT_EQ(0, top) << phases[i].name;
    }
  }
}

TEST(Sound, CuesKeepTheirMinimumIntervals) {
  DiskAudio out;
  EXPECT_FALSE(audio::play(Cue::Bomb, 0)) << "nothing plays before opening";
  ASSERT_TRUE(audio::open(0.2f, false));
  struct Step {
    Cue cue;
    uint32_t nowMs;
    bool starts;
  };
  const Step steps[] = {
      {Cue::Collect, 1000, true},       {Cue::Collect, 1399, false},
      {Cue::TurnChange, 1399, true},    {Cue::Collect, 1400, true},
      {Cue::Collect, 1401, false},      {Cue::Collect, 0xFFFFFF00u, true},
      {Cue::Collect, 0x10, false},      {Cue::Collect, 0x90, true},  // 400 ms across the wrap
      {Cue::Count, 5000, false},        {Cue::Purchase, 5000, true},
      {Cue::Purchase, 5079, false},     {Cue::Purchase, 5080, true},
  };
  for (const Step& step : steps) {
    EXPECT_EQ(step.starts, audio::play(step.cue, step.nowMs))
        << "cue " << static_cast<int>(step.cue) << " at " << step.nowMs;
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
  const std::string sourceDir = std::filesystem::current_path().string();
  std::string emptyDir = (std::filesystem::temp_directory_path() / "vesicor-nosfx-XXXXXX").string();
  ASSERT_NE(nullptr, mkdtemp(emptyDir.data()));
  struct Case {
    const char* driver;
    std::string folder;
    bool mayOpen;
    const char* says;  // part of the line when the sound stays off
  };
  const Case cases[] = {
      {"nonesuch", sourceDir, false, "No sound: "},
      {"dummy", sourceDir, true, "No sound: "},
      {"dummy", emptyDir, false, "No sound from data/sfx/purchase.wav and 7 more files ("},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.driver) + " in " + c.folder);
    EnvVar driver("SDL_AUDIODRIVER", c.driver);
    std::filesystem::current_path(c.folder);
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
    std::filesystem::current_path(sourceDir);

    if (!c.mayOpen) {
      EXPECT_FALSE(opened);
    }
    if (opened) {
      EXPECT_EQ("", printed);
    } else {
      EXPECT_EQ(1, std::count(printed.begin(), printed.end(), '\n')) << printed;
      EXPECT_EQ(0u, printed.find(c.says)) << printed;
    }
  }
  std::filesystem::remove(emptyDir);
}

std::size_t entriesIn(const char* folder) {
  std::size_t n = 0;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    (void)entry;
    ++n;
  }
  return n;
}

TEST(Sound, OpeningAndClosingAgainLeavesNoThreadFileOrMemoryBehind) {
  DiskAudio out;
  auto cycle = [] {
    ASSERT_TRUE(audio::open(0.5f, false));
    audio::play(Cue::Victory, 0);
    audio::startAmbient();
    audio::close();
  };
  cycle();  // the libraries' one-time set-up
  const std::size_t threads = entriesIn("/proc/self/task");
  const std::size_t files = entriesIn("/proc/self/fd");
  const std::size_t heap = mallinfo2().uordblks;
  for (int i = 0; i < 5; ++i) cycle();
  EXPECT_EQ(threads, entriesIn("/proc/self/task"));
  EXPECT_EQ(files, entriesIn("/proc/self/fd"));
  // The sounds alone take about 700 KiB once converted for the device.
  EXPECT_LT(mallinfo2().uordblks, heap + 64 * 1024);
}

}  // namespace
