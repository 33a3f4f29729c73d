// Measures the memory of a long networked session: two whole games over
// localhost, the computer on both sides, short matches to a small target
// with a rematch after each, for the given minutes of game time. Each side
// prints, once a game minute, the heap in use, its resident size and what
// the match keeps for a rejoin and for the replay. Exits 0 when the heap
// grew by at most the bound (kB per hour of play, after the first five
// minutes) on both sides. Usage, from the repository root:
// vesicor_net_memory [minutes] [bound kB per hour].
#include <malloc.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "game/game_manager.h"
#include "net/net_game.h"
#include "support/scripted_game.h"

namespace {

long residentKb() {
  long pages = 0, resident = 0;
  std::ifstream("/proc/self/statm") >> pages >> resident;
  return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

int main(int argc, char** argv) {
  const int minutes = argc > 1 ? std::atoi(argv[1]) : 60;
  const long boundKbPerHour = argc > 2 ? std::atol(argv[2]) : 3072;
  if (minutes < 6) {
    std::fprintf(stderr, "usage: vesicor_net_memory [minutes, at least 6] [bound kB per hour]\n");
    return 2;
  }
  setenv("SDL_VIDEODRIVER", "dummy", 1);
  const std::string settings =
      "<Settings>\n<P1_TargetValue>\n9000\n</P1_TargetValue>\n<P2_TargetValue>\n9000\n</P2_TargetValue>\n</Settings>\n";
  testing_support::GameScript host, joiner;
  host.seed = 808;
  host.settingsXml = joiner.settingsXml = settings;
  host.netRole = 1;
  joiner.netRole = 2;
  host.netSteps = joiner.netSteps = static_cast<uint32_t>(minutes) * 60 * 62;
  host.computers = {1};
  joiner.computers = {2};
  // Enter counts only after a win: a rematch within 20 s of each.
  for (uint32_t ms = 20000; ms < static_cast<uint32_t>(minutes) * 60000; ms += 20000) {
    host.events.push_back({ms, testing_support::keyEvent(true, SDLK_RETURN)});
    host.events.push_back({ms + 100, testing_support::keyEvent(false, SDLK_RETURN)});
  }
  // Each side writes its samples to its own file: the children's standard
  // output goes to their folders.
  char tmpl[] = "/tmp/vesicor-net-memory-XXXXXX";
  if (!mkdtemp(tmpl)) return 1;
  const std::string dir = tmpl;
  auto sampler = [&](int side) {
    return [side, dir, next = 0u](CApplication& app, uint32_t gameMs) mutable {
      if (gameMs < next * 60000) return;
      net::CNetGame* net = app.network();
      const net::CLockstep* ls = net ? net->match().lockstep() : nullptr;
      std::ofstream(dir + "/side" + std::to_string(side), std::ios::app)
          << next << " " << mallinfo2().uordblks / 1024 << " " << residentKb() << " "
          << (ls ? ls->packedBytes() / 1024 : 0) << " " << (net ? net->record().bytes() / 1024 : 0) << " "
          << (app.game()->gameOver ? 1 : 0) << "\n";
      ++next;
    };
  };
  const auto sides = testing_support::runGamesTogether({host, joiner}, {sampler(1), sampler(2)});
  bool good = true;
  for (int side = 1; side <= 2; ++side) {
    const auto& r = sides[static_cast<size_t>(side - 1)];
    std::printf("side %d (%s): %u hashes compared%s\n", side, side == 1 ? "host" : "joiner", r.netCompared,
                r.started && !r.crashed ? "" : ", did not run to the end");
    std::printf("%7s %10s %10s %12s %10s %6s\n", "minute", "heap kB", "rss kB", "history kB", "record kB", "won");
    std::ifstream in(dir + "/side" + std::to_string(side));
    std::vector<long> heap;
    long m = 0, h = 0, rss = 0, hist = 0, rec = 0, over = 0;
    while (in >> m >> h >> rss >> hist >> rec >> over) {
      heap.push_back(h);
      if (m % 5 == 0 || std::getenv("NET_MEMORY_EVERY_MINUTE")) {
        std::printf("%7ld %10ld %10ld %12ld %10ld %6s\n", m, h, rss, hist, rec, over ? "yes" : "");
      }
    }
    std::remove((dir + "/side" + std::to_string(side)).c_str());
    if (heap.size() < 6 || !r.started || r.crashed) {
      good = false;
      continue;
    }
    const double hours = static_cast<double>(heap.size() - 1 - 5) / 60.0;
    const double perHour = static_cast<double>(heap.back() - heap[5]) / hours;
    std::printf("heap growth after minute 5: %.0f kB per hour (bound %ld)\n\n", perHour, boundKbPerHour);
    good = good && perHour <= static_cast<double>(boundKbPerHour);
  }
  rmdir(dir.c_str());
  return good ? 0 : 1;
}
