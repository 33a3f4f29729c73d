// Scripted headless runs of the whole game; see scripted_game.h.
#include "support/scripted_game.h"

#include <sys/mman.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>
#include <utility>

#include "app/app.h"
#include "game/game_manager.h"
#include "game/game_part.h"

#include "net/net_game.h"
#include "game/world_hash.h"
#include "platform/clock.h"
#include "platform/joysticks.h"
#include "platform/key_map.h"

namespace fs = std::filesystem;

namespace testing_support {
namespace {

std::string readFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// A private data folder per run: pictures, parts and sounds linked, settings
// copied, since the game rewrites data/settings.xml at every start.
std::string makeRunFolder(const GameScript& s) {
  char tmpl[] = "/tmp/vesicor-run-XXXXXX";
  if (!mkdtemp(tmpl)) return {};
  const std::string root = tmpl;
  std::error_code failed;
  fs::create_directory(root + "/data", failed);
  for (const auto& [from, to] : {std::pair{s.gfxDir, "gfx"}, {s.partsDir, "parts"}, {s.sfxDir, "sfx"}}) {
    if (!failed) fs::create_directory_symlink(fs::absolute(from), root + "/data/" + to, failed);
  }
  if (failed) return {};
  if (!s.settingsXml.empty()) std::ofstream(root + "/data/settings.xml") << s.settingsXml;
  if (!s.optionsXml.empty()) std::ofstream(root + "/data/options.xml") << s.optionsXml;
  std::ofstream(root + "/data/app_settings.xml")
      << (s.appSettingsXml.empty() ? "<Settings><Debug>0</Debug><SpriteDevice>1</SpriteDevice></Settings>\n"
                                   : s.appSettingsXml);
  return root;
}

// The game clocks of runGamesTogether's sides with a simulated link, shared
// between their processes: side i runs its frame at T once every earlier
// side has run its frame at T and every later one its frame before, so the
// packets of each frame have reached the other side before it looks.
std::atomic<uint32_t>* g_clocks = nullptr;
size_t g_sides = 0, g_self = 0;
constexpr uint32_t kGone = UINT32_MAX;
// Beside the clocks: the port the host of runGamesTogether was given by the
// system, for the joining side (and a host started again, to be found where
// the other side looks for it).
std::atomic<uint32_t>* g_hostPort = nullptr;

// The port a networked side of runGamesTogether uses when its script names
// none; 0 when it cannot know (the host then asks for any free port).
uint16_t sharedPort(const GameScript& s) {
  if (s.netPort != 0 || !g_hostPort) return s.netPort;
  // Only a guard against a host that never starts; the joiner normally
  // waits for the host's few milliseconds of start-up.
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(120);
  while (s.netRole == 2 && g_hostPort->load() == 0 && std::chrono::steady_clock::now() < until) {
    std::this_thread::yield();
  }
  return static_cast<uint16_t>(g_hostPort->load());
}

bool othersCaughtUp(uint32_t frameAt) {
  for (size_t j = 0; j < g_sides; ++j) {
    if (j != g_self && g_clocks[j].load() < (j < g_self ? frameAt : frameAt - 16)) return false;
  }
  return true;
}

// The networked side's loop: a frame runs only when its step's inputs are
// in (or, over a simulated link, in turn with the other side), so game time
// never passes while the other process is busy or the two are connecting.
int playNetworkSide(CApplication& app, const GameScript& s, const FrameHook& hook, uint32_t& now, std::ostream& result) {
  const uint32_t start = now;
  net::CNetGame& net = *app.network();
  const auto realStart = std::chrono::steady_clock::now();
  const uint32_t hashes = s.netSteps / net::CLockstep::kHashEverySteps;
  auto waitForOther = [&] {
    net.match().link().service(2);
    net.pump(now);
    net.flush(now);
  };
  const bool timed = g_clocks && (s.netLossPercent > 0 || s.netDelayMs > 0);
  if (timed) net.match().link().impair({s.netLossPercent, s.netDelayMs, s.seed}, [&now] { return now; });
  int frames = 0;
  int lingering = 0;
  bool waited = false;
  while (app.running() && (!net.ended() || (s.netWaitForRejoin && !waited)) &&
         std::chrono::steady_clock::now() - realStart < std::chrono::seconds(600)) {
    if (net.ended()) {
      waited = true;
      net.waitForOther();
      continue;
    }
    const net::CLockstep* ls = net.match().lockstep();
    if (s.netLeaveAtStep && ls && net.playing() && ls->nextStep() >= s.netLeaveAtStep) {
      net.leave();
      break;
    }
    const bool done = ls && net.playing() && ls->nextStep() >= s.netSteps;
    if (timed && net.playing()) {
      if (g_clocks[g_self] == 0) g_clocks[g_self] = now;
      if (!othersCaughtUp(now + 16)) {
        net.match().link().service(1);
        continue;
      }
      if (done) g_clocks[g_self] = now += 16;  // the last packets take their time too
    }
    if (done) {
      // Done once both sides hold both hashes of the last period; a few
      // more packets carry the acknowledgement over.
      if (ls->hashesCompared() >= hashes && ls->peerHasHashes() >= hashes && ++lingering > 20) break;
      waitForOther();
      continue;
    }
    if (!timed && ls && net.playing() && !ls->stepReady()) {
      waitForOther();
      continue;
    }
    if (!net.playing()) {
      waitForOther();
      continue;
    }
    now += 16;
    app.runFrame(now);
    if (timed) g_clocks[g_self] = now;
    ++frames;
    if (hook) hook(app, now - start);
  }
  if (timed) g_clocks[g_self] = kGone;
  const net::CLockstep* ls = net.match().lockstep();
  if (ls) {
    for (uint32_t k = 1; k <= ls->localHashCount(); ++k) {
      result << "nethash " << std::hex << *ls->localHash(k * net::CLockstep::kHashEverySteps) << std::dec << "\n";
    }
    result << "netcompared " << ls->hashesCompared() << "\nnetstall " << ls->stallMs() << "\nnetdelay " << ls->delay() << "\n";
    if (!s.netReplayStem.empty() && ls->nextStep() == s.netSteps) {
      net.record().write(s.netReplayStem, net.terms().seed, net.terms().settings, s.netSteps, worldHash(app), "a test's match");
    }
  }
  std::printf("%s\n", net.endText().c_str());
  return frames;
}

void childRun(const GameScript& s, const FrameHook& hook, const std::string& root) {
  if (chdir(root.c_str()) != 0 || !std::freopen((root + "/stdout.txt").c_str(), "w", stdout)) _exit(3);
  if (s.realVideo) {
    unsetenv("SDL_VIDEODRIVER");
  } else {
    setenv("SDL_VIDEODRIVER", "dummy", 1);
  }
  const uint32_t start = 1000;
  uint32_t now = start;
  int sleeps = 0, spins = 0, steps = 0, frames = 0;
  platform::setTickSource([&now] { return now; });
  platform::setSleeper([&now, &sleeps](uint32_t ms) {
    now += ms;
    ++sleeps;
  });

  CApplication app;
  size_t next = 0;
  std::vector<TimedEvent> events = s.events;
  app.setEventSource([&](SDL_Event& e) {
    if (next >= events.size() || events[next].tick + start > now) return false;
    e = events[next++].event;
    return true;
  });
  bool typedHostPort = false;
  app.setStepObserver([&steps] { ++steps; });
  app.setSeed(s.seed);
  platform::setJoystickCountForTests(s.pads);
  for (int player : s.computers) app.setComputer(player, true);
  app.setFrontDoor(s.frontDoor);
  if (s.netRole != 0) {
    net::CNetGame::Where where;
    where.hosting = s.netRole == 1;
    where.host = "127.0.0.1";
    where.port = sharedPort(s);
    app.setNetwork(where);
  }
  const bool started = app.startup();
  if (started && s.netRole == 1 && g_hostPort && g_hostPort->load() == 0) {
    g_hostPort->store(app.network()->listeningPort());
  }
  std::ostringstream result;
  result << "started " << started << "\n";
  size_t nextCheckpoint = 0;
  if (started && s.netRole != 0) {
    frames = playNetworkSide(app, s, hook, now, result);
  } else if (started) {
    while (app.running() && now - start < s.durationMs) {
      if (s.throughPoll) {
        const uint32_t before = now, frameTickBefore = app.pacer().lastFrameTick;
        const int sleptBefore = sleeps;
        const float framesBefore = app.pacer().frameCounter;
        app.poll();
        if (app.pacer().lastFrameTick == frameTickBefore && app.pacer().frameCounter == framesBefore) {
          if (sleeps == sleptBefore && now == before) {
            ++spins;
            now += 1;  // the spinning loop sees the clock move on
          }
          continue;
        }
      } else {
        now += s.frameMs;
        app.runFrame(now);
      }
      ++frames;
      if (g_hostPort && g_hostPort->load() == 0 && app.network() && app.network()->where().hosting) {
        g_hostPort->store(app.network()->listeningPort());  // hosted from the menu
      }
      if (hook) hook(app, now - start);
      for (; nextCheckpoint < s.hashAt.size() && s.hashAt[nextCheckpoint] <= now - start; ++nextCheckpoint) {
        result << "checkpoint " << std::hex << worldHash(app) << std::dec << "\n";
      }
      if (s.stopWhenOver && app.game()->gameOver) break;
      if (s.typeHostPortAt != 0 && !typedHostPort && now - start >= s.typeHostPortAt && g_hostPort) {
        // Game time here runs far ahead of the other process's start-up:
        // wait for its port, the guard only against a host that never comes.
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
        while (g_hostPort->load() == 0 && std::chrono::steady_clock::now() < until) std::this_thread::yield();
      }
      if (s.typeHostPortAt != 0 && !typedHostPort && now - start >= s.typeHostPortAt && g_hostPort &&
          g_hostPort->load() != 0) {
        // Types where the other side hosts, then Enter, from the next frame on.
        std::vector<TimedEvent> typing;
        uint32_t at = now - start + 16;
        for (char c : "127.0.0.1:" + std::to_string(g_hostPort->load())) {
          typing.push_back({at, keyEvent(true, static_cast<SDLKey>(c))});
          typing.push_back({at += 16, keyEvent(false, static_cast<SDLKey>(c))});
        }
        typing.push_back({at + 16, keyEvent(true, SDLK_RETURN)});
        events.insert(events.begin() + static_cast<std::ptrdiff_t>(next), typing.begin(), typing.end());
        std::stable_sort(events.begin() + static_cast<std::ptrdiff_t>(next), events.end(),
                         [](const TimedEvent& a, const TimedEvent& b) { return a.tick < b.tick; });
        typedHostPort = true;
      }
    }
  }
  if (started) {
    const CGameManager* game = app.game();
    result << "hash " << std::hex << worldHash(app) << std::dec << "\nvalues " << game->player1Value << " "
           << game->player2Value << "\ngameover " << game->gameOver << "\nparts " << g_partList.size() << "\n";
    app.shutdown();
  }
  rusage ru{};
  getrusage(RUSAGE_SELF, &ru);
  result << "frames " << frames << "\nsteps " << steps << "\nrss " << ru.ru_maxrss << "\nsleeps " << sleeps
         << "\nspins " << spins << "\n";
  std::fflush(stdout);
  std::ofstream(root + "/result.txt") << result.str();
  std::fflush(nullptr);
  _exit(0);
}

struct Child {
  pid_t pid = -1;
  std::string root;
};

Child startChild(const GameScript& script, const FrameHook& hook, size_t side = 0) {
  Child c;
  g_self = side;
  c.root = makeRunFolder(script);
  if (c.root.empty()) return c;
  std::fflush(nullptr);
  c.pid = fork();
  if (c.pid == 0) childRun(script, hook, c.root);
  return c;
}

GameRunResult finishChild(const Child& c) {
  GameRunResult r;
  r.crashed = true;
  if (c.pid >= 0) {
    int status = 0;
    waitpid(c.pid, &status, 0);
    r.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    r.output = readFile(c.root + "/stdout.txt");
    std::istringstream in(readFile(c.root + "/result.txt"));
    auto hex = [&in] {
      uint64_t h = 0;
      in >> std::hex >> h >> std::dec;
      return h;
    };
    bool any = false;
    for (std::string key; in >> key; any = true) {
      if (key == "started") in >> r.started;
      else if (key == "hash") r.hash = hex();
      else if (key == "checkpoint") r.checkpointHashes.push_back(hex());
      else if (key == "nethash") r.netHashes.push_back(hex());
      else if (key == "values") in >> r.value1 >> r.value2;
      else if (key == "gameover") in >> r.gameOver;
      else if (key == "parts") in >> r.parts;
      else if (key == "frames") in >> r.frames;
      else if (key == "steps") in >> r.steps;
      else if (key == "rss") in >> r.peakRssKb;
      else if (key == "sleeps") in >> r.sleeps;
      else if (key == "spins") in >> r.spins;
      else if (key == "netcompared") in >> r.netCompared;
      else if (key == "netstall") in >> r.netStallMs;
      else if (key == "netdelay") in >> r.netDelay;
    }
    r.crashed = !any || r.exitCode != 0;
  }
  // The links in data/ are removed, never what they point to; anything else
  // the game wrote (a networked match's replay) stays with its folder.
  std::error_code ignored;
  if (!c.root.empty()) {
    for (const char* made : {"/data", "/stdout.txt", "/result.txt"}) fs::remove_all(c.root + made, ignored);
    fs::remove(c.root, ignored);
  }
  return r;
}

}  // namespace

uint64_t worldHash(const CApplication& app) { return worldHash(app.game()); }

GameRunResult runGame(const GameScript& script, const FrameHook& hook) {
  return finishChild(startChild(script, hook));
}

std::vector<GameRunResult> runGamesTogether(const std::vector<GameScript>& scripts, const std::vector<FrameHook>& hooks) {
  std::vector<Child> children(scripts.size());
  std::vector<GameRunResult> results(scripts.size());
  auto hook = [&](size_t i) { return i < hooks.size() ? hooks[i] : FrameHook(); };
  g_sides = scripts.size();
  const size_t bytes = (g_sides + 1) * sizeof(std::atomic<uint32_t>);
  void* shared = mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED | MAP_ANONYMOUS, -1, 0);
  g_clocks = shared == MAP_FAILED ? nullptr : static_cast<std::atomic<uint32_t>*>(shared);
  g_hostPort = g_clocks ? g_clocks + g_sides : nullptr;
  if (g_hostPort) g_hostPort->store(0);
  for (size_t i = 0; g_clocks && i < g_sides; ++i) g_clocks[i] = scripts[i].netLossPercent || scripts[i].netDelayMs ? 0 : kGone;
  for (size_t i = 0; i < scripts.size(); ++i) {
    if (scripts[i].startAfter < 0) children[i] = startChild(scripts[i], hook(i), i);
  }
  for (size_t i = 0; i < scripts.size(); ++i) {
    if (scripts[i].startAfter < 0) continue;
    const int k = scripts[i].startAfter;
    results[k] = finishChild(std::exchange(children[k], Child{0, {}}));  // pid 0: finished here
    children[i] = startChild(scripts[i], hook(i), i);
  }
  for (size_t i = 0; i < scripts.size(); ++i) {
    if (children[i].pid != 0) results[i] = finishChild(children[i]);
  }
  g_hostPort = nullptr;
  if (g_clocks) munmap(std::exchange(g_clocks, nullptr), bytes);
  return results;
}

