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

constexpr float kWheelTurn = 0.15f;
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
  if (before != CNetMatch::Phase::kPlaying && playing()) started_ = true;
}

bool CNetGame::capture(const SDL_Event& event) {
  PlayerInput in;
  switch (event.type) {
    case SDL_KEYDOWN:
    case SDL_KEYUP: {
      const SDLKey key = event.key.keysym.sym;
      if (event.type == SDL_KEYDOWN && (key == SDLK_RETURN || key == SDLK_KP_ENTER)) {
        in.kind = PlayerInput::kNewMatch;
        break;
      }
      int dir = 0;
      if (!keyDirection(key, dir)) return false;
      in.kind = event.type == SDL_KEYDOWN ? PlayerInput::kKeyPress : PlayerInput::kKeyRelease;
      in.value = static_cast<int8_t>(dir);
      break;
    }
    case SDL_MOUSEMOTION:
      in.kind = PlayerInput::kMotion;
      in.x = static_cast<int16_t>(event.motion.x);
      in.y = static_cast<int16_t>(event.motion.y);
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      in.x = static_cast<int16_t>(event.button.x);
      in.y = static_cast<int16_t>(event.button.y);
      if (event.button.button == SDL_BUTTON_LEFT) {
        in.kind = event.type == SDL_MOUSEBUTTONDOWN ? PlayerInput::kButtonPress : PlayerInput::kButtonRelease;
      } else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_WHEELUP) {
        in.kind = PlayerInput::kWheel;
        in.value = -1;
      } else if (event.type == SDL_MOUSEBUTTONDOWN && event.button.button == SDL_BUTTON_WHEELDOWN) {
        in.kind = PlayerInput::kWheel;
        in.value = 1;
      } else {
        return false;
      }
      break;
    default:
      return false;
  }
  if (playing()) match_.lockstep()->addLocalInput(in);
  return true;
}

void CNetGame::runSteps(CFramePacer& pacer, uint32_t now, CGameManager& game, CDragState& drag,
                        const std::function<void()>& runStep, const std::function<void()>& newMatch) {
  match_.runDueSteps(
      pacer, now,
      [&] {
        const CLockstep& ls = *match_.lockstep();
        // Player 1 first on both machines, whoever is local.
        for (int player = 1; player <= 2; ++player) {
          for (const PlayerInput& in : ls.inputs(player, ls.nextStep())) apply(game, drag, player, in, newMatch);
        }
        ++stepsBegun_;
        runStep();
      },
      [&] { return worldHash(&game); });
}

void CNetGame::apply(CGameManager& game, CDragState& drag, int player, const PlayerInput& in,
                     const std::function<void()>& newMatch) {
  const uint32_t step = match_.lockstep()->nextStep();
  const bool myTurn = game.currentPlayer == player;
  switch (in.kind) {
    case PlayerInput::kKeyPress:
    case PlayerInput::kKeyRelease: {
      if (in.value < kTurnRight || in.value > kTurnLeft) return;
      CPlayerController& c = player == 1 ? game.controller1 : game.controller2;
      if (in.kind == PlayerInput::kKeyPress) {
        c.keyPress(in.value);
      } else {
        c.keyRelease(in.value);
      }
      break;
    }
    case PlayerInput::kMotion:
      if (!myTurn) return;
      drag.mouseMotion(in.x, in.y);
      break;
    case PlayerInput::kButtonPress:
      if (!myTurn) return;
      if (mouseOwner_ != 0 && mouseOwner_ != player) {
        // The other player still holds the button from the last turn: its
        // hold ends where the new turn's press begins.
        PlayerInput release = in;
        release.kind = PlayerInput::kButtonRelease;
        drag.release();
        record_.add(step, mouseOwner_, release);
      }
      mouseOwner_ = player;
      drag.press();
      break;
    case PlayerInput::kButtonRelease:
      if (mouseOwner_ != player) return;
      mouseOwner_ = 0;
      drag.release();
      break;
    case PlayerInput::kWheel:
      if (!myTurn) return;
      drag.turn(in.value < 0 ? -kWheelTurn : kWheelTurn);
      break;
    case PlayerInput::kNewMatch:
      if (!game.gameOver) return;
      mouseOwner_ = 0;
      newMatch();
      break;
    default:
      return;
  }
  record_.add(step, player, in);
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
      text = wrap(endText_) + "\n\nEsc: quit";
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
