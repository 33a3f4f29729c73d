// Shared set-up of the game benchmarks; see bench_game.h.
#include "bench_game.h"

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>

#include "app/app.h"
#include "app/data_location.h"
#include "game/game_part.h"

#include "platform/clock.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"
#include "sim/sim_step.h"

namespace bench {

uint32_t g_now = 1000;

namespace {

double clockMs(clockid_t id) {
  timespec t{};
  clock_gettime(id, &t);
  return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) / 1e6;
}

}  // namespace

double processCpuMs() { return clockMs(CLOCK_PROCESS_CPUTIME_ID); }
double threadCpuMs() { return clockMs(CLOCK_THREAD_CPUTIME_ID); }
double wallMs() { return clockMs(CLOCK_MONOTONIC); }

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

CApplication* startGame(bool realVideo) {
  if (realVideo) {
    unsetenv("SDL_VIDEODRIVER");
  } else {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
  }
  platform::setTickSource([] { return g_now; });
  platform::setSleeper([](uint32_t ms) { g_now += ms; });
  // The start-up's "Loaded: " lines would bury the figures.
  std::fflush(stdout);
  const int saved = dup(1);
  if (!std::freopen("/dev/null", "w", stdout)) return nullptr;
  auto* app = new CApplication();
  app->setSeed(7);
  app->setEventSource([](SDL_Event&) { return false; });
  const bool ok = app->startup();
  std::fflush(stdout);
  dup2(saved, 1);
  close(saved);
  if (ok) return app;
  delete app;
  return nullptr;
}

void fillBoard(CApplication& app, int settleSteps, int frames) {
  // Held by nobody and never dropped, the parts stay for the whole run.
  for (int i = 0; i < 12; ++i) {
    CGamePart* t = g_partList[static_cast<size_t>(i) % 6];
    auto copy = copyGamePart(*t);
    copy->ownerPlayer = 1 + i % 2;
    copy->setGridPosition(Vec2{40.0f + (i % 6) * 35.0f, 60.0f + (i / 6) * 50.0f});
    stamp(*copy, Vec2{0, -1});
    g_partList.push_back(copy.release());
  }
  for (int y = 1; y < g_cellGrid.height - 1; ++y)
    for (int x = 1; x < g_cellGrid.width - 1; ++x) g_cellGrid.putBlood(x, y);
  for (int i = 0; i < settleSteps; ++i) simulationStep();
  for (int i = 0; i < frames; ++i) {
    g_now += 16;
    app.runFrame(g_now);
  }
}

std::vector<double> runChild(const std::string& name, const std::vector<std::string>& env) {
  int fds[2];
  if (pipe(fds) != 0) return {};
  std::fflush(nullptr);
  const pid_t pid = fork();
  if (pid == 0) {
    close(fds[0]);
    for (const std::string& e : env) {
      const size_t eq = e.find('=');
      if (eq == std::string::npos) continue;
      if (eq + 1 == e.size()) {
        unsetenv(e.substr(0, eq).c_str());
      } else {
        setenv(e.substr(0, eq).c_str(), e.c_str() + eq + 1, 1);
      }
    }
    const std::string fd = std::to_string(fds[1]);
    execl("/proc/self/exe", "vesicor_bench", "--child", name.c_str(), fd.c_str(), static_cast<char*>(nullptr));
    _exit(127);
  }
  close(fds[1]);
  std::vector<double> figures;
  double value = 0;
  while (read(fds[0], &value, sizeof value) == static_cast<ssize_t>(sizeof value)) figures.push_back(value);
  close(fds[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) return {};
  return figures;
}

void report(int fd, const std::vector<double>& figures) {
  for (double v : figures) {
    if (write(fd, &v, sizeof v) != static_cast<ssize_t>(sizeof v)) _exit(3);
  }
}

}  // namespace bench
