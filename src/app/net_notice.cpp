// The networked match's notices; see net_notice.h.
#include "app/net_notice.h"

#include "net/net_game.h"

namespace {

constexpr size_t kLineWidth = 46;

// Breaks a sentence into the overlay's lines at spaces.
std::string wrap(const std::string& text) {
  std::string out, line, word;
  auto flushWord = [&] {
    if (word.empty()) return;
    if (!line.empty() && line.size() + 1 + word.size() > kLineWidth) {
      out += line + "\n";
      line.clear();
    }
    line += (line.empty() ? "" : " ") + word;
    word.clear();
  };
  for (char c : text) {
    if (c == ' ' || c == '\n') {
      flushWord();
      if (c == '\n') {
        out += line + "\n";
        line.clear();
      }
    } else {
      word += c;
    }
  }
  flushWord();
  return out + line;
}

std::string noticeText(net::CNetGame& net) {
  using Phase = net::CNetMatch::Phase;
  const net::CNetGame::Where& where = net.where();
  switch (net.phase()) {
    case Phase::kConnecting:
      if (net.waiting()) {
        const std::string text =
            where.hosting ? "Waiting for the other player to come back on port " + std::to_string(net.listeningPort()) +
                                ": the game stands still."
                          : "Trying to reach the host again: the game stands still.";
        return wrap(text) + (net.notice().empty() ? "" : "\n\n" + wrap(net.notice())) +
               "\n\nEnter: play on against the computer\nEsc: quit";
      }
      return wrap(where.hosting ? "Waiting for the other player on port " + std::to_string(net.listeningPort()) + "."
                                : "Connecting to " + where.host + " on port " + std::to_string(where.port) + ".") +
             (net.notice().empty() ? "" : "\n\n" + wrap(net.notice())) + "\n\nEsc: quit";
    case Phase::kAgreeing:
      return "Agreeing on the match with the other player.\n\nEsc: quit";
    case Phase::kPlaying:
      return {};
    case Phase::kEnded:
      if (net.playingOn()) return {};
      return wrap(net.endText()) + (net.canPlayOn() ? "\n\nEnter: play on against the computer\n"
                                                      "R: wait for the other player to come back\nEsc: quit"
                                                    : "\n\nEsc: quit");
  }
  return {};
}

}  // namespace

void CNetNotice::update(net::CNetGame& net) {
  const std::string text = noticeText(net);
  if (text == shownText_) return;
  shownText_ = text;
  if (text.empty()) {
    overlay_.hide();
  } else {
    overlay_.show(text, 256, 200);
  }
}
