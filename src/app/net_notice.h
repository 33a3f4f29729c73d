// What the window tells the player around a networked match: waiting for the
// other player, agreeing on the match, and how it ended with what can be
// done next.
#pragma once

#include <string>

#include "game/overlay.h"

namespace net {
class CNetGame;
}

class CNetNotice {
 public:
  // Shows the text the match's state calls for, or nothing while playing.
  void update(net::CNetGame& net);
  void release() { overlay_.release(); }
  const COverlay& overlay() const { return overlay_; }

 private:
  std::string shownText_;
  COverlay overlay_;
};
