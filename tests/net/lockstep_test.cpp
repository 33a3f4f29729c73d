// Two sides of a networked match in one process, over ENet on localhost,
// on one simulated clock: a stand-in world folds every input it applies,
// so both sides must end with the same world and each must have applied
// exactly what the other sent. A simulated link adds loss and latency.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "net/net_match.h"

namespace {

using net::CLockstep;
using net::CNetMatch;

bool sameInput(const PlayerInput& a, const PlayerInput& b) {
  return a.player == b.player && a.action == b.action && a.code == b.code && a.x == b.x && a.y == b.y;
}

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
  uint32_t random;
  CFramePacer pacer;
  bool started = false;
  uint64_t world = 1469598103934665603ull;
  std::vector<PlayerInput> sent, appliedFromOther;
  uint32_t corruptAtStep = UINT32_MAX;  // the world goes astray here
  bool silent = false;                  // stops taking part at all

  explicit Side(uint32_t seed) : random(seed) {}
  uint32_t next() {
    random ^= random << 13;
    random ^= random >> 17;
    random ^= random << 5;
    return random;
  }
  void fold(uint64_t v) {
    world ^= v;
    world *= 1099511628211ull;
  }

  void step(const CLockstep& ls) {
    const uint32_t s = ls.nextStep();
    for (int player = 1; player <= 2; ++player) {
      for (const PlayerInput& in : ls.inputs(player, s)) {
        fold((static_cast<uint64_t>(in.player) << 48) ^ (static_cast<uint64_t>(in.action) << 40) ^
             (static_cast<uint64_t>(static_cast<uint8_t>(in.code)) << 32) ^
             (static_cast<uint32_t>(in.x) << 16) ^ static_cast<uint32_t>(in.y));
        if (player != ls.localPlayer()) appliedFromOther.push_back(in);
      }
    }
    fold(s);
    if (s == corruptAtStep) fold(0xbad);
  }

  // One 16 ms frame as the game runs it: what arrived, the player's hands,
  // the steps the pacer asks for and the inputs allow, the packet out.
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
    if (next() % 3 == 0) {
      PlayerInput in;
      in.player = ls.localPlayer();
      in.action = static_cast<PlayerAction>(next() % 5);
      in.code = static_cast<int>(next() % 4);
      in.x = static_cast<float>(next() % 512);
      in.y = static_cast<float>(next() % 512);
      ls.addLocalInput(in);
      sent.push_back(in);
    }
    match.runDueSteps(pacer, now, [&] { step(ls); }, [&] { return world; });
    match.flush(now);
  }
};

struct Pair {
  Side host{11}, joiner{22};
  uint32_t now = 1000;

  explicit Pair(const net::MatchTerms& joinerTerms = terms(), const net::LinkImpairment* impairment = nullptr) {
    std::string error;
    EXPECT_TRUE(host.match.host(0, terms(), error)) << error;
    EXPECT_TRUE(joiner.match.join("127.0.0.1", host.match.link().port(), joinerTerms, error)) << error;
    if (impairment) {
      net::LinkImpairment other = *impairment;
      other.seed += 1;
      host.match.link().impair(*impairment, [this] { return now; });
      joiner.match.link().impair(other, [this] { return now; });
    }
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

TEST(NetworkMatch, BothSidesPlayTheSameStepsOnACleanAndOnALossySlowLink) {
  struct Case {
    const char* name;
    net::LinkImpairment link;  // each way
    int minDelay, maxDelay;
  } cases[] = {
      {"localhost", {0, 0, 1}, 2, 2},
      {"100 ms round trip", {0, 50, 3}, 4, 6},
      {"10 % loss, 150 ms round trip", {10, 75, 5}, 6, 8},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pair pair(terms(), &c.link);
    const uint32_t matchMs = 60000;
    pair.run(matchMs);
    for (Side* side : {&pair.host, &pair.joiner}) {
      ASSERT_EQ(side->match.phase(), CNetMatch::Phase::kPlaying) << side->match.endMessage();
      const CLockstep& ls = *side->match.lockstep();
      EXPECT_GE(ls.hashesCompared(), 55u);
      EXPECT_GE(ls.delay(), c.minDelay);
      EXPECT_LE(ls.delay(), c.maxDelay);
      // Stalls include the first round trip, before any delay was measured.
      EXPECT_LT(ls.stallMs(), matchMs / 20) << "stalled " << ls.stallMs() << " ms";
      std::printf("%s, player %d: delay %d steps, round trip %d ms, stalled %u ms of %u\n", c.name, ls.localPlayer(),
                  ls.delay(), ls.roundTrip(), ls.stallMs(), matchMs);
    }
    EXPECT_EQ(pair.joiner.match.terms().seed, 77u);
    EXPECT_EQ(pair.joiner.match.terms().settings.target1, 9000.0f);
    const CLockstep& h = *pair.host.match.lockstep();
    const CLockstep& j = *pair.joiner.match.lockstep();
    // Every input one side sent reached the other, in order, apart from the
    // last few still under way.
    for (auto [from, to] : {std::pair<Side*, Side*>{&pair.host, &pair.joiner}, {&pair.joiner, &pair.host}}) {
      ASSERT_LE(to->appliedFromOther.size(), from->sent.size());
      EXPECT_GT(to->appliedFromOther.size() + 20, from->sent.size());
      EXPECT_TRUE(std::equal(to->appliedFromOther.begin(), to->appliedFromOther.end(), from->sent.begin(), sameInput));
    }
    EXPECT_GT(h.nextStep(), matchMs / 16 - 100);
    if (h.nextStep() == j.nextStep()) {
      EXPECT_EQ(pair.host.world, pair.joiner.world);
    }
  }
}

TEST(NetworkMatch, EndsOnBothSidesWithTheReason) {
  struct Case {
    const char* name;
    std::function<void(Pair&)> trouble;
    const char* hostSees;
    const char* joinerSees;
  } cases[] = {
      {"worlds apart", [](Pair& p) { p.joiner.corruptAtStep = 300; }, "at step 310:", "at step 310:"},
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