SDL_Event keyEvent(bool down, SDLKey key) {
  SDL_Event e{};
  e.type = down ? SDL_KEYDOWN : SDL_KEYUP;
  e.key.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.key.keysym.sym = key;
  return e;
}

SDL_Event motionEvent(int x, int y) {
  SDL_Event e{};
  e.type = SDL_MOUSEMOTION;
  e.motion.x = static_cast<Uint16>(x);
  e.motion.y = static_cast<Uint16>(y);
  return e;
}

SDL_Event buttonEvent(bool down, int button, int x, int y) {
  SDL_Event e{};
  e.type = down ? SDL_MOUSEBUTTONDOWN : SDL_MOUSEBUTTONUP;
  e.button.button = static_cast<Uint8>(button);
  e.button.state = down ? SDL_PRESSED : SDL_RELEASED;
  e.button.x = static_cast<Uint16>(x);
  e.button.y = static_cast<Uint16>(y);
  return e;
}

SDL_Event padAxisEvent(int pad, int axis, int value) {
  SDL_Event e{};
  e.type = SDL_JOYAXISMOTION;
  e.jaxis.which = static_cast<Uint8>(pad);
  e.jaxis.axis = static_cast<Uint8>(axis);
  e.jaxis.value = static_cast<Sint16>(value);
  return e;
}

