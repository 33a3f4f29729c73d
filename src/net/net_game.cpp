// The networked match inside the game; see net_game.h.
#include "net/net_game.h"

#include <unistd.h>

#include <climits>
#include <iostream>

namespace net {

namespace {

// Steps run again between two services of the link while a side rebuilds a
// match: about 50 ms of simulation on a slow machine.
constexpr uint32_t kServiceEverySteps = 256;

std::string workingFolder() {
  char buf[PATH_MAX];
  return getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

}  // namespace

bool CNetGame::begin(const Where& where, IMatchGame& game, uint32_t seed, uint32_t now, std::string& error) {
  where_ = where;
  game_ = &game;
  const MatchTerms terms = localTerms(seed, game.settings());
  const bool ok = where.hosting ? match_.host(where.port, terms, error) : match_.join(where.host, where.port, terms, error);
  if (ok) match_.pump(now);
  return ok;
}

void CNetGame::pump(uint32_t now) {
  const CNetMatch::Phase before = match_.phase();
  match_.pump(now);
  if (match_.notice() != noticeShown_) {
    noticeShown_ = match_.notice();
    if (!noticeShown_.empty()) std::cout << noticeShown_ << std::endl;
  }
  if (before != CNetMatch::Phase::kEnded && ended()) onEnded();
  if (before != CNetMatch::Phase::kPlaying && playing() && !everPlayed_) started_ = everPlayed_ = true;
}

void CNetGame::retry(uint32_t now) {
  if (!canRetry() || !match_.retryJoin(now)) return;
  endText_.clear();
  pump(now);
}

void CNetGame::waitForOther() {
  if (canWait()) match_.waitForRejoin(game_->worldHash());
}

void CNetGame::addLocalInput(PlayerInput in) {
  if (!playing()) return;
  in.player = match_.localPlayer();
  match_.lockstep()->addLocalInput(in);
}

void CNetGame::addLocalInputs(const std::vector<PlayerInput>& inputs) {
  for (const PlayerInput& in : inputs) addLocalInput(in);
}

void CNetGame::runSteps(CFramePacer& pacer, uint32_t now) {
  CLockstep* ls = match_.lockstep();
  if (playing() && ls->rebuilding()) {
    // Come back to a match: its steps so far, at once, from the history.
    while (ls->rebuilding()) {
      runStep();
      ls->finishStep();
      if (ls->hashDue()) ls->recordHash(game_->worldHash());
      // A long match takes seconds to run again: the link must go on
      // answering meanwhile, or ENet on the other side gives up on it.
      if (ls->nextStep() % kServiceEverySteps == 0) match_.link().service();
    }
    ls->rebuilt(game_->worldHash());
    pacer.lag = 0;
  }
  match_.runDueSteps(
      pacer, now, [&] { runStep(); }, [&] { return game_->worldHash(); });
}

void CNetGame::runStep() {
  const CLockstep& ls = *match_.lockstep();
  const uint32_t step = ls.nextStep();
  // Player 1 first on both machines, whoever is local. The record holds
  // what reached the game, so the one-keyboard replay (whose mouse is
  // always the turn's) sees the same.
  for (int player = 1; player <= 2; ++player) {
    for (const PlayerInput& in : ls.inputs(player, step)) {
      if (game_->apply(in)) record_.add(step, in);
    }
  }
  ++stepsBegun_;
  game_->runStep();
}

void CNetGame::onEnded() {
  endText_ = match_.endMessage();
  const auto step = match_.outOfStepAt();
  const CLockstep* ls = match_.lockstep();
  if (step && ls && game_) {
    const auto hash = ls->localHash(*step);
    if (hash) {
      const std::string stem = workingFolder() + "/vesicor-out-of-step-" + std::to_string(*step) + "-player" +
                               std::to_string(ls->localPlayer());
      const std::string path = record_.write(stem, terms().seed, terms().settings, *step, *hash, endText_);
      if (!path.empty()) endText_ += " This side's match up to there is replayed by " + path;
    }
  }
  std::cout << endText_ << std::endl;
}

}  // namespace net
