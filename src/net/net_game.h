// A networked match inside the game: the window waits for the other player,
// the local player's keys and mouse become inputs for a step a few steps
// ahead, every step runs with both players' inputs applied, the game clock
// counts steps, and whatever ends the match is shown on screen (with a
// replay written when the two games fell out of step).
#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "game/overlay.h"
#include "net/match_record.h"
#include "net/net_match.h"

class CGameManager;
struct CDragState;

namespace net {

class CNetGame {
 public:
  // Replays start their clock here too, so a match's replay sees the same
  // times.
  static constexpr uint32_t kClockStart = 1000;

  struct Where {
    bool hosting = false;
    std::string host;  // joining
    uint16_t port = kDefaultPort;
  };

  // Starts hosting or joining; false with the reason when it cannot. The
  // host's terms carry `seed` and the settings the game was built with.
  bool begin(const Where& where, const CGameManager& game, uint32_t seed, uint32_t now, std::string& error);

  // The frame's start: what arrived. May be called more often.
  void pump(uint32_t now);
  // True once, after the pump in which the match began: both sides then
  // start over on the host's terms (see terms()).
  bool takeStart() {
    const bool started = started_;
    started_ = false;
    return started;
  }
  // The frame's end: the local inputs out.
  void flush(uint32_t now) { match_.flush(now); }

  bool playing() const { return match_.phase() == CNetMatch::Phase::kPlaying; }
  bool ended() const { return match_.phase() == CNetMatch::Phase::kEnded; }
  const MatchTerms& terms() const { return match_.terms(); }
  CNetMatch& match() { return match_; }
  const CMatchRecord& record() const { return record_; }
  // How the match ended, as the player is told (with the replay written).
  const std::string& endText() const { return endText_; }

  // A key or mouse event of the local player (mouse in drawing space);
  // either key set steers. Returns false for events that are not the player's.
  bool capture(const SDL_Event& event);
  bool toInput(const SDL_Event& event, PlayerInput& in) const;
  // The local player's inputs made by the computer.
  void addLocalInputs(const std::vector<PlayerInput>& inputs);
  int localPlayer() const { return match_.localPlayer(); }
  // Steps between an input and the step it reaches (0 before the match).
  int inputDelay() const { return match_.lockstep() ? match_.lockstep()->delay() : 0; }

  // The frame's steps (see CNetMatch::runDueSteps): before each, both
  // players' inputs of the step are applied, keys always, the mouse only
  // for the player whose turn it is; `runStep` then runs the step and the
  // game's update, and `newMatch` runs for Enter after a win.
  void runSteps(CFramePacer& pacer, uint32_t now, CGameManager& game, CDragState& drag,
                const std::function<void()>& runStep, const std::function<void()>& newMatch);

  // The game clock: kClockStart plus 16 ms for every step begun.
  uint32_t gameTicks() const { return kClockStart + CLockstep::kStepMs * stepsBegun_; }

  // The local player quits.
  void leave() { match_.leave(); }

  // After the other player left or went silent, the match can go on here
  // against the computer (also while waiting for them): the game is then
  // local again, its clock still counting steps (countStep for each).
  bool canPlayOn() const { return ((ended() && match_.otherGone()) || match_.waiting()) && !playingOn_; }
  void playOn() {
    if (match_.waiting()) match_.leave();
    playingOn_ = true;
  }
  // ... or wait for them to come back, the game standing still meanwhile.
  bool canWait() const { return ended() && match_.otherGone() && !playingOn_; }
  void waitForOther(const CGameManager& game);
  bool playingOn() const { return playingOn_; }
  void countStep() { ++stepsBegun_; }

  // The waiting notice and the end of the match, on screen.
  void updateOverlay();
  void releaseOverlay() { notice_.release(); }
  const COverlay& notice() const { return notice_; }

 private:
  void apply(CGameManager& game, CDragState& drag, const PlayerInput& in, const std::function<void()>& newMatch);
  void runStep(CGameManager& game, CDragState& drag, const std::function<void()>& runStep,
               const std::function<void()>& newMatch);
  void onEnded(const CGameManager* game);

  CNetMatch match_;
  Where where_;
  CMatchRecord record_;
  uint32_t stepsBegun_ = 0;
  bool started_ = false;
  bool everPlayed_ = false;  // a side waiting for a rejoin keeps its world
  bool playingOn_ = false;
  std::string endText_;
  std::string shownText_;
  COverlay notice_;
};

}  // namespace net
