// The networked match inside the game; see net_game.h.
#include "net/net_game.h"

#include <unistd.h>

#include <climits>
#include <iostream>

#include "game/game_manager.h"
#include "game/player_controller.h"
#include "net/world_hash.h"

namespace net {

namespace {

constexpr size_t kLineWidth = 46;

// Either key set steers the local player.
bool keyDirection(SDLKey key, int& dir) {
  switch (key) {
    case SDLK_w: case SDLK_UP: dir = kForward; return true;
    case SDLK_s: case SDLK_DOWN: dir = kBackward; return true;
    case SDLK_a: case SDLK_LEFT: dir = kTurnLeft; return true;
    case SDLK_d: case SDLK_RIGHT: dir = kTurnRight; return true;
    default: return false;
  }
}

// Breaks a sentence into the overlay's lines at spaces.
std::string wrap(const std::string& text) {
  std::string out, line, word;
  auto flushWord = [&] {
    if (word.empty()) return;
    if (!line.empty() && line.size() + 1 + word.size() > kLineWidth) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    word.clear();
  };
  for (char c : text) {
    if (c == ' ' || c == '\n') {
      flushWord();
      if (c == '\n') {
        out += line + "\n";
        line.clear();
      }
    } else {
      word += c;
    }
  }
  flushWord();
  return out + line;
}

std::string workingFolder() {
  char buf[PATH_MAX];
  return getcwd(buf, sizeof buf) ? std::string(buf) : std::string(".");
}

}  // namespace

bool CNetGame::begin(const Where& where, const CGameManager& game, uint32_t seed, uint32_t now, std::string& error) {
  where_ = where;
  const MatchTerms terms = localTerms(seed, settingsOf(game));
  const bool ok = where.hosting ? match_.host(where.port, terms, error) : match_.join(where.host, where.port, terms, error);
  if (ok) match_.pump(now);
  return ok;
}

void CNetGame::pump(uint32_t now) {
  const CNetMatch::Phase before = match_.phase();
  match_.pump(now);
  if (before != CNetMatch::Phase::kEnded && ended()) onEnded(g_game);
  if (before != CNetMatch::Phase::kPlaying && playing() && !everPlayed_) started_ = everPlayed_ = true;
}

void CNetGame::waitForOther(const CGameManager& game) {
  if (canWait() && match_.waitForRejoin(worldHash(&game))) updateOverlay();
}

bool CNetGame::capture(const SDL_Event& event) {
  PlayerInput in;
  if (!toInput(event, in)) return false;
  if (playing()) match_.lockstep()->addLocalInput(in);
  return true;
}

void CNetGame::addLocalInputs(const std::vector<PlayerInput>& inputs) {
  if (!playing()) return;
  for (const PlayerInput& in : inputs) match_.lockstep()->addLocalInput(in);
}

bool CNetGame::toInput(const SDL_Event& event, PlayerInput& in) const {
  in = PlayerInput();
  in.player = match_.localPlayer();
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const SDLKey key = event.key.keysym.sym;
      if (event.type == SDL_KEYDOWN && (key == SDLK_RETURN || key == SDLK_KP_ENTER)) {
        in.action = PlayerAction::kKeyDown;
        in.code = kNewMatchCode;
        return true;
      }
      if (!keyDirection(key, in.code)) return false;
      in.action = event.type == SDL_KEYDOWN ? PlayerAction::kKeyDown : PlayerAction::kKeyUp;
      return true;
    }
    case SDL_MOUSEMOTION:
      in.action = PlayerAction::kMouseMotion;
      in.x = event.motion.x;
      in.y = event.motion.y;
      return true;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      in.action = event.type == SDL_MOUSEBUTTONDOWN ? PlayerAction::kButtonDown : PlayerAction::kButtonUp;
      in.code = event.button.button;
      in.x = event.button.x;
      in.y = event.button.y;
      return in.code == kLeftButton || in.code == kWheelUp || in.code == kWheelDown;
    default:
      return false;
  }
}

