// The session's keys, the pause that stops the game clock, the overlays, the
// score, and starting a new match on the next seed.
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
constexpr float kFlashTop = 400;
// Above the names on the values' row, which it would cover.
constexpr float kHintTop = 420;
constexpr float kMuteTop = 446;

std::string wholeNumber(float value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", static_cast<double>(value));
  return text;
}

bool isGameInput(decltype(SDL_Event::type) type) {
  return type == SDL_KEYDOWN || type == SDL_MOUSEMOTION || type == SDL_MOUSEBUTTONDOWN || type == SDL_MOUSEBUTTONUP;
}

}  // namespace

void CSession::begin(CGameManager& game, CGameScene& scene, CDragState& drag, unsigned seed, COptions& options,
                     uint32_t now) {
  game_ = &game;
  scene_ = &scene;
  drag_ = &drag;
  start_ = recordMatchStart(game);
  seed_ = seed;
  match_ = 0;
  wins_[0] = wins_[1] = 0;
  userPaused_ = helpShown_ = asking_ = false;
  leave_ = Leave::kNone;
  leaveAsk_.hide();
  applyPause();
  options_ = &options;
  if (!options_->hintShown && !demo_) {
    hint_.show("F1: help", 256, kHintTop);
    hintUntil_ = now + kHintMs;
    options_->hintShown = true;
    saveOptions(*options_);
  }
  showMuteSign();
}

void CSession::setSideNames(const std::string& player1, const std::string& player2) {
  if (names_[0] == player1 && names_[1] == player2) return;
  names_[0] = player1;
  names_[1] = player2;
  if (result_.shown()) result_.show(resultText(), 256, 250);
}

void CSession::flash(const std::string& text, uint32_t now, uint32_t forMs) {
  flash_.show(text, 256, kFlashTop);
  flashUntil_ = now + forMs;
}

void CSession::setAsksBeforeLeaving(bool asks) {
  asks_ = asks;
  if (!asks && asking_) {
    asking_ = false;
    leaveAsk_.hide();
    applyPause();
  }
}

std::string CSession::resultText() const {
  const int winner = game_->winner == 2 ? 2 : 1;
  const std::string& name = names_[winner - 1];
  // "YOU WIN", "PLAYER 1 WINS": the verb agrees with the name.
  std::string text = name + (name == "YOU" ? " WIN" : " WINS") + "\n\n";
  text += names_[0] + ": " + wholeNumber(game_->finalValue1) + "\n";
  text += names_[1] + ": " + wholeNumber(game_->finalValue2) + "\n\n";
  text += "Score  " + std::to_string(wins_[0]) + " - " + std::to_string(wins_[1]) + "\n\n";
  text += std::string("Enter: play again   Esc: ") + (asks_ ? "leave" : "quit");
  return text;
}

bool CSession::handleEvent(const SDL_Event& event) {
  if (!game_) return false;
  if (asking_ && event.type == SDL_KEYDOWN) {
    const AppCommand command = commandOfKey(event.key.keysym.sym);
    if (command == AppCommand::kEnter) {
      leave_ = Leave::kToMenu;
    } else if (event.key.keysym.sym == SDLK_q && canQuit_) {
      leave_ = Leave::kQuit;
    } else if (command != AppCommand::kQuit) {
      return true;
    }
    asking_ = false;
    leaveAsk_.hide();
    applyPause();
    return true;
  }
  if (event.type == SDL_ACTIVEEVENT) {
    if (networked_ || demo_) return true;
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
        if (helpShown_) {
          toggleHelp();
          return true;
        }
        if (!asks_) return false;  // Escape still ends the game
        asking_ = true;
        leaveAsk_.show(canQuit_ ? "Leave this match?\n\nEnter: back to the menu\nQ: quit the game\nEsc: keep playing"
                                : "Leave this match?\n\nEnter: back to the menu\nEsc: keep playing",
                       256, 200);
        applyPause();
        return true;
      case AppCommand::kSound:
        toggleSound();
        return true;
      case AppCommand::kEnter:
        if (networked_) return false;
        if (game_->gameOver && !demo_) newMatch();
        return true;
      default:
        break;
    }
  }
  return paused() && isGameInput(event.type);
}

void CSession::afterUpdate(uint32_t now) {
  if (!game_) return;
  if (game_->gameOver && demo_) {
    newMatch();
  } else if (game_->gameOver && !result_.shown()) {
    if (game_->winner == 1 || game_->winner == 2) ++wins_[game_->winner - 1];
    result_.show(resultText(), 256, 250);
  }
  if (hint_.shown() && static_cast<int32_t>(now - hintUntil_) >= 0) hint_.hide();
  if (flash_.shown() && static_cast<int32_t>(now - flashUntil_) >= 0) flash_.hide();
}

void CSession::end() {
  for (COverlay* overlay : {&result_, &pause_, &help_, &hint_, &flash_, &mute_, &leaveAsk_}) overlay->release();
  platform::setGameClockPaused(false);
  game_ = nullptr;
  scene_ = nullptr;
}

void CSession::togglePause() {
  userPaused_ = !userPaused_;
  applyPause();
}

void CSession::toggleHelp() {
  helpShown_ = !helpShown_;
  if (helpShown_) {
    help_.show(helpText(*game_, handOverLevel_, canQuit_), 256, 14, false);
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
  options_->muted = !options_->muted;
  audio::setMuted(options_->muted);
  saveOptions(*options_);
  showMuteSign();
}

void CSession::showMuteSign() {
  if (options_->muted) {
    mute_.show("SOUND OFF (M)", 256, kMuteTop);
  } else {
    mute_.hide();
  }
}

void CSession::applyPause() {
  platform::setGameClockPaused(paused());
  audio::setPaused(paused());
  if (userPaused_ && !helpShown_ && !asking_) {
    pause_.show(std::string("PAUSED\n\nP: resume   F1: help\nEsc: ") + (asks_ ? "leave" : "quit"), 256, 200);
  } else {
    pause_.hide();
  }
  coverBanner();
}

void CSession::coverBanner() {
  if (scene_) scene_->coverBanner(userPaused_ || helpShown_ || asking_);
}
