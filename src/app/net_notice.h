// What the window tells the player around a networked match: waiting for the
// other player (and where to find this machine), connecting, agreeing on the
// match, a match waiting for the other side's moves, and how it ended with
// what can be done next.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/overlay.h"
#include "net/net_match.h"

namespace net {
class CNetGame;
}

// All a notice says, read from the match at one moment.
struct NoticeState {
  net::CNetMatch::Phase phase = net::CNetMatch::Phase::kConnecting;
  bool hosting = false;
  std::string host;  // joining: as the player gave it
  uint16_t port = 0;
  uint16_t listeningPort = 0;          // hosting
  std::vector<std::string> addresses;  // hosting: this machine's
  int attempt = 0;                     // joining: 0 before the first
  bool waiting = false;                // for the other player to come back
  std::string hostNotice;              // see CNetMatch::notice
  uint32_t stalledMs = 0;
  std::string endText;
  bool playingOn = false;
  bool canPlayOn = false;
  bool canRetry = false;
  std::string escapeText = "Esc: quit";
};

// The notice's text, wrapped for the overlay; empty when there is none.
std::string noticeText(const NoticeState& state);

class CNetNotice {
 public:
  // Steps waiting this long for the other side's moves are told: shorter
  // waits are a slow packet, not worth a word.
  static constexpr uint32_t kStallShownMs = 500;

  // Shows the text the match's state at `now` calls for, or nothing while
  // the match runs.
  void update(net::CNetGame& net, uint32_t now);
  // What Esc does here: "Esc: quit" unless the menu started the match.
  void setEscapeText(std::string text) { escapeText_ = std::move(text); }
  void release() { overlay_.release(); }
  const COverlay& overlay() const { return overlay_; }

 private:
  std::string shownText_;
  std::string escapeText_ = "Esc: quit";
  std::vector<std::string> addresses_;
  uint32_t addressesAt_ = 0;
  COverlay overlay_;
};
