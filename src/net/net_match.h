// One networked match from the first packet to the last: connecting,
// agreeing on the terms, the lockstep exchange once per frame, and every
// way it can end (refused, the other player left or went silent, the two
// worlds out of step), each with the sentence the player is shown.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "core/frame_pacer.h"
#include "net/link.h"
#include "net/lockstep.h"
#include "net/match_terms.h"

namespace net {

class CNetMatch {
 public:
  enum class Phase { kConnecting, kAgreeing, kPlaying, kEnded };
  static constexpr uint32_t kSilenceMs = 10000;
  // From the connection to both sides agreeing: a handshake is a few round
  // trips, so only something that is not playing takes this long.
  static constexpr uint32_t kAgreeingMs = 5000;
  // The joining side tries the host afresh this often (a host started a
  // little later is found), and gives up after so many tries: about 20 s.
  static constexpr uint32_t kConnectAttemptMs = 3000;
  static constexpr int kConnectAttempts = 7;

  // The host plays player 1 on its own terms; the joining side player 2 on
  // the host's, once it has checked them against its own.
  bool host(uint16_t port, const MatchTerms& terms, std::string& error);
  bool join(const std::string& hostName, uint16_t port, const MatchTerms& mine, std::string& error);

  // Once per frame (and while waiting), before the steps: everything that
  // arrived. `now` is the local millisecond clock.
  void pump(uint32_t now);
  // After the frame's steps: one lockstep packet with the inputs they
  // scheduled.
  void flush(uint32_t now);

  // The frame's steps, as many as the pacer asks for and both players'
  // inputs allow: `runStep` applies the step's inputs and runs it, and
  // `worldHash` is asked for once a period. A frame whose first step has
  // to wait owes it to the catch-up. Returns the steps run.
  int runDueSteps(CFramePacer& pacer, uint32_t now, const std::function<void()>& runStep,
                  const std::function<uint64_t()>& worldHash);

  Phase phase() const { return phase_; }
  int localPlayer() const { return localPlayer_; }
  // The terms both sides play with (the host's), once agreed.
  const MatchTerms& terms() const { return terms_; }
  CLockstep* lockstep() { return lockstep_.get(); }
  const CLockstep* lockstep() const { return lockstep_.get(); }
  CNetLink& link() { return link_; }

  // The host's word on the last player who came and could not play (turned
  // away, gone, or silent), while it waits for the next; empty once a
  // match is under way.
  const std::string& notice() const { return notice_; }

  // Why the match ended, for the player; empty while it goes on.
  const std::string& endMessage() const { return endMessage_; }
  // The step at which the two worlds were found to differ.
  std::optional<uint32_t> outOfStepAt() const { return outOfStep_; }

  // The match ended because the other player left or went silent.
  bool otherGone() const { return otherGone_; }

  // The joining side's try at reaching the host, from 1 (0 before the
  // first pump).
  int connectAttempt() const { return attempt_; }
  // The match ended because the host could not be reached; then the tries
  // can start over, at `now`, with the same host (false otherwise).
  bool unreachable() const { return unreachable_; }
  bool retryJoin(uint32_t now);

  // How long the steps have been waiting for the other side's inputs; 0
  // while they run (and outside a match).
  uint32_t stalledForMs(uint32_t now) const {
    return phase_ == Phase::kPlaying && lockstep_ ? lockstep_->blockedFor(now) : 0;
  }

  // After the other player left or went silent, this side can wait for
  // them to come back (the same side, restarted): the host listens again,
  // the joining side tries the host again, and the match goes on at the
  // step where it stopped once the newcomer has rebuilt the world, whose
  // hash here is `worldHash`. False when the other player is not gone.
  bool waitForRejoin(uint64_t worldHash);
  bool waiting() const { return waiting_; }

  // The local player quits: the other side is told at once.
  void leave();

 private:
  void handleControl(CWireReader& reader, uint8_t type, uint32_t now);
  void startPlaying(uint32_t now);
  void sendHistory();
  void resumeStaying(uint32_t now);
  // The host lets go of a player who could not play and waits for the next.
  bool backToWaiting();
  // The joining side: tries the host again while tries are left.
  void nextAttempt(uint32_t now);
  void end(const std::string& message, bool tellPeer, uint8_t reason, uint32_t step);

  CNetLink link_;
  Phase phase_ = Phase::kConnecting;
  bool hosting_ = false;
  int localPlayer_ = 0;
  MatchTerms terms_;  // the host's; on the joining side its own until they arrive
  MatchTerms mine_;
  std::unique_ptr<CLockstep> lockstep_;
  std::string endMessage_;
  std::optional<uint32_t> outOfStep_;
  bool otherGone_ = false;
  bool waiting_ = false;
  uint64_t rejoinHash_ = 0;
  Bytes history_;  // a newcomer's: what the staying side sent
  uint32_t agreeingSince_ = 0;
  std::string hostName_;  // joining: as the player gave it
  uint16_t hostPort_ = 0;
  int attempt_ = 0;
  uint32_t attemptSince_ = 0;
  bool unreachable_ = false;
  std::string notice_;
};

}  // namespace net
