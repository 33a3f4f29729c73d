// The game scene: construction of the board's pictures and the stomach, the
// background pulse and sway, bars, timer and the sliding banner.
#include "game/game_scene.h"

#include <cmath>
#include <cstdio>

#include "game/game_part.h"
#include "game/rules.h"
#include "platform/clock.h"
#include "render/palette.h"
#include "render/sprite.h"
#include "render/text_label.h"
#include "sim/placement.h"

namespace {

constexpr int kCopyCount = 10;
constexpr float kBannerRestY = 156.0f;
constexpr float kBannerGoneY = -512.0f;
constexpr int kBannerEaseMs = 500;
// The numbers by the bars: the value under each bar's "P1" / "P2" label and
// the target over the bar's top, inside the window edge.
constexpr float kValueTextY = 486.0f;
constexpr float kTargetTextY = 71.0f;
constexpr float kTextMargin = 3.0f;
// Who plays each side: on the values' row beside them, where the shop never
// comes, with room for a six-figure value.
constexpr float kNameTextX = 63.0f;
constexpr float kBannerNameGap = 4.0f;

std::string wholeNumber(float v) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", static_cast<double>(v));
  return text;
}

void centreSprite(CSprite* sprite, Vec2 centre) {
  sprite->x = centre.x - sprite->width * sprite->scaleX * 0.5f;
  sprite->y = centre.y - sprite->height * sprite->scaleY * 0.5f;
}

void easeQuarter(Vec2& p, Vec2 target) {
  p.x += (target.x - p.x) * 0.25f;
  p.y += (target.y - p.y) * 0.25f;
}

}  // namespace

CGameScene::CGameScene() {
  background = createSprite("data/gfx/background.jpg", 256);
  for (int k = 0; k < kCopyCount; ++k) {
    CSprite* copy = createSprite("data/gfx/background.jpg", 255);
    copy->color[3] = 0.2f;
    copy->stackedOn = background;
    copies.push_back(copy);
  }
  bar1 = createSprite("data/gfx/player1_bar.png", 100);
  bar2 = createSprite("data/gfx/player2_bar.png", 100);
  timerDown = createSprite("data/gfx/timer_down.png", 100);
  timerUp = createSprite("data/gfx/timer_up.png", 100);
  timerDown->x = 53;
  timerDown->y = 14;
  timerUp->x = 15;
  timerUp->y = 11;
  dude = createSprite("data/gfx/dude.png", 100);
  shadow = createSprite("data/gfx/shadow.png", 100);
  shadow->x = 89;
  shadow->y = 138;
  shadow->behindGrid = false;

  stomach = loadGamePart("data/parts/stomach.xml");
  stomach->setGridPosition(Vec2{127, 105.5f});
  stamp(*stomach, Vec2{0, -1});
  stomach->ownerPlayer = 0;

  setBar(1, 0.5f);
  setBar(2, 0.5f);

  value1 = std::make_unique<CTextLabel>(99, true);
  value2 = std::make_unique<CTextLabel>(99, true);
  target1 = std::make_unique<CTextLabel>(99, true);
  target2 = std::make_unique<CTextLabel>(99, true);
  value1->setColor(0.56f, 0.9f, 1.0f, 1.0f);
  target1->setColor(0.56f, 0.9f, 1.0f, 0.8f);
  float two[3];
  playerTwoTextColour(two);
  value2->setColor(two[0], two[1], two[2], 1.0f);
  target2->setColor(two[0], two[1], two[2], 0.8f);
  value1->setPosition(kTextMargin, kValueTextY, CTextLabel::kLeft);
  target1->setPosition(kTextMargin, kTargetTextY, CTextLabel::kLeft);
  value2->setPosition(512 - kTextMargin, kValueTextY, CTextLabel::kRight);
  target2->setPosition(512 - kTextMargin, kTargetTextY, CTextLabel::kRight);
  name1 = std::make_unique<CTextLabel>(99, true);
  name2 = std::make_unique<CTextLabel>(99, true);
  name1->setColor(0.56f, 0.9f, 1.0f, 1.0f);
  name2->setColor(two[0], two[1], two[2], 1.0f);
  name1->setPosition(kNameTextX, kValueTextY, CTextLabel::kLeft);
  name2->setPosition(512 - kNameTextX, kValueTextY, CTextLabel::kRight);
  // Over the banner, which is drawn over the game.
  bannerName = std::make_unique<CTextLabel>(99, false);
  bannerName->setHidden(true);
}

