// Text labels: which cell of the text picture each character uses, and
// keeping one sprite per visible character laid out along its line.
#include "render/text_label.h"

#include <algorithm>
#include <cmath>

#include "render/image.h"
#include "render/sprite.h"

namespace {

// The text picture holds characters 32 to 126, 16 to a row, in fixed cells.
constexpr int kFirstChar = 32;
constexpr int kLastChar = 126;
constexpr int kColumns = 16;

int cellOf(char ch) {
  int code = static_cast<unsigned char>(ch);
  if (code < kFirstChar || code > kLastChar) code = '?';
  return code - kFirstChar;
}

bool visible(char ch) { return ch != ' ' && ch != '\n'; }

}  // namespace

CTextLabel::CTextLabel(int layer, bool behindGrid) : layer_(layer), behindGrid_(behindGrid) {}

CTextLabel::~CTextLabel() {
  for (CSprite* glyph : glyphs_) destroySprite(glyph);
}

void CTextLabel::setText(const std::string& text) {
  if (text == text_) return;
  text_ = text;
  size_t needed = static_cast<size_t>(std::count_if(text_.begin(), text_.end(), visible));
  while (glyphs_.size() > needed) {
    destroySprite(glyphs_.back());
    glyphs_.pop_back();
  }
  // Without the text picture in the cache (content that lacks it) text is
  // simply not shown, rather than loading the picture once per character.
  if (!findImage(kTextPicture)) needed = 0;
  while (glyphs_.size() < needed) {
    CSprite* glyph = createSprite(kTextPicture, layer_);
    glyph->behindGrid = behindGrid_;
    glyph->window = true;
    std::copy(color_, color_ + 4, glyph->color);
    glyphs_.push_back(glyph);
  }
  place();
}

void CTextLabel::setPosition(float x, float y, Align align) {
  x_ = x;
  y_ = y;
  align_ = align;
  place();
}

void CTextLabel::setHidden(bool hidden) {
  hidden_ = hidden;
  for (CSprite* glyph : glyphs_) glyph->hidden = hidden;
}

void CTextLabel::setColor(float r, float g, float b, float a) {
  const float c[4] = {r, g, b, a};
  std::copy(c, c + 4, color_);
  for (CSprite* glyph : glyphs_) std::copy(c, c + 4, glyph->color);
}

float CTextLabel::width() const {
  size_t widest = 0, current = 0;
  for (char ch : text_) {
    current = ch == '\n' ? 0 : current + 1;
    widest = std::max(widest, current);
  }
  return static_cast<float>(widest) * kGlyphWidth;
}

float CTextLabel::height() const {
  if (text_.empty()) return 0;
  return static_cast<float>(std::count(text_.begin(), text_.end(), '\n') + 1) * kGlyphHeight;
}

void CTextLabel::place() {
  size_t next = 0;
  size_t lineStart = 0;
  float top = y_;
  while (lineStart <= text_.size()) {
    size_t lineEnd = text_.find('\n', lineStart);
    if (lineEnd == std::string::npos) lineEnd = text_.size();
    const float lineWidth = static_cast<float>(lineEnd - lineStart) * kGlyphWidth;
    float left = x_;
    if (align_ == kCentre) left -= lineWidth * 0.5f;
    if (align_ == kRight) left -= lineWidth;
    // Whole pixels, so every character samples its own cell of the picture.
    left = std::round(left);
    const float rowTop = std::round(top);
    for (size_t i = lineStart; i < lineEnd; ++i) {
      if (!visible(text_[i]) || next >= glyphs_.size()) continue;
      CSprite* glyph = glyphs_[next++];
      const int cell = cellOf(text_[i]);
      glyph->srcX = static_cast<float>(cell % kColumns) * kGlyphWidth;
      glyph->srcY = static_cast<float>(cell / kColumns) * kGlyphHeight;
      glyph->width = glyph->texture ? kGlyphWidth : 0;
      glyph->height = glyph->texture ? kGlyphHeight : 0;
      glyph->x = left + static_cast<float>(i - lineStart) * kGlyphWidth;
      glyph->y = rowTop;
      glyph->hidden = hidden_;
    }
    top += kGlyphHeight;
    lineStart = lineEnd + 1;
  }
}
