// Signs that something happened on the board: a bomb's blast the size of its
// reach, a collector glowing while it scores, a refused purchase shaking its
// marker; and the moments the game's sounds mark.
#pragma once

#include <vector>

#include "core/math2d.h"

struct CSprite;

class CFeedback {
 public:
  CFeedback();
  ~CFeedback();
  CFeedback(const CFeedback&) = delete;
  CFeedback& operator=(const CFeedback&) = delete;

  void blast(Vec2 centre);
  void collected(int player);
  void cannotBuy(Vec2 where);
  void purchased();
  void dropped();
  void turnChanged();
  void victory();

  // Once per game step: fades the blasts and flashes, shakes the refusal.
  void update();
  // A new match: nothing left showing.
  void clear();

  // For tests: what is showing.
  size_t blastsShowing() const { return blasts_.size(); }
  const CSprite* blastSprite(size_t i) const { return blasts_[i].sprite; }
  float flashOpacity(int player) const;
  const CSprite* refusal() const { return refusal_; }

 private:
  struct Blast {
    CSprite* sprite;
    int age;
  };
  std::vector<Blast> blasts_;
  CSprite* flash_[2] = {nullptr, nullptr};
  int flashAge_[2] = {0, 0};
  CSprite* refusal_ = nullptr;
  int refusalAge_ = 0;
  Vec2 refusalAt_;
};

// The running game's feedback, when there is one; the rules call it through
// this pointer so that tests and tools without it lose nothing.
extern CFeedback* g_feedback;
