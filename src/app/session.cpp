// The session's keys, the pause that stops the game clock, the overlays, and
// starting a new match on the next seed.
#include "app/session.h"

#include <cstdio>
#include <string>

#include "game/game_manager.h"
#include "game/game_scene.h"
#include "game/help_text.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/key_map.h"
#include "sim/random.h"

namespace {

constexpr uint32_t kHintMs = 6000;

std::string resultText(const CGameManager& game) {
  char text[160];
  std::snprintf(text, sizeof text, "PLAYER %d WINS\n\nplayer 1: %.0f\nplayer 2: %.0f\n\nEnter: play again   Esc: quit",
                game.winner, static_cast<double>(game.finalValue1), static_cast<double>(game.finalValue2));
  return text;
}

bool isGameInput(Uint8 type) {
  return type == SDL_KEYDOWN || type == SDL_MOUSEMOTION || type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP;
}

}  // namespace

void CSession::begin(CGameManager& game, CGameScene& scene, CDragState& drag, unsigned seed,
                     const COptions& options, uint32_t now) {
  game_ = &game;
  scene_ = &scene;
  drag_ = &drag;
  start_ = recordMatchStart(game);
  seed_ = seed;
  match_ = 0;
  userPaused_ = helpShown_ = false;
  applyPause();
  options_ = options;
  if (!options_.hintShown) {
    hint_.show("F1: help", 256, 468);
    hintUntil_ = now + kHintMs;
    options_.hintShown = true;
    saveOptions(options_);
  }
}

bool CSession::handleEvent(const SDL_Event& event) {
  if (!game_) return false;
  if (event.type == SDL_ACTIVEEVENT) {
    if (networked_) return true;
    // Losing the keyboard or being minimised pauses; coming back waits for P.
    if (event.active.gain == 0 && (event.active.state & (SDL_APPINPUTFOCUS | SDL_APPACTIVE)) && !userPaused_) {
      togglePause();
    }
    return true;
  }
  if (event.type == SDL_KEYDOWN) {
    switch (commandOfKey(event.key.keysym.sym)) {
      case AppCommand::kPause:
        if (networked_) return true;
        if (helpShown_) toggleHelp();
        else togglePause();
        return true;
      case AppCommand::kHelp:
        toggleHelp();
        return true;
      case AppCommand::kQuit:
        if (!helpShown_) return false;  // Escape still ends the game
        toggleHelp();
        return true;
      case AppCommand::kSound:
        toggleSound();
        return true;
      case AppCommand::kEnter:
        if (networked_) return false;
        if (game_->gameOver) newMatch();
        return true;
      default:
        break;
    }
  }
  return paused() && isGameInput(event.type);
}

void CSession::afterUpdate(uint32_t now) {
  if (!game_) return;
  if (game_->gameOver && !result_.shown()) result_.show(resultText(*game_), 256, 250);
  if (hint_.shown() && static_cast<int32_t>(now - hintUntil_) >= 0) hint_.hide();
}

void CSession::end() {
  for (COverlay* overlay : {&result_, &pause_, &help_, &hint_}) overlay->release();
  platform::setGameClockPaused(false);
  game_ = nullptr;
}

void CSession::togglePause() {
  userPaused_ = !userPaused_;
  applyPause();
}

void CSession::toggleHelp() {
  helpShown_ = !helpShown_;
  if (helpShown_) {
    help_.show(helpText(*game_), 256, 14, false);
    hint_.hide();
  } else {
    help_.hide();
  }
  applyPause();
}

void CSession::newMatch() {
  restartMatch(start_, *game_, *scene_, *drag_);
  ++match_;
  seedRandom(seed_ + static_cast<unsigned>(match_));
  if (newMatchHook_) newMatchHook_();
  result_.hide();
  userPaused_ = helpShown_ = false;
  help_.hide();
  applyPause();
}

void CSession::toggleSound() {
  options_.muted = !options_.muted;
  audio::setMuted(options_.muted);
  saveOptions(options_);
}

void CSession::applyPause() {
  platform::setGameClockPaused(paused());
  audio::setPaused(paused());
  if (userPaused_ && !helpShown_) {
    pause_.show("PAUSED\n\nP: resume   F1: help\nEsc: quit", 256, 200);
  } else {
    pause_.hide();
  }
}
