// The game screen's fixed pictures: the breathing background with its faded
// copies, value bars, timers, decoration, the banner, and the stomach board.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/math2d.h"

struct CSprite;
class CGamePart;
class CTextLabel;

class CGameScene {
 public:
  // Builds every sprite and stamps the stomach into the grid.
  CGameScene();
  // Takes the stomach out of the grid and destroys every sprite.
  ~CGameScene();
  CGameScene(const CGameScene&) = delete;
  CGameScene& operator=(const CGameScene&) = delete;

  // Once per simulation step (once in a frame that runs none): the background
  // pulse, then the banner animation.
  void update();
  // A new match: no banner, the background at rest, half-full bars.
  void resetForNewMatch();

  // Player 1 or 2's bar filled to `fill` (0 ... 1), anchored at the bottom.
  void setBar(int player, float fill);
  // The numbers by player 1 or 2's bar: the target over its top, the value
  // under its foot.
  void setValueText(int player, float value, float target);
  // The share of the turn left; at 0 the timer keeps its last width.
  void setTimer(float share);
  // Replaces any banner with the picture, dropping in from above the window;
  // a player's banner carries that side's name under it.
  void showBanner(const std::string& path, int durationMs, int player = 0);
  // Who plays the side ("YOU", "COMPUTER (hard)"), shown by its bar and on
  // its banners; empty shows nothing.
  void setSideName(int player, const std::string& name);
  // While a panel covers the game (help, pause, a question), the banner and
  // its name are not drawn: the banner is drawn over everything, and with the
  // game clock stopped it would hang over the panel's text.
  void coverBanner(bool covered);

  int bannerDuration = 0;
  Vec2 bannerPosition;
  CSprite* banner = nullptr;
  uint32_t bannerStart = 0;
  float pulsePhase = 0;
  float sway = 0;
  float pulse = 1;
  float swayTarget = 0;
  float pulseTarget = 1;
  std::vector<CSprite*> copies;
  CSprite* background = nullptr;
  CSprite* bar1 = nullptr;
  CSprite* bar2 = nullptr;
  CSprite* timerUp = nullptr;
  CSprite* timerDown = nullptr;
  CSprite* dude = nullptr;
  CSprite* shadow = nullptr;
  std::unique_ptr<CGamePart> stomach;
  std::unique_ptr<CTextLabel> value1, value2, target1, target2, name1, name2, bannerName;

 private:
  void animateBackground();
  void animateBanner();
  void placeBannerName();

  std::string sideNames_[2];
  int bannerPlayer_ = 0;
  bool bannerCovered_ = false;
  bool bannerNamed_ = false;
};
