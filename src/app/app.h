// The application frame: start-up in its fixed order, the paced main loop
// with its fixed simulation steps, event draining and shutdown.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "ai/computer_level.h"
#include "app/app_settings.h"
#include "app/front_door.h"
#include "app/gamepad.h"
#include "app/net_notice.h"
#include "app/options.h"
#include "core/frame_pacer.h"
#include "game/feedback.h"
#include "game/player_controller.h"
#include "game/player_input.h"
#include "net/net_game.h"
#include "app/session.h"

class CGameScene;
class CGameManager;
class CComputerPlayer;
class CTextLabel;

class CApplication : private net::IMatchGame {
 public:
  // Where events come from; SDL's queue unless a test scripts them.
  using EventSource = std::function<bool(SDL_Event&)>;

  CApplication();
  ~CApplication() override;
  CApplication(const CApplication&) = delete;
  CApplication& operator=(const CApplication&) = delete;

  // Start-up, the loop until Escape or window close, shutdown. Returns the
  // process exit code: 0 after a normal game, non-zero when start-up failed.
  int run();

  // The pieces of run(), for tests and replays that drive the loop themselves.
  // A frame may end by starting another match in the same window (a choice
  // on the title menu, or back to it), which these loops need not know.
  bool startup();
  // Polls the clock once: runs a frame when one is due, otherwise waits a
  // little. Returns whether the loop should go on.
  bool poll();
  void runFrame(uint32_t now);
  // The part of a frame before drawing: steps, parts, game and scene update
  // (benchmarks draw the frame themselves, group by group).
  void advanceFrame(uint32_t now);
  // The frame's picture, without presenting it (golden pictures read it back).
  void drawScene();
  void shutdown();

  // Replays seed both random sources with a fixed value instead of the time.
  void setSeed(unsigned seed) { seed_ = seed; }
  void setEventSource(EventSource source) { events_ = std::move(source); }
  // Plays one side of a networked match instead of both at one keyboard.
  void setNetwork(const net::CNetGame::Where& where) { netWhere_ = where; }
  // Opens on the title menu over a board that plays itself; the matches
  // chosen there ask before Escape leaves them.
  void setFrontDoor(bool on) { frontDoor_ = on; }
  CFrontDoor* menu() const { return menu_.get(); }
  bool startedFromMenu() const { return fromMenu_; }
  // The level of the computer players started from now on.
  void setComputerLevel(ComputerLevel level) { level_ = level; }
  // Who plays the side, as the screen names it.
  std::string sideName(int player) const;
  const COptions& options() const { return options_; }
  net::CNetGame* network() const { return net_.get(); }
  // Called after every simulation step (replays count and hash steps here).
  void setStepObserver(std::function<void()> observer) { stepObserver_ = std::move(observer); }

  // The computer plays `player` (1 or 2) from now on, or stops and lets go
  // of its keys and mouse button. Before start-up it takes effect at start.
  void setComputer(int player, bool on);
  bool computerPlays(int player) const;
  // The computer players forget everything they planned (a new match).
  void resetComputers();
  const CComputerPlayer* computer(int player) const;

  bool running() const { return running_; }
  CGameManager* game() const { return game_; }
  CGameScene* scene() const { return scene_.get(); }
  CDragState& drag() { return drag_; }
  const CFramePacer& pacer() const { return pacer_; }
  CSession& session() { return session_; }
  CFeedback* feedback() const { return feedback_.get(); }
  const COverlay& networkNotice() const { return netNotice_.overlay(); }
  // The mark of a pad's pointer; null until a pad moved it.
  const CTextLabel* padPointer() const { return padPointer_.get(); }

 private:
  // The game as a networked match drives it.
  bool apply(const PlayerInput& in) override;
  void runStep() override;
  uint64_t worldHash() const override;
  MatchSettings settings() const override;

  enum class Next { kStay, kMenu, kTwoPlayers, kComputer, kHost, kJoin };

  bool startGame();
  void shutdownGame();
  void switchMatch();
  void handleMenuEvent(const SDL_Event& event);
  void toggleFullScreen();
  void writeMatchLength();
  void updateNames();
  void simulationStepOnce();
  void advanceNetworkFrame(uint32_t now);
  void startNetworkMatch(uint32_t now);
  void playOnAgainstComputer();
  void updateGame();
  void printReport();
  void drainEvents();
  void runComputers();
  void applyLocalInput(PlayerInput in);
  void handleNetworkEvent(const SDL_Event& event);
  void handleEvent(SDL_Event event);
  void handlePadEvent(const SDL_Event& event);
  // Who the pads play, again after the computer takes or leaves a side.
  void setupPads();
  // A pad's inputs into the game, as the keys' go: the network's, or here.
  void applyPadInputs();
  void stepPads();
  // A mark where a pad has put the pointer; the mouse moving hides it.
  void showPadPointer(int player, float x, float y);
  void hidePadPointer();

  bool running_ = false;
  CAppSettings settings_;
  std::unique_ptr<CGameScene> scene_;
  CDragState drag_;
  CGameManager* game_ = nullptr;  // owned; lives from start-up to shutdown
  CFramePacer pacer_;
  EventSource events_;
  std::optional<unsigned> seed_;
  CSession session_;
  std::unique_ptr<CFeedback> feedback_;
  std::function<void()> stepObserver_;
  unsigned seedUsed_ = 0;
  bool wantsComputer_[2] = {false, false};
  std::unique_ptr<CComputerPlayer> computers_[2];
  std::vector<PlayerInput> computerInputs_;
  std::optional<net::CNetGame::Where> netWhere_;
  std::unique_ptr<net::CNetGame> net_;
  CNetNotice netNotice_;
  COptions options_;
  bool platformUp_ = false;
  bool frontDoor_ = false;
  bool fromMenu_ = false;
  Next next_ = Next::kStay;
  std::string menuMessage_;  // why the last match chosen could not start
  std::unique_ptr<CFrontDoor> menu_;
  ComputerLevel level_ = kDefaultComputerLevel;
  MatchSettings fileSettings_;  // as data/settings.xml gave them
  int padsFound_ = 0;
  CGamepads pads_;
  std::vector<PlayerInput> padInputs_;
  std::unique_ptr<CTextLabel> padPointer_;
  int padPointerPlayer_ = 0;
};
