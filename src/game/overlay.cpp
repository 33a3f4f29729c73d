// The overlay panel: one flat translucent picture scaled behind a text label.
#include "game/overlay.h"

#include "render/sprite.h"

namespace {
constexpr const char* kPanelPicture = "data/gfx/overlay.png";
constexpr float kMargin = 10;
const std::string kNoText;
}  // namespace

COverlay::~COverlay() { release(); }

void COverlay::release() {
  label_.reset();
  destroySprite(panel_);
  panel_ = nullptr;
  shown_ = false;
}

void COverlay::show(const std::string& text, float centreX, float top, bool centreLines) {
  if (!label_) {
    panel_ = createSprite(kPanelPicture, kOverlayPanelLayer);
    panel_->behindGrid = false;
    label_ = std::make_unique<CTextLabel>(kOverlayTextLayer, false);
  }
  label_->setText(text);
  const float width = label_->width();
  const float height = label_->height();
  if (centreLines) {
    label_->setPosition(centreX, top + kMargin, CTextLabel::kCentre);
  } else {
    label_->setPosition(centreX - width * 0.5f, top + kMargin, CTextLabel::kLeft);
  }
  // A flat colour: stretched or edge-repeated, either drawing means fills
  // the rectangle the same.
  panel_->x = centreX - width * 0.5f - kMargin;
  panel_->y = top;
  if (panel_->width > 0 && panel_->height > 0) {
    panel_->scaleX = (width + 2 * kMargin) / panel_->width;
    panel_->scaleY = (height + 2 * kMargin) / panel_->height;
  }
  panel_->hidden = false;
  label_->setHidden(false);
  shown_ = true;
}

void COverlay::hide() {
  if (panel_) panel_->hidden = true;
  if (label_) label_->setHidden(true);
  shown_ = false;
}

const std::string& COverlay::text() const { return label_ ? label_->text() : kNoText; }

void COverlay::setOpacity(float opacity) {
  if (panel_) panel_->color[3] = opacity;
  if (label_) label_->setColor(1, 1, 1, opacity);
}
