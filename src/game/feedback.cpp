// Feedback sprites: created over the Parts' own pictures, faded step by step.
#include "game/feedback.h"

#include <cmath>

#include "platform/audio.h"
#include "platform/clock.h"
#include "render/sprite.h"
#include "sim/board.h"
#include "sim/cell_grid.h"

CFeedback* g_feedback = nullptr;

namespace {

constexpr int kBlastSteps = 28;    // about 450 ms
constexpr int kFlashSteps = 24;    // over two of the collectors' wake-up periods: a steady glow while one scores
constexpr int kRefusalSteps = 22;  // the shake of a refused purchase
constexpr float kShakePixels = 5;
constexpr int kFeedbackLayer = 50;

// The collectors' centres on screen.
Vec2 collectorCentre(int player) {
  constexpr float half = board::kCollectorSize / 2;
  const int left = player == 1 ? board::kLeftCollectorX : board::kRightCollectorX;
  return gridToScreen(Vec2{left + half, board::kCollectorTop + half});
}

void centreOn(CSprite* sprite, Vec2 centre) {
  sprite->x = centre.x - sprite->width * sprite->scaleX * 0.5f;
  sprite->y = centre.y - sprite->height * sprite->scaleY * 0.5f;
}

void sound(audio::Cue cue) { audio::play(cue, platform::ticks()); }

CSprite* overGrid(const char* path) {
  CSprite* sprite = createSprite(path, kFeedbackLayer);
  sprite->behindGrid = false;
  sprite->hidden = true;
  return sprite;
}

}  // namespace

CFeedback::CFeedback() {
  for (int p = 0; p < 2; ++p) {
    flash_[p] = overGrid("data/gfx/collector_flash.png");
    centreOn(flash_[p], collectorCentre(p + 1));
  }
  refusal_ = overGrid("data/gfx/shop_nocan.png");
}

CFeedback::~CFeedback() {
  if (g_feedback == this) g_feedback = nullptr;
  for (Blast& b : blasts_) destroySprite(b.sprite);
  for (CSprite* flash : flash_) destroySprite(flash);
  destroySprite(refusal_);
}

void CFeedback::blast(Vec2 centre) {
  sound(audio::Cue::Bomb);
  CSprite* sprite = overGrid("data/gfx/blast.png");
  sprite->hidden = false;
  centreOn(sprite, centre);
  blasts_.push_back(Blast{sprite, 0});
}

void CFeedback::collected(int player) {
  if (player < 1 || player > 2) return;
  sound(audio::Cue::Collect);
  flashAge_[player - 1] = 0;
  flash_[player - 1]->hidden = false;
  flash_[player - 1]->color[3] = 1;
}

void CFeedback::cannotBuy(Vec2 where) {
  sound(audio::Cue::CannotBuy);
  refusalAt_ = where;
  refusalAge_ = 0;
  refusal_->hidden = false;
  refusal_->color[3] = 1;
  centreOn(refusal_, where);
}

void CFeedback::purchased() { sound(audio::Cue::Purchase); }
void CFeedback::dropped() { sound(audio::Cue::Drop); }
void CFeedback::turnChanged() { sound(audio::Cue::TurnChange); }
void CFeedback::victory() { sound(audio::Cue::Victory); }

void CFeedback::update() {
  for (size_t i = 0; i < blasts_.size();) {
    Blast& b = blasts_[i];
    if (++b.age >= kBlastSteps) {
      destroySprite(b.sprite);
      blasts_.erase(blasts_.begin() + static_cast<long>(i));
      continue;
    }
    b.sprite->color[3] = 1.0f - static_cast<float>(b.age) / kBlastSteps;
    ++i;
  }
  for (int p = 0; p < 2; ++p) {
    if (flash_[p]->hidden) continue;
    if (++flashAge_[p] >= kFlashSteps) {
      flash_[p]->hidden = true;
      continue;
    }
    flash_[p]->color[3] = 1.0f - static_cast<float>(flashAge_[p]) / kFlashSteps;
  }
  if (!refusal_->hidden) {
    if (++refusalAge_ >= kRefusalSteps) {
      refusal_->hidden = true;
    } else {
      // A head shake: left and right, dying away.
      float fade = 1.0f - static_cast<float>(refusalAge_) / kRefusalSteps;
      float dx = std::sin(static_cast<float>(refusalAge_) * 1.9f) * kShakePixels * fade;
      centreOn(refusal_, Vec2{refusalAt_.x + dx, refusalAt_.y});
      refusal_->color[3] = fade;
    }
  }
}

void CFeedback::clear() {
  for (Blast& b : blasts_) destroySprite(b.sprite);
  blasts_.clear();
  for (CSprite* flash : flash_) flash->hidden = true;
  refusal_->hidden = true;
}

float CFeedback::flashOpacity(int player) const {
  const CSprite* flash = flash_[player == 1 ? 0 : 1];
  return flash->hidden ? 0.0f : flash->color[3];
}
