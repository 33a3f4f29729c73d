// The benchmark entry: either the Google Benchmark run, or one of the child
// processes the start-up and rendered-frame cases start fresh, so that what
// ran before in the parent cannot change their figures.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <cstring>

#include "bench_game.h"

int main(int argc, char** argv) {
  if (argc == 4 && std::strcmp(argv[1], "--child") == 0) {
    const int fd = std::atoi(argv[3]);
    if (std::strcmp(argv[2], "startup") == 0) return bench::startupChild(fd);
    if (std::strcmp(argv[2], "rendered-frame") == 0) return bench::renderedFrameChild(fd);
    return 2;
  }
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
