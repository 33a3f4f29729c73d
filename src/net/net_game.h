// A networked match inside the game: the local player's inputs go out for a
// step a few steps ahead, every step runs with both players' inputs applied,
// the game clock counts steps, and whatever ends the match is told (with a
// replay written when the two games fell out of step). The game itself is
// seen only through IMatchGame.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/match_record.h"
#include "net/net_match.h"

namespace net {

// What a networked match needs of the game.
class IMatchGame {
 public:
  virtual ~IMatchGame() = default;
  // Applies one player's input just before a step; true when it reached the
  // game (Enter counts only after a win, when it starts a new match).
  virtual bool apply(const PlayerInput& in) = 0;
  // One simulation step and the game's update.
  virtual void runStep() = 0;
  virtual uint64_t worldHash() const = 0;
  // The settings this side would host with.
  virtual MatchSettings settings() const = 0;
};

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
  // host's terms carry `seed` and the game's settings. `game` must outlive
  // this object.
  bool begin(const Where& where, IMatchGame& game, uint32_t seed, uint32_t now, std::string& error);

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
  // The host's word on a player who came and could not play (see
  // CNetMatch::notice), printed once as it changes.
  const std::string& notice() const { return match_.notice(); }
  CNetMatch& match() { return match_; }
  const CMatchRecord& record() const { return record_; }
  // How the match ended, as the player is told (with the replay written).
  const std::string& endText() const { return endText_; }

  // Inputs of the local player (whatever player they name), from the hands
  // at this machine or the computer playing for them; kept only while
  // playing.
  void addLocalInput(PlayerInput input);
  void addLocalInputs(const std::vector<PlayerInput>& inputs);
  int localPlayer() const { return match_.localPlayer(); }
  // Steps between an input and the step it reaches (0 before the match).
  int inputDelay() const { return match_.lockstep() ? match_.lockstep()->delay() : 0; }

  // The frame's steps (see CNetMatch::runDueSteps): before each, both
  // players' inputs of the step are applied, player 1's first; then the
  // game runs the step.
  void runSteps(CFramePacer& pacer, uint32_t now);

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
  void waitForOther();
  bool playingOn() const { return playingOn_; }
  void countStep() { ++stepsBegun_; }

  // The joining side's try at reaching the host (1 to
  // CNetMatch::kConnectAttempts; 0 when hosting).
  int connectAttempt() const { return match_.connectAttempt(); }
  // After the host could not be reached, the tries can start over with the
  // same Where.
  bool canRetry() const { return ended() && match_.unreachable() && !playingOn_; }
  void retry(uint32_t now);

  // How long the match has been waiting for the other side's inputs (0
  // while the steps run): the picture stands still meanwhile.
  uint32_t stalledForMs(uint32_t now) const { return match_.stalledForMs(now); }

  const Where& where() const { return where_; }
  CNetMatch::Phase phase() const { return match_.phase(); }
  bool waiting() const { return match_.waiting(); }
  uint16_t listeningPort() { return match_.link().port(); }

 private:
  void runStep();
  void onEnded();

  CNetMatch match_;
  Where where_;
  IMatchGame* game_ = nullptr;
  CMatchRecord record_;
  uint32_t stepsBegun_ = 0;
  bool started_ = false;
  bool everPlayed_ = false;  // a side waiting for a rejoin keeps its world
  bool playingOn_ = false;
  std::string endText_;
  std::string noticeShown_;
};

}  // namespace net
