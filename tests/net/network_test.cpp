// Networked matches. Two sides in one process, over ENet on localhost, on
// one simulated clock, with a stand-in world that folds in its steps: how a
// match ends, and who may join it.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <sstream>
#include <string>

#include "net/net_match.h"
#include "core/frame_pacer.h"

namespace {

using net::CLockstep;
using net::CNetMatch;

net::MatchTerms terms(const std::string& version = "1.0") {
  net::MatchTerms t;
  t.version = version;
  t.protocol = 1;
  t.seed = 77;
  t.settings.target1 = 9000;
  t.files = {{"data/parts/player1_1_paddle.xml", 300, 11}, {"data/gfx/p1_paddle_mask.png", 900, 12}};
  return t;
}

struct Side {
  CNetMatch match;
  CFramePacer pacer;
  bool started = false;
  uint64_t world = 1469598103934665603ull;
  bool silent = false;                  // stops taking part at all

  void step(const CLockstep& ls) {
    world = (world ^ ls.nextStep()) * 1099511628211ull;
  }

  // One 16 ms frame as the game runs it: what arrived, the steps the pacer
  // asks for and the inputs allow, the packet out.
  void frame(uint32_t now) {
    if (silent) return;
    match.pump(now);
    if (match.phase() != CNetMatch::Phase::kPlaying) return;
    if (!started) {
      started = true;
      pacer.start(now - 16);
    }
    pacer.beginFrame(now);
    CLockstep& ls = *match.lockstep();
    match.runDueSteps(pacer, now, [&] { step(ls); }, [&] { return world; });
    match.flush(now);
  }
};

struct Pair {
  Side host, joiner;
  uint32_t now = 1000;

  explicit Pair(const net::MatchTerms& joinerTerms = terms()) {
    std::string error;
    EXPECT_TRUE(host.match.host(0, terms(), error)) << error;
    EXPECT_TRUE(joiner.match.join("127.0.0.1", host.match.link().port(), joinerTerms, error)) << error;
  }

  // Runs `ms` of simulated time; the two sides' frames are 7 ms apart.
  void run(uint32_t ms) {
    for (uint32_t end = now + ms; now != end; ++now) {
      if (now % 16 == 0) host.frame(now);
      if (now % 16 == 7) joiner.frame(now);
      // ENet is serviced between frames too: held packets leave on time.
      if (!host.silent) host.match.link().service();
      if (!joiner.silent) joiner.match.link().service();
    }
  }
};

TEST(NetworkMatch, EndsOnBothSidesWithTheReason) {
  struct Case {
    const char* name;
    std::function<void(Pair&)> trouble;
    const char* hostSees;
    const char* joinerSees;
  } cases[] = {
      {"joiner quits", [](Pair& p) { p.joiner.match.leave(); }, "The other player left the match.",
       "You left the match."},
      {"joiner goes silent", [](Pair& p) { p.joiner.silent = true; }, "Nothing heard from the other player for 10 seconds",
       ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pair pair;
    pair.run(2000);
    ASSERT_EQ(pair.host.match.phase(), CNetMatch::Phase::kPlaying);
    c.trouble(pair);
    const uint32_t troubleAt = pair.now;
    while (pair.host.match.phase() == CNetMatch::Phase::kPlaying && pair.now - troubleAt < 20000) pair.run(1);
    pair.run(100);
    EXPECT_EQ(pair.host.match.phase(), CNetMatch::Phase::kEnded);
    EXPECT_NE(pair.host.match.endMessage().find(c.hostSees), std::string::npos) << pair.host.match.endMessage();
    EXPECT_NE(pair.joiner.match.endMessage().find(c.joinerSees), std::string::npos) << pair.joiner.match.endMessage();
    if (std::string(c.name) == "joiner goes silent") {
      EXPECT_GE(pair.now - troubleAt, CNetMatch::kSilenceMs);
      EXPECT_LT(pair.now - troubleAt, CNetMatch::kSilenceMs + 200);
    }
  }
}

TEST(NetworkMatch, AJoinerWithOtherContentIsRefusedWithTheReasonOnBothSides) {
  struct Case {
    const char* name;
    std::function<void(net::MatchTerms&)> change;
    const char* reason;
  } cases[] = {
      {"version", [](net::MatchTerms& t) { t.version = "0.9"; }, "The host runs Vesicor 1.0 (network protocol 1) and this is Vesicor 0.9"},
      {"changed file", [](net::MatchTerms& t) { t.files[1].hash ^= 1; }, "changed data/gfx/p1_paddle_mask.png."},
      {"missing and extra files",
       [](net::MatchTerms& t) { t.files[0].name = "data/parts/player1_9_spoon.xml"; },
       "missing here data/parts/player1_1_paddle.xml; only here data/parts/player1_9_spoon.xml."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    net::MatchTerms mine = terms(c.name == std::string("version") ? "0.9" : "1.0");
    c.change(mine);
    Pair pair(mine);
    pair.run(500);
    EXPECT_EQ(pair.joiner.match.phase(), CNetMatch::Phase::kEnded);
    EXPECT_EQ(pair.host.match.phase(), CNetMatch::Phase::kEnded);
    EXPECT_NE(pair.joiner.match.endMessage().find("Cannot join this host. "), std::string::npos);
    EXPECT_NE(pair.joiner.match.endMessage().find(c.reason), std::string::npos) << pair.joiner.match.endMessage();
    EXPECT_NE(pair.host.match.endMessage().find(c.reason), std::string::npos) << pair.host.match.endMessage();
  }
}

}  // namespace
