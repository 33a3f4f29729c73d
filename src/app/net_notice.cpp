// The networked match's notices; see net_notice.h.
#include "app/net_notice.h"

#include <algorithm>

#include "app/text_wrap.h"
#include "net/local_addresses.h"
#include "net/net_game.h"

namespace {

constexpr size_t kLineWidth = 46;
// A machine that joins a network while it waits shows its new address soon.
constexpr uint32_t kAddressesEveryMs = 5000;

std::string wrap(const std::string& text) { return wrapText(text, kLineWidth); }

std::string kept(const std::string& words) {
  std::string out = words;
  std::replace(out.begin(), out.end(), ' ', kUnbreakableSpace);
  return out;
}

// "A", "A (or B)", "A (or B, C)".
std::string addressList(const std::vector<std::string>& addresses) {
  if (addresses.empty()) return "127.0.0.1";
  std::string out = addresses[0];
  for (size_t i = 1; i < addresses.size(); ++i) out += (i == 1 ? " " + kept("(or ") : ", ") + addresses[i];
  return out + (addresses.size() > 1 ? ")" : "");
}

bool hostWaitsForFirstPlayer(const net::CNetGame& net) {
  return net.where().hosting && net.phase() == net::CNetMatch::Phase::kConnecting && !net.waiting();
}

}  // namespace

std::string noticeText(const NoticeState& s) {
  using Phase = net::CNetMatch::Phase;
  const std::string escape = "\n\n" + s.escapeText;
  const std::string hostNotice = s.hostNotice.empty() ? "" : "\n\n" + wrap(s.hostNotice);
  switch (s.phase) {
    case Phase::kConnecting:
      if (s.waiting) {
        return wrap(s.hosting ? "Waiting for the other player to come back on port " + std::to_string(s.listeningPort) +
                                    ": the game stands still."
                              : "Trying to reach the host again: the game stands still.") +
               hostNotice + "\n\nEnter: play on against the computer\n" + s.escapeText;
      }
      if (s.hosting) {
        return "Waiting for the other player.\n" +
               wrap("Join this machine at " + addressList(s.addresses) + " on " +
                    kept("port " + std::to_string(s.listeningPort) + ".")) +
               hostNotice + escape;
      }
      return wrap("Connecting to " + s.host + " on port " + std::to_string(s.port) +
                  (s.attempt > 0 ? "... " + kept("attempt " + std::to_string(s.attempt) + " of " +
                                                 std::to_string(net::CNetMatch::kConnectAttempts))
                                 : ".")) +
             escape;
    case Phase::kAgreeing:
      return "Agreeing on the match with the other player." + escape;
    case Phase::kPlaying:
      if (s.stalledMs < CNetNotice::kStallShownMs) return {};
      return "Waiting for the other player's moves..." + escape;
    case Phase::kEnded:
      if (s.playingOn) return {};
      if (s.canPlayOn) {
        return wrap(s.endText) + "\n\nEnter: play on against the computer\nR: wait for the other player to come back\n" +
               s.escapeText;
      }
      return wrap(s.endText) + (s.canRetry ? "\n\nEnter: try again\n" + s.escapeText : escape);
  }
  return {};
}

void CNetNotice::update(net::CNetGame& net, uint32_t now) {
  if (hostWaitsForFirstPlayer(net) && (addresses_.empty() || now - addressesAt_ >= kAddressesEveryMs)) {
    addresses_ = net::localAddresses();
    addressesAt_ = now;
  }
  NoticeState s;
  s.phase = net.phase();
  s.hosting = net.where().hosting;
  s.host = net.where().host;
  s.port = net.where().port;
  s.listeningPort = s.hosting ? net.listeningPort() : 0;
  s.addresses = addresses_;
  s.attempt = net.connectAttempt();
  s.waiting = net.waiting();
  s.hostNotice = net.notice();
  s.stalledMs = net.stalledForMs(now);
  s.endText = net.endText();
  s.playingOn = net.playingOn();
  s.canPlayOn = net.canPlayOn();
  s.canRetry = net.canRetry();
  s.escapeText = escapeText_;
  const std::string text = noticeText(s);
  if (text == shownText_) return;
  shownText_ = text;
  if (text.empty()) {
    overlay_.hide();
  } else {
    overlay_.show(text, 256, 200);
  }
}
