// The words the window shows around a networked match: where to find a
// host, how joining goes, a match waiting for the other side's moves, and
// what can be done after it ended.
#include <gtest/gtest.h>

#include <functional>
#include <string>

#include "app/net_notice.h"

namespace {

using Phase = net::CNetMatch::Phase;

TEST(NetNotice, EachStateOfTheMatchTellsThePlayerWhatIsGoingOnAndWhatTheyCanDo) {
  const struct Case {
    const char* name;
    std::function<void(NoticeState&)> state;
    const char* text;
  } cases[] = {
      {"host waiting",
       [](NoticeState& s) {
         s.hosting = true;
         s.listeningPort = 28470;
         s.addresses = {"192.168.1.20", "10.0.0.5"};
       },
       "Waiting for the other player.\nJoin this machine at 192.168.1.20\n(or 10.0.0.5) on port 28470.\n\nEsc: quit"},
      {"host waiting, one address, after a turned-away player",
       [](NoticeState& s) {
         s.hosting = true;
         s.listeningPort = 5000;
         s.addresses = {"192.168.1.20"};
         s.hostNotice = "A player connected and left before the match began.";
       },
       "Waiting for the other player.\nJoin this machine at 192.168.1.20 on\nport 5000.\n\nA player connected and left "
       "before the match\nbegan.\n\nEsc: quit"},
      {"joining, second try, from the menu",
       [](NoticeState& s) {
         s.host = "box.lan";
         s.port = 28470;
         s.attempt = 2;
         s.escapeText = "Esc: back to the menu";
       },
       "Connecting to box.lan on port 28470...\nattempt 2 of 7\n\nEsc: back to the menu"},
      {"host not reached",
       [](NoticeState& s) {
         s.phase = Phase::kEnded;
         s.endText = "Could not reach box.lan on port 28470. Check the address and the port.";
         s.canRetry = true;
       },
       "Could not reach box.lan on port 28470. Check\nthe address and the port.\n\nEnter: try again\nEsc: quit"},
      {"other player gone",
       [](NoticeState& s) {
         s.phase = Phase::kEnded;
         s.endText = "The other player left the match.";
         s.canPlayOn = true;
         s.escapeText = "Esc: back to the menu";
       },
       "The other player left the match.\n\nEnter: play on against the computer\nR: wait for the other player to "
       "come back\nEsc: back to the menu"},
      {"refused", [](NoticeState& s) { s.phase = Phase::kEnded, s.endText = "Cannot join this host."; },
       "Cannot join this host.\n\nEsc: quit"},
      {"host waiting for a rejoin",
       [](NoticeState& s) {
         s.hosting = s.waiting = true;
         s.listeningPort = 28470;
       },
       "Waiting for the other player to come back on\nport 28470: the game stands still.\n\nEnter: play on against "
       "the computer\nEsc: quit"},
      {"agreeing", [](NoticeState& s) { s.phase = Phase::kAgreeing; },
       "Agreeing on the match with the other player.\n\nEsc: quit"},
      {"a short wait for moves", [](NoticeState& s) { s.phase = Phase::kPlaying, s.stalledMs = 499; }, ""},
      {"a long wait for moves", [](NoticeState& s) { s.phase = Phase::kPlaying, s.stalledMs = 500; },
       "Waiting for the other player's moves...\n\nEsc: quit"},
      {"playing on", [](NoticeState& s) { s.phase = Phase::kEnded, s.playingOn = true, s.endText = "Gone."; }, ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    NoticeState s;
    c.state(s);
    EXPECT_EQ(noticeText(s), c.text);
  }
}

}  // namespace