void CNetGame::runSteps(CFramePacer& pacer, uint32_t now, CGameManager& game, CDragState& drag,
                        const std::function<void()>& runStep, const std::function<void()>& newMatch) {
  CLockstep* ls = match_.lockstep();
  if (playing() && ls->rebuilding()) {
    // Come back to a match: its steps so far, at once, from the history.
    while (ls->rebuilding()) {
      this->runStep(game, drag, runStep, newMatch);
      ls->finishStep();
      if (ls->hashDue()) ls->recordHash(worldHash(&game));
    }
    ls->rebuilt(worldHash(&game));
    pacer.lag = 0;
  }
  match_.runDueSteps(
      pacer, now, [&] { this->runStep(game, drag, runStep, newMatch); }, [&] { return worldHash(&game); });
}

void CNetGame::runStep(CGameManager& game, CDragState& drag, const std::function<void()>& runStep,
                       const std::function<void()>& newMatch) {
  const CLockstep& ls = *match_.lockstep();
  // Player 1 first on both machines, whoever is local.
  for (int player = 1; player <= 2; ++player) {
    for (const PlayerInput& in : ls.inputs(player, ls.nextStep())) apply(game, drag, in, newMatch);
  }
  ++stepsBegun_;
  runStep();
}

void CNetGame::apply(CGameManager& game, CDragState& drag, const PlayerInput& in,
                     const std::function<void()>& newMatch) {
  const uint32_t step = match_.lockstep()->nextStep();
  if (in.action == PlayerAction::kKeyDown && in.code == kNewMatchCode) {
    if (game.gameOver) {
      record_.add(step, in);
      newMatch();
    }
    return;
  }
  // The record holds what reached the game, by the seam's own rules, so
  // the one-keyboard replay (whose mouse is always the turn's) sees the same.
  bool reaches = true;
  switch (in.action) {
    case PlayerAction::kKeyDown:
    case PlayerAction::kKeyUp:
      break;
    case PlayerAction::kMouseMotion:
    case PlayerAction::kButtonDown:
      reaches = in.player == game.currentPlayer;
      break;
    case PlayerAction::kButtonUp:
      reaches = in.code == kLeftButton && drag.held && drag.holder == in.player;
      break;
  }
  if (reaches) record_.add(step, in);
  applyPlayerInput(in, game, drag);
}

void CNetGame::onEnded(const CGameManager* game) {
  endText_ = match_.endMessage();
  const auto step = match_.outOfStepAt();
  const CLockstep* ls = match_.lockstep();
  if (step && ls && game) {
    const auto hash = ls->localHash(*step);
    if (hash) {
      const std::string stem = workingFolder() + "/vesicor-out-of-step-" + std::to_string(*step) + "-player" +
                               std::to_string(ls->localPlayer());
      const std::string path = record_.write(stem, terms(), *step, *hash, endText_);
      if (!path.empty()) endText_ += " This side's match up to there is replayed by " + path;
    }
  }
  std::cout << endText_ << std::endl;
}

void CNetGame::updateOverlay() {
  std::string text;
  switch (match_.phase()) {
    case CNetMatch::Phase::kConnecting:
      if (match_.waiting()) {
        text = where_.hosting ? "Waiting for the other player to come back on port " +
                                    std::to_string(match_.link().port()) + ": the game stands still."
                              : "Trying to reach the host again: the game stands still.";
        text = wrap(text) + "\n\nEnter: play on against the computer\nEsc: quit";
        break;
      }
      text = where_.hosting ? "Waiting for the other player on port " + std::to_string(match_.link().port()) + "."
                            : "Connecting to " + where_.host + " on port " + std::to_string(where_.port) + ".";
      text = wrap(text) + "\n\nEsc: quit";
      break;
    case CNetMatch::Phase::kAgreeing:
      text = "Agreeing on the match with the other player.\n\nEsc: quit";
      break;
    case CNetMatch::Phase::kPlaying:
      break;
    case CNetMatch::Phase::kEnded:
      if (playingOn_) break;
      text = wrap(endText_) + (canPlayOn() ? "\n\nEnter: play on against the computer\n"
                                             "R: wait for the other player to come back\nEsc: quit"
                                           : "\n\nEsc: quit");
      break;
  }
  if (text == shownText_) return;
  shownText_ = text;
  if (text.empty()) {
    notice_.hide();
  } else {
    notice_.show(text, 256, 200);
  }
}

}  // namespace net
