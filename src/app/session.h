// What lies around the matches: pausing (P, or the window losing focus), the
// help screen (F1), the result after a win and a new match (Enter), and the
// first start's hint, and the sound switch (M). Its keys never reach the
// players' controls.
#pragma once

#include <SDL/SDL.h>

#include <cstdint>
#include <functional>
#include <memory>

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
  // was shown before.
  void begin(CGameManager& game, CGameScene& scene, CDragState& drag, unsigned seed, const COptions& options,
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

  // In a networked match nothing may stop one machine alone: P and losing
  // the focus do nothing, the help leaves the game running, and a new
  // match is asked for through the match's inputs (Enter is the game's).
  void setNetworked(bool networked) { networked_ = networked; }
  bool networked() const { return networked_; }

  // Nothing in the game moves: no blood, drops, steering, fades or clock.
  bool paused() const { return !networked_ && (userPaused_ || helpShown_); }
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
  const COptions& options() const { return options_; }

 private:
  void applyPause();

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
  COptions options_;
  std::function<void()> newMatchHook_;
  COverlay result_, pause_, help_, hint_;
};