void CGameScene::setSideName(int player, const std::string& name) {
  if (player != 1 && player != 2) return;
  sideNames_[player - 1] = name;
  (player == 1 ? name1 : name2)->setText(name);
  if (banner && bannerPlayer_ == player) bannerName->setText(name);
}

CGameScene::~CGameScene() {
  stomach.reset();
  value1.reset();
  value2.reset();
  target1.reset();
  target2.reset();
  name1.reset();
  name2.reset();
  bannerName.reset();
  destroySprite(banner);
  banner = nullptr;
  for (CSprite* copy : copies) destroySprite(copy);
  copies.clear();
  for (CSprite* sprite : {background, bar1, bar2, timerUp, timerDown, dude, shadow}) destroySprite(sprite);
}

void CGameScene::resetForNewMatch() {
  destroySprite(banner);
  banner = nullptr;
  bannerName->setHidden(true);
  bannerDuration = 0;
  pulsePhase = 0;
  sway = 0;
  pulse = 1;
  setBar(1, 0.5f);
  setBar(2, 0.5f);
}

void CGameScene::update() {
  animateBackground();
  animateBanner();
}

void CGameScene::animateBackground() {
  pulsePhase += 0.16f;
  float s = pulsePhase / 2.5f;
  if (s > 1) pulsePhase -= 2.5f;
  sway += (swayTarget - sway) * 0.5f * 0.16f;
  pulse = std::sin(s * 6.283f) * 0.75f * (pulseTarget - pulse) + 1;
  for (int k = 0; k < static_cast<int>(copies.size()); ++k) {
    CSprite* copy = copies[k];
    copy->rotation = static_cast<float>(k) * sway / 10;
    float g = 1 + static_cast<float>(k) * (pulse - 1) / 10;
    if (g > 0) {
      copy->scaleX = g;
      copy->scaleY = g;
    }
    centreSprite(copy, Vec2{256, 256});
  }
}

void CGameScene::animateBanner() {
  if (!banner) return;
  int64_t t = static_cast<int64_t>(static_cast<uint32_t>(platform::gameTicks() - bannerStart));
  if (t < kBannerEaseMs) easeQuarter(bannerPosition, Vec2{256, kBannerRestY});
  if (t > bannerDuration - kBannerEaseMs) easeQuarter(bannerPosition, Vec2{256, kBannerGoneY});
  if (t > bannerDuration) {
    destroySprite(banner);
    banner = nullptr;
    bannerName->setHidden(true);
    return;
  }
  centreSprite(banner, bannerPosition);
  placeBannerName();
}

void CGameScene::placeBannerName() {
  if (!banner || bannerName->hidden()) return;
  bannerName->setPosition(bannerPosition.x, bannerPosition.y + banner->height * banner->scaleY * 0.5f + kBannerNameGap,
                          CTextLabel::kCentre);
}

void CGameScene::setBar(int player, float fill) {
  CSprite* bar = player == 1 ? bar1 : bar2;
  if (!bar) return;
  Vec2 point = barPoint(player, fill);
  bar->x = point.x;
  bar->y = point.y;
  if (bar->width == 0 || bar->height == 0) {
    bar->scaleX = 0;
    bar->scaleY = 0;
  } else {
    bar->scaleX = 1;
    bar->scaleY = kBarHeight * fill / bar->height;
  }
}

void CGameScene::setValueText(int player, float value, float target) {
  CTextLabel* valueLabel = player == 1 ? value1.get() : value2.get();
  CTextLabel* targetLabel = player == 1 ? target1.get() : target2.get();
  if (valueLabel) valueLabel->setText(wholeNumber(value));
  if (targetLabel) targetLabel->setText(wholeNumber(target));
}

void CGameScene::setTimer(float share) {
  share = clampf(share, 0, 1);
  if (share > 0) timerDown->scaleX = share;
  timerDown->scaleY = 1;
}

void CGameScene::showBanner(const std::string& path, int durationMs, int player) {
  destroySprite(banner);
  banner = createSprite(path, 100);
  banner->behindGrid = false;
  bannerPosition = Vec2{256, -banner->height};
  centreSprite(banner, bannerPosition);
  bannerDuration = durationMs;
  bannerStart = platform::gameTicks();
  bannerPlayer_ = player;
  bannerNamed_ = (player == 1 || player == 2) && !sideNames_[player - 1].empty();
  if (bannerNamed_) bannerName->setText(sideNames_[player - 1]);
  coverBanner(bannerCovered_);
}

void CGameScene::coverBanner(bool covered) {
  bannerCovered_ = covered;
  if (!banner) return;
  banner->hidden = covered;
  bannerName->setHidden(covered || !bannerNamed_);
  placeBannerName();
}
