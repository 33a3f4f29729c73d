// The networked match's phases and its reliable messages; see net_match.h.
#include "net/net_match.h"

#include <algorithm>

namespace net {

namespace {

// Reliable messages; lockstep packets carry their own first byte.
enum : uint8_t { kTerms = 0x54, kAccept = 0x41, kRefuse = 0x52, kStop = 0x53, kHistory = 0x48 };
enum : uint8_t { kStopLeft = 1, kStopOutOfStep = 2 };

std::string outOfStepText(uint32_t step) {
  return "Out of step with the other player at step " + std::to_string(step) +
         ": the two games no longer agree, so the match stops.";
}

}  // namespace

bool CNetMatch::host(uint16_t port, const MatchTerms& terms, std::string& error) {
  hosting_ = true;
  localPlayer_ = 1;
  terms_ = mine_ = terms;
  return link_.listen(port, error);
}

bool CNetMatch::join(const std::string& hostName, uint16_t port, const MatchTerms& mine, std::string& error) {
  hosting_ = false;
  localPlayer_ = 2;
  terms_ = mine_ = mine;
  hostName_ = hostName;
  hostPort_ = port;
  attempt_ = 0;
  unreachable_ = false;
  return link_.connect(hostName, port, error);
}

void CNetMatch::pump(uint32_t now) {
  link_.service();
  if (phase_ == Phase::kEnded) return;
  if (!hosting_ && phase_ == Phase::kConnecting && attempt_ == 0) {
    // The first try began with join(); its time counts from here.
    attempt_ = 1;
    attemptSince_ = now;
  }
  if (phase_ == Phase::kConnecting && link_.state() == CNetLink::State::kConnected) {
    phase_ = Phase::kAgreeing;
    agreeingSince_ = now;
    if (hosting_) {
      // Ahead of the terms on the ordered channel: the newcomer has the
      // history by the time it accepts.
      if (waiting_) sendHistory();
      Bytes message{kTerms};
      const Bytes terms = encodeTerms(terms_);
      message.insert(message.end(), terms.begin(), terms.end());
      link_.send(message, true);
    }
  }
  Bytes message;
  while (phase_ != Phase::kEnded && link_.receive(message)) {
    if (message.empty()) continue;
    if (phase_ == Phase::kPlaying && lockstep_->readPacket(message.data(), message.size(), now)) continue;
    if (message[0] == kHistory && phase_ == Phase::kAgreeing && !waiting_) {
      history_.assign(message.begin() + 1, message.end());
      continue;
    }
    CWireReader reader(message.data() + 1, message.size() - 1);
    handleControl(reader, message[0], now);
  }
  if (phase_ == Phase::kEnded) return;
  // A side that found the worlds apart says so even when the other side's
  // goodbye came in the same breath.
  if (phase_ == Phase::kPlaying) {
    if (const auto step = lockstep_->mismatchStep()) {
      outOfStep_ = step;
      end(outOfStepText(*step), true, kStopOutOfStep, *step);
      return;
    }
  }
  if (link_.state() == CNetLink::State::kClosed) {
    // ENet gave up on a try of the joining side's: the next one.
    if (!hosting_ && !waiting_ && phase_ == Phase::kConnecting) {
      nextAttempt(now);
      return;
    }
    // A newcomer that went away before the match resumed, or a host not
    // back yet: keep waiting. A host keeps its door open for the next
    // player when one left before the match began.
    if (waiting_ && link_.reopen()) {
      phase_ = Phase::kConnecting;
      attemptSince_ = now;
      return;
    }
    if (hosting_ && phase_ != Phase::kPlaying) {
      if (phase_ == Phase::kAgreeing) notice_ = "A player connected and left before the match began.";
      if (backToWaiting()) return;
    }
    otherGone_ = phase_ == Phase::kPlaying;
    end(phase_ == Phase::kPlaying ? "The other player left the match."
        : hosting_                ? "The network stopped while waiting for a player."
                                  : "The connection to the host failed.",
        false, 0, 0);
    return;
  }
  if (phase_ == Phase::kAgreeing && now - agreeingSince_ >= kAgreeingMs) {
    // Something holding the one place without ever agreeing on a match.
    if (hosting_) {
      notice_ = "A player connected but did not agree on a match; waiting for another.";
      if (backToWaiting()) return;
    } else if (waiting_ && link_.reopen()) {
      phase_ = Phase::kConnecting;
      attemptSince_ = now;
      return;
    }
    end(hosting_ ? "The network stopped while waiting for a player."
                 : "The host did not agree on a match within " + std::to_string(kAgreeingMs / 1000) + " seconds.",
        false, 0, 0);
    return;
  }
  if (!hosting_ && phase_ == Phase::kConnecting && now - attemptSince_ >= kConnectAttemptMs) {
    // No answer yet: ENet would go on knocking for half a minute, so the
    // try starts afresh. One waiting for the host to come back never gives
    // up.
    if (!waiting_) {
      nextAttempt(now);
    } else if (link_.reopen()) {
      attemptSince_ = now;
    }
    return;
  }
  if (phase_ != Phase::kPlaying) return;
  if (now - lockstep_->lastHeard() >= kSilenceMs) {
    otherGone_ = true;
    end("Nothing heard from the other player for 10 seconds: the match ends.", false, 0, 0);
  }
}

bool CNetMatch::backToWaiting() {
  if (!link_.reopen()) return false;
  phase_ = Phase::kConnecting;
  return true;
}

void CNetMatch::nextAttempt(uint32_t now) {
  if (attempt_ < kConnectAttempts && link_.reopen()) {
    ++attempt_;
    attemptSince_ = now;
    return;
  }
  unreachable_ = true;
  const std::string port = std::to_string(hostPort_);
  end("Could not reach " + hostName_ + " on port " + port +
          ". Check the address and the port, and that the host's firewall lets UDP port " + port + " through.",
      false, 0, 0);
}

bool CNetMatch::retryJoin(uint32_t now) {
  if (phase_ != Phase::kEnded || !unreachable_ || !link_.reopen()) return false;
  unreachable_ = false;
  endMessage_.clear();
  attempt_ = 1;
  attemptSince_ = now;
  phase_ = Phase::kConnecting;
  return true;
}

void CNetMatch::flush(uint32_t now) {
  if (phase_ == Phase::kPlaying) link_.send(lockstep_->makePacket(now), false);
}

int CNetMatch::runDueSteps(CFramePacer& pacer, uint32_t now, const std::function<void()>& runStep,
                           const std::function<uint64_t()>& worldHash) {
  if (phase_ != Phase::kPlaying) return 0;
  const int planned = pacer.plannedSteps();
  int taken = 0;
  for (int i = 0; i < planned; ++i) {
    if (!lockstep_->stepReady()) {
      lockstep_->noteBlocked(now);
      if (i == 0) pacer.lag = std::min(pacer.lag + static_cast<float>(CFramePacer::kFrameMs), CFramePacer::kMaxLag);
      break;
    }
    lockstep_->noteUnblocked(now);
    if (!pacer.takeStep(i)) break;
    runStep();
    lockstep_->finishStep();
    if (lockstep_->hashDue()) lockstep_->recordHash(worldHash());
    ++taken;
  }
  return taken;
}

void CNetMatch::handleControl(CWireReader& reader, uint8_t type, uint32_t now) {
  switch (type) {
    case kTerms: {
      if (hosting_ || phase_ != Phase::kAgreeing) return;
      MatchTerms hostTerms;
      if (!decodeTerms(reader, hostTerms)) {
        end("The host sent terms this version cannot read.", false, 0, 0);
        return;
      }
      const std::string why = refusal(hostTerms, mine_);
      if (!why.empty()) {
        CWireWriter w;
        w.u8(kRefuse);
        w.str(why);
        const Bytes terms = encodeTerms(mine_);
        w.bytes.insert(w.bytes.end(), terms.begin(), terms.end());
        link_.send(w.bytes, true);
        end("Cannot join this host. " + why, false, 0, 0);
        return;
      }
      if (waiting_) {
        // A host come back: it plays on with this match's terms, not its own.
        sendHistory();
        link_.send(Bytes{kAccept}, true);
        resumeStaying(now);
        return;
      }
      terms_ = hostTerms;
      link_.send(Bytes{kAccept}, true);
      startPlaying(now);
      return;
    }
    case kAccept:
      if (hosting_ && phase_ == Phase::kAgreeing) {
        if (waiting_) {
          resumeStaying(now);
        } else {
          startPlaying(now);
        }
      }
      return;
    case kRefuse: {
      const std::string why = reader.str();
      if (hosting_ && phase_ == Phase::kAgreeing) {
        // Told as the host sees it when the joiner sent its terms along.
        MatchTerms joiner;
        const std::string told = decodeTerms(reader, joiner) ? refusalToHost(terms_, joiner) : std::string();
        notice_ = told.empty() ? "A player could not join. " + why : told;
        if (backToWaiting()) return;
      }
      end("The other player cannot join. " + why, false, 0, 0);
      return;
    }
    case kStop: {
      const uint8_t reason = reader.u8();
      const uint32_t step = reader.u32();
      if (reason == kStopOutOfStep) {
        outOfStep_ = step;
        end(outOfStepText(step), false, 0, 0);
      } else {
        otherGone_ = phase_ == Phase::kPlaying;
        end("The other player left the match.", false, 0, 0);
      }
      return;
    }
    default:
      return;  // a stray lockstep packet from before the start
  }
}

void CNetMatch::startPlaying(uint32_t now) {
  notice_.clear();
  if (history_.empty()) {
    phase_ = Phase::kPlaying;
    lockstep_ = std::make_unique<CLockstep>(localPlayer_, now, link_.roundTrip());
    return;
  }
  CWireReader r(history_);
  const uint32_t termsSize = r.u32();
  MatchTerms terms;
  bool ok = r.ok() && termsSize <= r.left();
  if (ok) {
    CWireReader termsReader(history_.data() + (history_.size() - r.left()), termsSize);
    ok = decodeTerms(termsReader, terms);
    r = CWireReader(history_.data() + (history_.size() - r.left()) + termsSize, r.left() - termsSize);
  }
  if (ok) lockstep_ = CLockstep::fromHistory(r, localPlayer_, now, link_.roundTrip());
  if (!ok || !lockstep_) {
    end("The other player sent a match this version cannot read.", false, 0, 0);
    return;
  }
  terms_ = terms;
  phase_ = Phase::kPlaying;
}

void CNetMatch::sendHistory() {
  CWireWriter w;
  w.u8(kHistory);
  const Bytes terms = encodeTerms(terms_);
  w.u32(static_cast<uint32_t>(terms.size()));
  w.bytes.insert(w.bytes.end(), terms.begin(), terms.end());
  lockstep_->writeHistory(w, rejoinHash_);
  link_.send(w.bytes, true);
}

void CNetMatch::resumeStaying(uint32_t now) {
  lockstep_->resumeWithNewPeer(now);
  notice_.clear();
  waiting_ = false;
  phase_ = Phase::kPlaying;
}

bool CNetMatch::waitForRejoin(uint64_t worldHash) {
  if (phase_ != Phase::kEnded || !otherGone_ || !lockstep_) return false;
  if (!link_.reopen()) return false;
  rejoinHash_ = worldHash;
  attempt_ = 0;  // a joining side's tries are timed from the next pump
  waiting_ = true;
  otherGone_ = false;
  endMessage_.clear();
  phase_ = Phase::kConnecting;
  return true;
}

void CNetMatch::end(const std::string& message, bool tellPeer, uint8_t reason, uint32_t step) {
  if (tellPeer) {
    CWireWriter w;
    w.u8(kStop);
    w.u8(reason);
    w.u32(step);
    link_.send(w.bytes, true);
  }
  phase_ = Phase::kEnded;
  waiting_ = false;
  endMessage_ = message;
}

void CNetMatch::leave() {
  if (phase_ != Phase::kEnded) end("You left the match.", true, kStopLeft, 0);
  link_.close();
}

}  // namespace net
