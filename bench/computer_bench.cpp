// The computer player's CPU per frame over whole matches: every step of its
// look-ahead and hands timed on the thread's CPU clock, headless, in a fresh
// child process per match (the game's globals are built once per process).
// A match is played three times; it is the same match each time, so a frame
// counts with the least CPU it took, which leaves out the odd millisecond a
// busy or virtual machine charges to whatever thread is running.
// Reported, per computer and frame: the most any took, the 99th percentile
// and the mean.
#include <benchmark/benchmark.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/data_location.h"
#include "ai/computer_player.h"
#include "game/game_manager.h"
#include "game/player_input.h"
#include "platform/clock.h"

namespace {

double threadCpuUs() {
  timespec t{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) * 1e6 + static_cast<double>(t.tv_nsec) / 1e3;
}

// A private data folder whose pictures and parts link to the shipped ones;
// the settings are the shipped ones unless a target is given.
bool enterMatchFolder(int target, std::string& root) {
  if (!enterDataFolder()) return false;
  char buf[PATH_MAX];
  const std::string repo = getcwd(buf, sizeof(buf)) ? buf : ".";
  char tmpl[] = "/tmp/vesicor-aibench-XXXXXX";
  if (!mkdtemp(tmpl)) return false;
  root = tmpl;
  mkdir((root + "/data").c_str(), 0755);
  if (symlink((repo + "/data/gfx").c_str(), (root + "/data/gfx").c_str()) != 0) return false;
  if (symlink((repo + "/data/parts").c_str(), (root + "/data/parts").c_str()) != 0) return false;
  std::ofstream settings(root + "/data/settings.xml");
  if (target > 0) {
    const std::string t = std::to_string(target);
    settings << "<Settings><P1_InitValue>5000</P1_InitValue><P2_InitValue>5000</P2_InitValue><P1_TargetValue>" << t
             << "</P1_TargetValue><P2_TargetValue>" << t
             << "</P2_TargetValue><TurnLength>5000</TurnLength><ChangeTime>749</ChangeTime>"
                "<DraggingAllowed>0</DraggingAllowed></Settings>";
  } else {
    std::ifstream src(repo + "/data/settings.xml");
    settings << src.rdbuf();
  }
  std::ofstream(root + "/data/app_settings.xml") << "<Settings><Debug>0</Debug><SpriteDevice>1</SpriteDevice></Settings>";
  return chdir(root.c_str()) == 0;
}

void removeMatchFolder(const std::string& root) {
  if (root.empty() || chdir("/") != 0) return;
  for (const char* name : {"gfx", "parts", "settings.xml", "settings.xml.bak", "app_settings.xml"}) {
    unlink((root + "/data/" + name).c_str());
  }
  rmdir((root + "/data").c_str());
  rmdir(root.c_str());
}

// Plays one match in this process and returns each computer's CPU in every
// frame, in microseconds.
std::vector<double> playMatch(bool bothSides, int target) {
  std::vector<double> perFrame;
  std::fflush(stdout);
  std::freopen("/dev/null", "w", stdout);
  std::string root;
  if (!enterMatchFolder(target, root)) {
    removeMatchFolder(root);
    return perFrame;
  }
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  uint32_t now = 1000;
  platform::setTickSource([&now] { return now; });
  platform::setSleeper([&now](uint32_t ms) { now += ms; });
  CApplication app;
  app.setSeed(11);
  app.setEventSource([](SDL_Event&) { return false; });
  if (!app.startup()) {
    removeMatchFolder(root);
    return perFrame;
  }
  // The computers are driven here rather than by the application, so their
  // work alone is on the clock; what they do is the same.
  std::vector<std::unique_ptr<CComputerPlayer>> computers;
  if (bothSides) computers.push_back(std::make_unique<CComputerPlayer>(1, 101));
  computers.push_back(std::make_unique<CComputerPlayer>(2, 202));
  std::vector<PlayerInput> inputs;
  const uint32_t limit = now + 30 * 60000;
  while (!app.game()->gameOver && now < limit) {
    now += 16;
    app.runFrame(now);
    for (auto& computer : computers) {
      inputs.clear();
      const double t0 = threadCpuUs();
      computer->step(*app.game(), app.drag(), inputs);
      perFrame.push_back(threadCpuUs() - t0);
      for (const PlayerInput& in : inputs) applyPlayerInput(in, *app.game(), app.drag());
    }
  }
  removeMatchFolder(root);
  return perFrame;
}

// Plays the match in a child process and reads back its frames' CPU.
bool playInChild(bool bothSides, int target, std::vector<double>& frames) {
  int fds[2];
  if (pipe(fds) != 0) return false;
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    const std::vector<double> played = playMatch(bothSides, target);
    const size_t bytes = played.size() * sizeof(double);
    const bool ok = write(fds[1], &bytes, sizeof bytes) == static_cast<ssize_t>(sizeof bytes) &&
                    (bytes == 0 || write(fds[1], played.data(), bytes) == static_cast<ssize_t>(bytes));
    _exit(ok ? 0 : 2);
  }
  close(fds[1]);
  size_t bytes = 0;
  bool ok = read(fds[0], &bytes, sizeof bytes) == static_cast<ssize_t>(sizeof bytes);
  frames.assign(ok ? bytes / sizeof(double) : 0, 0.0);
  size_t got = 0;
  while (ok && got < bytes) {
    const ssize_t n = read(fds[0], reinterpret_cast<char*>(frames.data()) + got, bytes - got);
    if (n <= 0) ok = false;
    got += n > 0 ? static_cast<size_t>(n) : 0;
  }
  close(fds[0]);
  waitpid(pid, nullptr, 0);
  return ok && !frames.empty();
}

void BM_ComputerPerFrameOverAMatch(benchmark::State& state) {
  const bool bothSides = state.range(0) != 0;
  const int target = static_cast<int>(state.range(1));
  for (auto _ : state) {
    std::vector<double> least;
    for (int run = 0; run < 3; ++run) {
      std::vector<double> frames;
      if (!playInChild(bothSides, target, frames) || (!least.empty() && frames.size() != least.size())) {
        state.SkipWithError("the match did not run, or not the same way twice");
        return;
      }
      if (least.empty()) {
        least = frames;
      } else {
        for (size_t i = 0; i < frames.size(); ++i) least[i] = std::min(least[i], frames[i]);
      }
    }
    double sum = 0;
    for (double f : least) sum += f;
    const double mean = sum / static_cast<double>(least.size());
    std::sort(least.begin(), least.end());
    state.SetIterationTime(mean / 1e6);
    state.counters["max_frame_us"] = least.back();
    state.counters["p99_frame_us"] = least[least.size() * 99 / 100];
    state.counters["mean_frame_us"] = mean;
    state.counters["computer_frames"] = static_cast<double>(least.size());
  }
}
// Against an idle player 1 with the shipped settings; against itself to 9000.
BENCHMARK(BM_ComputerPerFrameOverAMatch)
    ->Args({0, 0})
    ->Args({1, 9000})
    ->UseManualTime()
    ->Unit(benchmark::kMicrosecond)
    ->Iterations(1);

}  // namespace
