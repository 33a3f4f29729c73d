// Screens laid over the game: a dimmed panel with text on it, drawn over
// everything else (the result after a win, the pause notice, the help, the
// first start's hint).
#pragma once

#include <memory>
#include <string>

#include "render/text_label.h"

struct CSprite;

class COverlay {
 public:
  COverlay() = default;
  ~COverlay();
  COverlay(const COverlay&) = delete;
  COverlay& operator=(const COverlay&) = delete;

  // Centred on `centreX`, its top at `top`; the panel fits the text with a
  // margin. Lines are centred or left-aligned within the panel.
  void show(const std::string& text, float centreX, float top, bool centreLines = true);
  void hide();
  // Destroys the sprites (before the sprite list goes); show makes new ones.
  void release();
  bool shown() const { return shown_; }
  const std::string& text() const;
  // Fades panel and text together (1 opaque as drawn, 0 gone).
  void setOpacity(float opacity);

 private:
  bool shown_ = false;
  CSprite* panel_ = nullptr;  // owned
  std::unique_ptr<CTextLabel> label_;
};

// Overlays draw after every picture of the game, panels first, text last.
constexpr int kOverlayPanelLayer = 2;
constexpr int kOverlayTextLayer = 1;
