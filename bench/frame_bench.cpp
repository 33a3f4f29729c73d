// Cost of the whole game on the CPU: one frame of the shipped game with a
// board full of blood and a dozen placed parts (simulation, game update and
// drawing through the null device), and start-up to the first frame.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>

#include "app.h"
#include "data_location.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "globals.h"
#include "platform/clock.h"
#include "sim/cell_grid.h"

namespace {

uint32_t g_now = 1000;

// The game rewrites data/settings.xml at start, so it runs in a private folder
// whose pictures and parts link to the shipped ones.
bool enterRunFolder() {
  if (!enterDataFolder()) return false;
  char buf[PATH_MAX];
  std::string repo = getcwd(buf, sizeof(buf)) ? buf : ".";
  char tmpl[] = "/tmp/vesicor-bench-XXXXXX";
  if (!mkdtemp(tmpl)) return false;
  std::string root = tmpl;
  mkdir((root + "/data").c_str(), 0755);
  if (symlink((repo + "/data/gfx").c_str(), (root + "/data/gfx").c_str()) != 0) return false;
  if (symlink((repo + "/data/parts").c_str(), (root + "/data/parts").c_str()) != 0) return false;
  std::ifstream src(repo + "/data/settings.xml");
  std::ofstream(root + "/data/settings.xml") << src.rdbuf();
  std::ofstream(root + "/data/app_settings.xml") << "<Settings><Debug>0</Debug><SpriteDevice>1</SpriteDevice></Settings>";
  return chdir(root.c_str()) == 0;
}

CApplication* startGame() {
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  platform::setTickSource([] { return g_now; });
  platform::setSleeper([](uint32_t ms) { g_now += ms; });
  auto* app = new CApplication();
  app->setSeed(7);
  app->setEventSource([](SDL_Event&) { return false; });
  if (!app->startup()) return nullptr;
  return app;
}

void BM_FullBoardFrame(benchmark::State& state) {
  static CApplication* app = nullptr;
  if (!app) {
    // The start-up's "Loaded: " lines would bury the figures.
    std::fflush(stdout);
    int saved = dup(1);
    std::freopen("/dev/null", "w", stdout);
    bool ok = enterRunFolder() && (app = startGame()) != nullptr;
    std::fflush(stdout);
    dup2(saved, 1);
    close(saved);
    if (!ok) {
      state.SkipWithError("the game did not start");
      return;
    }
    // A dozen bought parts spread over the arena, held by nobody and never
    // dropped, so they stay for the whole run.
    for (int i = 0; i < 12; ++i) {
      CGamePart* t = g_partList[static_cast<size_t>(i) % 6];
      auto copy = copyGamePart(*t);
      copy->ownerPlayer = 1 + i % 2;
      copy->setGridPosition(Vec2{40.0f + (i % 6) * 35.0f, 60.0f + (i / 6) * 50.0f});
      stamp(*copy, Vec2{0, -1});
      g_partList.push_back(copy.release());
    }
    // Fill every free slot with blood, then let it settle for a while.
    for (int y = 1; y < g_cellGrid.height - 1; ++y)
      for (int x = 1; x < g_cellGrid.width - 1; ++x) g_cellGrid.putBlood(x, y);
    for (int i = 0; i < 600; ++i) {
      g_now += 16;
      app->runFrame(g_now);
    }
  }
  for (auto _ : state) {
    g_now += 16;
    app->runFrame(g_now);
  }
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  state.counters["peak_rss_MiB"] = static_cast<double>(ru.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_FullBoardFrame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// Start-up measured in a fresh child each time, since the game's globals are
// built once per process.
void BM_StartupToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    int fds[2];
    if (pipe(fds) != 0) {
      state.SkipWithError("pipe");
      return;
    }
    pid_t pid = fork();
    if (pid == 0) {
      close(fds[0]);
      std::freopen("/dev/null", "w", stdout);
      auto t0 = std::chrono::steady_clock::now();
      double ms = -1;
      if (enterRunFolder()) {
        if (CApplication* app = startGame()) {
          g_now += 16;
          app->runFrame(g_now);
          ms = std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
          rusage ru{};
          getrusage(RUSAGE_SELF, &ru);
          double out[2] = {ms, static_cast<double>(ru.ru_maxrss)};
          if (write(fds[1], out, sizeof out) != sizeof out) _exit(2);
        }
      }
      _exit(0);
    }
    close(fds[1]);
    double in[2] = {-1, 0};
    ssize_t n = read(fds[0], in, sizeof in);
    close(fds[0]);
    waitpid(pid, nullptr, 0);
    if (n != sizeof in || in[0] < 0) {
      state.SkipWithError("the game did not start");
      return;
    }
    state.SetIterationTime(in[0] / 1000.0);
    state.counters["rss_after_first_frame_MiB"] = in[1] / 1024.0;
  }
}
BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace
