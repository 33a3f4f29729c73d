// Text on the game screen: lines cut character by character out of the text
// picture, kept as sprites in the drawing order like every other picture.
#pragma once

#include <string>
#include <vector>

struct CSprite;

class CTextLabel {
 public:
  enum Align { kLeft, kCentre, kRight };

  // Characters go into `layer`, behind the grid or over it.
  CTextLabel(int layer, bool behindGrid);
  ~CTextLabel();
  CTextLabel(const CTextLabel&) = delete;
  CTextLabel& operator=(const CTextLabel&) = delete;

  // Lines are separated by '\n'; characters outside printable ASCII show as '?'.
  // Costs nothing when the text is unchanged.
  void setText(const std::string& text);
  // The top of the first line at y; x is the left edge, centre or right edge
  // of every line, as aligned.
  void setPosition(float x, float y, Align align = kLeft);
  void move(float dx, float dy) { setPosition(x_ + dx, y_ + dy, align_); }
  void setHidden(bool hidden);
  void setColor(float r, float g, float b, float a);

  const std::string& text() const { return text_; }
  bool hidden() const { return hidden_; }
  float x() const { return x_; }
  float y() const { return y_; }
  // Of the widest line, in pixels.
  float width() const;
  float height() const;
  // The character sprites, for tests that look at what would be drawn.
  const std::vector<CSprite*>& glyphs() const { return glyphs_; }

 private:
  void place();

  int layer_;
  bool behindGrid_;
  bool hidden_ = false;
  float color_[4] = {1, 1, 1, 1};
  std::string text_;
  float x_ = 0, y_ = 0;
  Align align_ = kLeft;
  std::vector<CSprite*> glyphs_;  // owned, one per visible character in reading order
};

constexpr float kGlyphWidth = 10;
constexpr float kGlyphHeight = 17;
constexpr const char* kTextPicture = "data/gfx/font.png";
