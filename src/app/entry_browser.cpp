// The program's entry in a web page: the same start as the desktop's, then
// the browser drives the frames (a page must hand control back after each),
// and a few functions the page calls: the game's state for its tests and
// frames kept for comparison with the desktop's pictures.
#include <emscripten.h>
#include <SDL/SDL.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/command_line.h"
#include "app/data_location.h"
#include "core/frame_pacer.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "platform/clock.h"
#include "platform/device.h"
#include "sim/cell_grid.h"

namespace {

CApplication* g_app = nullptr;
uint64_t g_frames = 0;
uint64_t g_steps = 0;  // simulation steps: the game's own time, 16 ms each
std::set<uint64_t> g_wanted;  // frames the page asked to keep
std::vector<uint8_t> g_captured;
std::string g_state;
// The page may ask for a clock that moves one pacer period a frame (as the
// desktop's recorded runs have it) instead of real time.
bool g_frameClock = false;
uint32_t g_clock = 1000;

// Keeps the frame just drawn as RGBA bytes, top row first, for the page.
void capture() {
  std::vector<uint32_t> argb;
  g_app->drawScene();
  if (!platform::device()->readPixels(argb)) return;
  g_captured.resize(argb.size() * 4);
  for (size_t i = 0; i < argb.size(); ++i) {
    g_captured[i * 4 + 0] = uint8_t(argb[i] >> 16);
    g_captured[i * 4 + 1] = uint8_t(argb[i] >> 8);
    g_captured[i * 4 + 2] = uint8_t(argb[i]);
    g_captured[i * 4 + 3] = 0xff;
  }
  EM_ASM({ Module.vesicorCaptured && Module.vesicorCaptured($0); }, static_cast<double>(g_frames));
}

void frame(void*) {
  // The browser calls at its own refresh, which may come a little before
  // the pacer's 16 ms: such a frame counts as on time rather than being
  // skipped, so the picture never stutters on a 60 Hz screen.
  uint32_t now = platform::ticks();
  const uint32_t due = g_app->pacer().lastFrameTick + CFramePacer::kFrameMs;
  if (g_frameClock) {
    g_clock += CFramePacer::kFrameMs;
    now = g_clock;
  } else if (static_cast<int32_t>(now - due) < 0) {
    now = due;
  }
  g_app->runFrame(now);
  ++g_frames;
  if (g_frames == 1) {
    std::printf("vesicor: ready\n");
    // The canvas takes the page's size once the game can hear of it.
    EM_ASM({
      Module.gameReady = true;
      Module.vesicorFit && Module.vesicorFit();
    });
  }
  if (g_wanted.count(g_frames)) capture();
  if (!g_app->running()) {
    // A page cannot be closed from inside: leaving goes back to the menu.
    g_app->shutdown();
    g_app->setFrontDoor(true);
    if (!g_app->startup()) emscripten_cancel_main_loop();
  }
}

int bloodCells() {
  int count = 0;
  for (ISingleCell* cell : g_cellGrid.slots) {
    if (cell && cell->getType() == 2) ++count;
  }
  return count;
}

void writePaddle(std::ostringstream& out, const CPlayerController& c) {
  const Vec2 at = c.part ? c.part->screenCentre() : Vec2{0, 0};
  out << "{\"x\":" << at.x << ",\"y\":" << at.y
      << ",\"angle\":" << std::atan2(c.direction.y, c.direction.x) * 180.0 / 3.14159265358979 << "}";
}

const char* pageName(const CFrontDoor* menu) {
  if (!menu || !menu->shown()) return "";
  switch (menu->page()) {
    case CFrontDoor::Page::kTitle: return "title";
    case CFrontDoor::Page::kOptions: return "options";
    case CFrontDoor::Page::kJoin: return "join";
    case CFrontDoor::Page::kKeys: return "keys";
  }
  return "";
}

}  // namespace

extern "C" {

// The game as the page's tests see it, as JSON.
EMSCRIPTEN_KEEPALIVE const char* vesicor_state() {
  std::ostringstream out;
  out << "{\"frames\":" << g_frames << ",\"steps\":" << g_steps;
  CGameManager* game = g_app ? g_app->game() : nullptr;
  if (game) {
    int parts = 0;
    for (const CGamePart* part : g_partList) {
      const bool paddle = part == game->controller1.part || part == game->controller2.part;
      const bool held = g_app->drag().held && part == g_app->drag().part;
      if (!paddle && !held && !part->isTemplate() && part->placedTime != 0) ++parts;
    }
    out << ",\"menu\":" << (g_app->menu() && g_app->menu()->shown() ? "true" : "false")
        << ",\"page\":\"" << pageName(g_app->menu()) << "\",\"value1\":" << game->player1Value
        << ",\"value2\":" << game->player2Value << ",\"currentPlayer\":" << game->currentPlayer
        << ",\"gameOver\":" << (game->gameOver ? "true" : "false") << ",\"blood\":" << bloodCells()
        << ",\"parts\":" << parts << ",\"held\":" << (g_app->drag().held ? "true" : "false") << ",\"paddles\":[";
    writePaddle(out, game->controller1);
    out << ",";
    writePaddle(out, game->controller2);
    out << "]";
  }
  if (g_app) {
    const COptions& o = g_app->options();
    out << ",\"options\":{\"volume\":" << o.volume << ",\"muted\":" << (o.muted ? "true" : "false")
        << ",\"fullScreen\":" << (o.fullScreen ? "true" : "false") << ",\"matchLength\":\"" << o.matchLength
        << "\",\"level\":\"" << o.level << "\",\"palette\":" << o.palette << "}";
  }
  out << "}";
  g_state = out.str();
  return g_state.c_str();
}

// Asks for the picture of frame `n` (1: the first drawn in this page load).
EMSCRIPTEN_KEEPALIVE void vesicor_capture(double n) {
  if (n >= 1) g_wanted.insert(static_cast<uint64_t>(n));
}

// The last frame kept: 512 x 512 RGBA bytes, or null before one was.
EMSCRIPTEN_KEEPALIVE const uint8_t* vesicor_captured() { return g_captured.empty() ? nullptr : g_captured.data(); }

}  // extern "C"

int main(int argc, char** argv) {
  CommandLine options;
  std::string error;
  if (!parseCommandLine(argc, argv, options, error)) {
    std::fprintf(stderr, "vesicor: %s; %s\n", error.c_str(), usageLine());
    // The page still plays: the title menu, as with no options.
    options = CommandLine();
  }
  // Frames the page wants kept, before the first one is drawn.
  EM_ASM({
    (Module.captureFrames || []).forEach(function(n) { Module.ccall('vesicor_capture', null, ['number'], [n]); });
  });
  if (!enterDataFolder()) return 1;
  g_frameClock = EM_ASM_INT({ return Module.frameClock ? 1 : 0; }) != 0;
  if (g_frameClock) platform::setTickSource([] { return g_clock; });
  static CApplication app;
  g_app = &app;
  app.setStepObserver([] { ++g_steps; });
  applyCommandLine(options, app);
  if (!app.startup()) return 1;
  emscripten_set_main_loop_arg(frame, nullptr, 0, 1);
  return 0;
}
