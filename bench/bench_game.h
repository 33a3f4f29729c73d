// What the game benchmarks share: a private run folder, the shipped game on
// a fake clock with a full board and a dozen parts, CPU clocks, and fresh
// child processes that report their figures back through a pipe.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

class CApplication;

namespace bench {

// Game milliseconds of the fake clock every benchmark game runs on.
extern uint32_t g_now;

// Enters a private copy of the data folder (the game rewrites its settings).
bool enterRunFolder();

// Starts the game headless (null device) or on the real video driver, with
// standard output silenced during start-up. Null when it did not start.
CApplication* startGame(bool realVideo);

// A dozen bought parts spread over the arena and blood in every free slot,
// then `settleSteps` simulation steps and `frames` whole frames.
void fillBoard(CApplication& app, int settleSteps, int frames);

double processCpuMs();
double threadCpuMs();
double wallMs();

// Runs this benchmark executable again as `name` in a fresh process with
// extra environment entries ("NAME=value", or "NAME=" to remove one), and
// returns the numbers the child wrote; empty when it failed.
std::vector<double> runChild(const std::string& name, const std::vector<std::string>& env);

// In a child: sends the figures to the parent.
void report(int fd, const std::vector<double>& figures);

// Child entries, dispatched by bench_main.cpp.
int startupChild(int fd);
int renderedFrameChild(int fd);

}  // namespace bench
