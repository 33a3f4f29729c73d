// What lies around the matches: pausing (P, or the window losing focus), the
// help screen (F1), the result after a win with the score of the matches so
// far and a new match (Enter), the first start's hint and other short
// notices, the sound switch (M) with its sign, and asking before a match
// started from the menu is left (Escape). Its keys never reach the players'
// controls.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "game/match_reset.h"
#include "game/overlay.h"
#include "app/options.h"

class CGameManager;
class CGameScene;
struct CDragState;

class CSession {
 public:
  CSession() = default;
  CSession(const CSession&) = delete;
  CSession& operator=(const CSession&) = delete;

  // Once the game is built and its controllers bound. Match k (from 0) runs
  // on the random seed `seed` + k. The hint shows unless the options say it
  // was shown before. The options must outlive the session's use of them;
  // the score starts at 0 - 0.
  void begin(CGameManager& game, CGameScene& scene, CDragState& drag, unsigned seed, COptions& options,
             uint32_t now);
  // Takes the session's own keys and window events, and while the game is
  // paused every input but a key's release (so no key stays held). Returns
  // true when the game must not see the event.
  bool handleEvent(const SDL_Event& event);
  // Once per frame, after the game's updates: the result appears, the hint
  // leaves.
  void afterUpdate(uint32_t now);
  // Before the sprites go.
  void end();

  // The board behind the title menu: no hint, no pause when the focus goes,
  // no result panel, and a new match at once after a win.
  void setDemo(bool demo) { demo_ = demo; }
  bool demo() const { return demo_; }
  // The computer's level F2 hands a side over at, as the help says it.
  void setHandOverLevel(const std::string& level) { handOverLevel_ = level; }
  // Who plays each side, as the result panel names them.
  void setSideNames(const std::string& player1, const std::string& player2);
  // A line shown for a moment near the foot of the window.
  void flash(const std::string& text, uint32_t now, uint32_t forMs = 2500);
  const COverlay& flashOverlay() const { return flash_; }
  const COverlay& muteOverlay() const { return mute_; }
  // Matches won by player 1 and 2 since begin.
  int wins(int player) const { return player == 1 || player == 2 ? wins_[player - 1] : 0; }

  // A match started from the menu: Escape asks first, and the answer is the
  // application's to carry out.
  enum class Leave { kNone, kToMenu, kQuit };
  void setAsksBeforeLeaving(bool asks);
  // Whether asking to leave offers Q to quit the game as well (a web page
  // cannot close itself).
  void setCanQuit(bool canQuit) { canQuit_ = canQuit; }
  bool askingToLeave() const { return asking_; }
  Leave takeLeave() {
    const Leave leave = leave_;
    leave_ = Leave::kNone;
    return leave;
  }
  const COverlay& leaveOverlay() const { return leaveAsk_; }

  // In a networked match nothing may stop one machine alone: P and losing
  // the focus do nothing, the help leaves the game running, and a new
  // match is asked for through the match's inputs (Enter is the game's).
  void setNetworked(bool networked) { networked_ = networked; }
  bool networked() const { return networked_; }

  // Nothing in the game moves: no blood, drops, steering, fades or clock.
  bool paused() const { return !networked_ && (userPaused_ || helpShown_ || asking_); }
  bool helpShown() const { return helpShown_; }
  int matchNumber() const { return match_; }
  const COverlay& resultOverlay() const { return result_; }
  const COverlay& pauseOverlay() const { return pause_; }
  const COverlay& helpOverlay() const { return help_; }
  const COverlay& hintOverlay() const { return hint_; }

  // The same as the keys do.
  void togglePause();
  void toggleHelp();
  void newMatch();
  void toggleSound();
  // Called after the world is back at its start, before the new match's
  // first frame (the computer players forget the old match there).
  void setNewMatchHook(std::function<void()> hook) { newMatchHook_ = std::move(hook); }
  const COptions& options() const { return *options_; }

 private:
  void applyPause();
  void coverBanner();
  void showMuteSign();
  std::string resultText() const;

  CGameManager* game_ = nullptr;
  CGameScene* scene_ = nullptr;
  CDragState* drag_ = nullptr;
  CMatchStart start_;
  unsigned seed_ = 0;
  int match_ = 0;
  bool userPaused_ = false;
  bool helpShown_ = false;
  bool networked_ = false;
  uint32_t hintUntil_ = 0;
  uint32_t flashUntil_ = 0;
  bool demo_ = false;
  bool asks_ = false, asking_ = false;
  bool canQuit_ = true;
  Leave leave_ = Leave::kNone;
  int wins_[2] = {0, 0};
  std::string names_[2] = {"PLAYER 1", "PLAYER 2"};
  std::string handOverLevel_ = "normal";
  COptions defaultOptions_;
  COptions* options_ = &defaultOptions_;
  std::function<void()> newMatchHook_;
  COverlay result_, pause_, help_, hint_, flash_, mute_, leaveAsk_;
};
