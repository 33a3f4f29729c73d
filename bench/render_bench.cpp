// Cost of a rendered frame on the real OpenGL device (run under
// tools/with_xvfb.sh; with Mesa that is software rendering): the shipped game
// with a full board and a dozen parts, a whole frame at a time, then layer
// group by layer group, beside one full-window textured quad as a reference.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdlib>
#include <numeric>
#include <vector>

#include "app/app.h"
#include "bench_game.h"
#include "game/game_scene.h"
#include "platform/device.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"

namespace {

constexpr int kFrames = 300;
constexpr int kGroupFrames = 150;
constexpr int kQuads = 150;

// Figures the child sends, in this order.
enum Figure {
  kFrameWall,
  kFrameMedian,
  kFrameP95,
  kFrameCpu,
  kBackdropWall,
  kSpritesWall,
  kBloodWall,
  kPresentWall,
  kBackdropCpu,
  kSpritesCpu,
  kBloodCpu,
  kQuadWall,
  kQuadCpu,
  kFigureCount
};

double mean(const std::vector<double>& v) { return std::accumulate(v.begin(), v.end(), 0.0) / double(v.size()); }

double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  return v[std::min(v.size() - 1, static_cast<size_t>(p * double(v.size())))];
}

// Shows only the sprites `keep` accepts; returns the previous flags.
template <class Keep>
std::vector<bool> showOnly(Keep keep) {
  std::vector<bool> before;
  for (CSprite* s : spriteList()) {
    before.push_back(s->hidden);
    if (!keep(s)) s->hidden = true;
  }
  return before;
}

void restore(const std::vector<bool>& before) {
  size_t i = 0;
  for (CSprite* s : spriteList()) s->hidden = before[i++];
}

// llvmpipe on one thread unless the argument is 0 (Mesa's default).
void BM_RenderedFrame(benchmark::State& state) {
  if (!std::getenv("DISPLAY")) {
    state.SkipWithError("needs an X display: run under tools/with_xvfb.sh");
    return;
  }
  const std::string threads = state.range(0) == 0 ? "" : std::to_string(state.range(0));
  for (auto _ : state) {
    const std::vector<double> f = bench::runChild("rendered-frame", {"LP_NUM_THREADS=" + threads});
    if (f.size() != kFigureCount) {
      state.SkipWithError("the game did not start on the OpenGL device");
      return;
    }
    state.SetIterationTime(f[kFrameWall] / 1000.0);
    state.counters["frame_median_ms"] = f[kFrameMedian];
    state.counters["frame_p95_ms"] = f[kFrameP95];
    state.counters["frame_cpu_ms"] = f[kFrameCpu];
    state.counters["backdrop_ms"] = f[kBackdropWall];
    state.counters["sprites_ms"] = f[kSpritesWall];
    state.counters["blood_ms"] = f[kBloodWall];
    state.counters["present_ms"] = f[kPresentWall];
    state.counters["backdrop_cpu_ms"] = f[kBackdropCpu];
    state.counters["sprites_cpu_ms"] = f[kSpritesCpu];
    state.counters["blood_cpu_ms"] = f[kBloodCpu];
    state.counters["quad_ms"] = f[kQuadWall];
    state.counters["quad_cpu_ms"] = f[kQuadCpu];
    state.counters["frame_per_quad"] = f[kFrameWall] / f[kQuadWall];
  }
}
BENCHMARK(BM_RenderedFrame)->ArgName("llvmpipe_threads")->Arg(1)->Arg(0)->UseManualTime()->Unit(
    benchmark::kMillisecond)->Iterations(1);

}  // namespace

int bench::renderedFrameChild(int fd) {
  if (!enterRunFolder()) return 1;
  CApplication* app = startGame(true);
  if (!app) return 1;
  platform::Device* dev = platform::device();
  fillBoard(*app, 600, 60);

  std::vector<double> figures(kFigureCount, 0.0);
  std::vector<double> wall, cpu;
  for (int i = 0; i < kFrames; ++i) {
    const double w0 = wallMs(), c0 = processCpuMs();
    g_now += 16;
    app->runFrame(g_now);
    dev->finish();
    wall.push_back(wallMs() - w0);
    cpu.push_back(processCpuMs() - c0);
  }
  figures[kFrameWall] = mean(wall);
  figures[kFrameMedian] = percentile(wall, 0.5);
  figures[kFrameP95] = percentile(wall, 0.95);
  figures[kFrameCpu] = mean(cpu);

  // The same frames drawn group by group, each waited for on its own.
  const CGameScene* scene = app->scene();
  auto inBackdrop = [scene](const CSprite* s) {
    return s == scene->background || std::find(scene->copies.begin(), scene->copies.end(), s) != scene->copies.end();
  };
  std::vector<double> groupWall[4], groupCpu[4];
  for (int i = 0; i < kGroupFrames; ++i) {
    g_now += 16;
    app->advanceFrame(g_now);
    dev->finish();
    double w = wallMs(), c = processCpuMs();
    auto lap = [&](int group) {
      dev->finish();
      const double w1 = wallMs(), c1 = processCpuMs();
      groupWall[group].push_back(w1 - w);
      groupCpu[group].push_back(c1 - c);
      w = w1;
      c = c1;
    };
    dev->beginScene();
    dev->clear(0);
    std::vector<bool> flags = showOnly(inBackdrop);
    drawFirstPass();
    restore(flags);
    lap(0);
    flags = showOnly([&](const CSprite* s) { return !inBackdrop(s); });
    drawFirstPass();
    drawSecondPass();
    restore(flags);
    lap(1);
    g_cellGrid.draw();
    lap(2);
    dev->endScene();
    dev->present();
    lap(3);
  }
  figures[kBackdropWall] = mean(groupWall[0]);
  figures[kSpritesWall] = mean(groupWall[1]);
  figures[kBloodWall] = mean(groupWall[2]);
  figures[kPresentWall] = mean(groupWall[3]);
  figures[kBackdropCpu] = mean(groupCpu[0]);
  figures[kSpritesCpu] = mean(groupCpu[1]);
  figures[kBloodCpu] = mean(groupCpu[2]);

  // The reference: one opaque picture over the whole window, nothing else.
  CSprite* quad = createSprite("data/gfx/background.jpg", 100);
  const std::vector<bool> flags = showOnly([quad](const CSprite* s) { return s == quad; });
  wall.clear();
  cpu.clear();
  for (int i = 0; i < kQuads; ++i) {
    dev->finish();
    const double w0 = wallMs(), c0 = processCpuMs();
    dev->beginScene();
    dev->clear(0);
    drawFirstPass();
    dev->endScene();
    dev->finish();
    wall.push_back(wallMs() - w0);
    cpu.push_back(processCpuMs() - c0);
  }
  restore(flags);
  destroySprite(quad);
  figures[kQuadWall] = mean(wall);
  figures[kQuadCpu] = mean(cpu);
  report(fd, figures);
  return 0;
}