SDL_Event padHatEvent(int pad, int value) {
  SDL_Event e{};
  e.type = SDL_JOYHATMOTION;
  e.jhat.which = static_cast<Uint8>(pad);
  e.jhat.value = static_cast<Uint8>(value);
  return e;
}

SDL_Event padButtonEvent(int pad, int button, bool down) {
  SDL_Event e{};
  e.type = down ? SDL_JOYBUTTONDOWN : SDL_JOYBUTTONUP;
  e.jbutton.which = static_cast<Uint8>(pad);
  e.jbutton.button = static_cast<Uint8>(button);
  e.jbutton.state = down ? SDL_PRESSED : SDL_RELEASED;
  return e;
}

bool parseScript(const std::string& text, GameScript& s, std::string& expectHex, std::string& error) {
  std::istringstream lines(text);
  std::string line;
  for (int number = 1; std::getline(lines, line); ++number) {
    std::istringstream in(line.substr(0, line.find('#')));
    auto fail = [&](const std::string& why) {
      error = "line " + std::to_string(number) + ": " + why;
      return false;
    };
    std::string cmd, what, dir;
    if (!(in >> cmd)) continue;
    int player = 0, b = 0, x = 0, y = 0;
    TimedEvent te;
    if (cmd == "seed") {
      if (!(in >> s.seed)) return fail("seed needs a number");
    } else if (cmd == "duration") {
      if (!(in >> s.durationMs)) return fail("duration needs milliseconds");
    } else if (cmd == "settings") {
      in >> what;
      s.settingsXml = readFile(what);
      if (s.settingsXml.empty()) return fail("cannot read " + what);
    } else if (cmd == "expect") {
      in >> expectHex;
    } else if (cmd == "computer") {
      if (!(in >> player) || (player != 1 && player != 2)) return fail("computer needs the player, 1 or 2");
      s.computers.push_back(player);
    } else if (cmd != "at") {
      return fail("unknown command " + cmd);
    } else if (!(in >> te.tick >> what)) {
      return fail("at needs a time and an event");
    } else if (what == "key") {
      in >> dir >> what;
      const KeyBinding* k = bindingNamed(what);
      if (!k || (dir != "down" && dir != "up")) return fail("unknown key event");
      te.event = keyEvent(dir == "down", static_cast<SDLKey>(k->key));
    } else if (what == "motion") {
      if (!(in >> x >> y)) return fail("motion needs x y");
      te.event = motionEvent(x, y);
    } else if (what == "button") {
      if (!(in >> dir >> b >> x >> y)) return fail("button needs down|up N X Y");
      te.event = buttonEvent(dir == "down", b, x, y);
    } else if (what == "quit") {
      te.event.type = SDL_QUIT;
    } else {
      return fail("unknown event " + what);
    }
    if (cmd == "at") s.events.push_back(te);
  }
  std::stable_sort(s.events.begin(), s.events.end(),
                   [](const TimedEvent& a, const TimedEvent& b) { return a.tick < b.tick; });
  return true;
}

}  // namespace testing_support
