// Cost of the whole game on the CPU: one frame of the shipped game with a
// board full of blood and a dozen placed parts (simulation, game update and
// drawing through the null device), and start-up to the first frame in a
// fresh process.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include "app/app.h"
#include "bench_game.h"

namespace {

void BM_FullBoardFrame(benchmark::State& state) {
  static CApplication* app = nullptr;
  if (!app) {
    if (!bench::enterRunFolder() || (app = bench::startGame(false)) == nullptr) {
      state.SkipWithError("the game did not start");
      return;
    }
    bench::fillBoard(*app, 0, 600);
  }
  for (auto _ : state) {
    bench::g_now += 16;
    app->runFrame(bench::g_now);
  }
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  state.counters["peak_rss_MiB"] = static_cast<double>(ru.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_FullBoardFrame)->Unit(benchmark::kMicrosecond)->MinTime(2.0);

// From the fork to the end of the first frame: loading the program, its
// static start, the game's start-up and one frame, headless.
void BM_StartupToFirstFrame(benchmark::State& state) {
  for (auto _ : state) {
    const double t0 = bench::wallMs();
    const std::vector<double> got = bench::runChild("startup", {});
    if (got.size() != 3) {
      state.SkipWithError("the game did not start");
      return;
    }
    state.SetIterationTime((got[0] - t0) / 1000.0);
    state.counters["child_cpu_ms"] = got[1];
    state.counters["rss_after_first_frame_MiB"] = got[2] / 1024.0;
  }
}
BENCHMARK(BM_StartupToFirstFrame)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int bench::startupChild(int fd) {
  if (!enterRunFolder()) return 1;
  CApplication* app = startGame(false);
  if (!app) return 1;
  g_now += 16;
  app->runFrame(g_now);
  const double done = wallMs();
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  const double cpu = static_cast<double>(ru.ru_utime.tv_sec + ru.ru_stime.tv_sec) * 1e3 +
                     static_cast<double>(ru.ru_utime.tv_usec + ru.ru_stime.tv_usec) / 1e3;
  report(fd, {done, cpu, static_cast<double>(ru.ru_maxrss)});
  return 0;
}
