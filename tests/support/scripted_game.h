// Runs the whole game headless (null device) from a seed, a fake clock and a
// list of timed SDL events, in a child process so every run starts from the
// program's fresh globals; reports a hash of the world and what it printed.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

class CApplication;

namespace testing_support {

struct TimedEvent {
  uint32_t tick = 0;  // game milliseconds since start-up
  SDL_Event event{};
};

struct GameScript {
  unsigned seed = 1;
  // Linked into the run's private data folder; relative to the working folder.
  std::string gfxDir = "data/gfx", partsDir = "data/parts", sfxDir = "data/sfx";
  std::string settingsXml;     // written as data/settings.xml when not empty
  std::string appSettingsXml;  // written as data/app_settings.xml when not empty
  std::string optionsXml;      // written as data/options.xml when not empty
  bool frontDoor = false;      // opens on the title menu, as the game with no option
  // With runGamesTogether: from this game time on, once the other side hosts
  // (from the menu too), types "127.0.0.1:PORT" and Enter on the join page.
  uint32_t typeHostPortAt = 0;
  uint32_t durationMs = 0;
  std::vector<TimedEvent> events;
  std::vector<uint32_t> hashAt;  // extra checkpoints (game ms) whose hashes are reported
  // Drive the loop through CApplication::poll, the way the game does, with
  // time passing only while it sleeps or spins, instead of frame by frame.
  bool throughPoll = false;
  bool realVideo = false;  // OpenGL under Xvfb instead of the null device
  // Game time between frames when not driven through poll: a slow machine
  // that manages only a few frames a second runs several steps per frame.
  uint32_t frameMs = 16;
  std::vector<int> computers;  // players the computer plays from the start
  // Gamepads the game finds at start (their events come in `events`); -1
  // opens whatever SDL finds on this machine.
  int pads = 0;
  bool stopWhenOver = false;   // end the run at the first frame after a win
  // One side of a networked match over localhost: 1 hosts on netPort, 2
  // joins it. With netPort 0, runGamesTogether's host takes any free port
  // and its joining side is handed that port. Game time then passes only while the side has the other's
  // inputs (it waits in real time for them), and the side plays until both
  // have run and compared netSteps steps (a multiple of the hash period),
  // then writes the replay of its match as netReplayStem.replay.
  int netRole = 0;
  uint16_t netPort = 0;
  uint32_t netSteps = 0;
  std::string netReplayStem;
  // Leaves after this many steps; or waits for the other player to come back.
  uint32_t netLeaveAtStep = 0;
  bool netWaitForRejoin = false;
  // A lossy, slow link each way. Game time then runs on while the side waits
  // for inputs (stalls), frame by frame in turn with the other such side.
  int netLossPercent = 0;
  uint32_t netDelayMs = 0;
  // runGamesTogether starts this side only once that script's process ended.
  int startAfter = -1;
};

struct GameRunResult {
  bool started = false;  // start-up succeeded
  bool crashed = false;  // the child died or reported nothing
  int exitCode = 0;      // of the child
  uint64_t hash = 0;     // of the world at the end
  std::vector<uint64_t> checkpointHashes;
  float value1 = 0, value2 = 0;
  bool gameOver = false;
  int frames = 0, steps = 0;
  int sleeps = 0, spins = 0;  // with throughPoll: 1 ms sleeps, and polls that spun
  int parts = 0;              // entries of the part list at the end
  long peakRssKb = 0;
  std::vector<uint64_t> netHashes;  // the world hashes a networked side sent, one a period
  uint32_t netCompared = 0;         // of them, how many it compared with the other side's
  uint32_t netStallMs = 0;          // how long its lockstep waited for the other side
  int netDelay = 0;                 // its input delay at the end, in steps
  std::string output;               // everything the game printed on standard output
};

// Called in the child after every frame, with the game time; may inspect or
// poke the application (golden pictures, soak statistics).
using FrameHook = std::function<void(CApplication&, uint32_t gameMs)>;

GameRunResult runGame(const GameScript& script, const FrameHook& hook = {});
// Runs the scripts at the same time, each in its own process (the two sides
// of a networked match), with a hook for each.
std::vector<GameRunResult> runGamesTogether(const std::vector<GameScript>& scripts,
                                            const std::vector<FrameHook>& hooks = {});

// A stable hash of the grid, both values, the parts and the drops.
uint64_t worldHash(const CApplication& app);

// The replay text format: one command per line, '#' comments.
//   seed N | duration MS | settings FILE | expect HEX
//   at MS key down|up NAME      (w a s d up down left right escape f2 enter)
//   at MS motion X Y
//   at MS button down|up N X Y
//   at MS quit
//   computer N                  (the computer plays player N from the start)
bool parseScript(const std::string& text, GameScript& script, std::string& expectHex, std::string& error);

SDL_Event keyEvent(bool down, SDLKey key);
SDL_Event motionEvent(int x, int y);
SDL_Event buttonEvent(bool down, int button, int x, int y);
// A gamepad's stick axis, its cross (hat 0) and its buttons, as SDL reports them.
SDL_Event padAxisEvent(int pad, int axis, int value);
SDL_Event padHatEvent(int pad, int value);
SDL_Event padButtonEvent(int pad, int button, bool down);

}  // namespace testing_support
