// Networked matches. Two sides in one process, over ENet on localhost, on
// one simulated clock, with a stand-in world that folds in its steps: how a
// match ends, and who may join it.
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <fstream>
#include <functional>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "core/frame_pacer.h"
#include "net/link.h"
#include "net/net_match.h"

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

// A host and the players who come to it, one after another or at once.
struct Pair {
  Side host;
  std::vector<std::unique_ptr<Side>> joiners;
  Side& joiner;
  uint32_t now = 1000;

  std::function<void()> alsoService;  // a stranger on the network
  std::string lastNotice;             // the host's, while it waited

  explicit Pair(const net::MatchTerms& joinerTerms = terms(), bool joinNow = true) : joiner(first()) {
    std::string error;
    EXPECT_TRUE(host.match.host(0, terms(), error)) << error;
    if (joinNow) {
      join(joiner, joinerTerms);
    } else {
      joiner.silent = true;
    }
  }

  Side& first() {
    joiners.push_back(std::make_unique<Side>());
    return *joiners.back();
  }

  void join(Side& side, const net::MatchTerms& t) {
    std::string error;
    EXPECT_TRUE(side.match.join("127.0.0.1", host.match.link().port(), t, error)) << error;
  }
  Side& another(const net::MatchTerms& t = terms()) {
    Side& side = first();
    join(side, t);
    return side;
  }

  // Runs `ms` of simulated time; the host's and the joiners' frames are 7 ms
  // apart.
  void run(uint32_t ms) {
    for (uint32_t end = now + ms; now != end; ++now) {
      if (now % 16 == 0) host.frame(now);
      if (!host.match.notice().empty()) lastNotice = host.match.notice();
      for (auto& j : joiners) {
        if (now % 16 == 7) j->frame(now);
      }
      // ENet is serviced between frames too: held packets leave on time.
      if (!host.silent) host.match.link().service();
      for (auto& j : joiners) {
        if (!j->silent) j->match.link().service();
      }
      if (alsoService) alsoService();
    }
  }

  // Runs until `done`, giving ENet's own timers (real time) a moment each
  // simulated frame; the real-time bound only stops a hang.
  bool runUntil(const std::function<bool()>& done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (!done() && std::chrono::steady_clock::now() < until) {
      run(16);
      host.match.link().service(1);
    }
    return done();
  }
};

TEST(NetworkMatch, AJoinerWhoQuitsEndsTheMatchOnBothSidesWithTheReason) {
  Pair pair;
  pair.run(2000);
  ASSERT_EQ(pair.host.match.phase(), CNetMatch::Phase::kPlaying);
  pair.joiner.match.leave();
  const uint32_t leftAt = pair.now;
  while (pair.host.match.phase() == CNetMatch::Phase::kPlaying && pair.now - leftAt < 20000) pair.run(1);
  pair.run(100);
  EXPECT_EQ(pair.host.match.phase(), CNetMatch::Phase::kEnded);
  EXPECT_NE(pair.host.match.endMessage().find("The other player left the match."), std::string::npos)
      << pair.host.match.endMessage();
  EXPECT_NE(pair.joiner.match.endMessage().find("You left the match."), std::string::npos)
      << pair.joiner.match.endMessage();
}

TEST(NetworkMatch, AJoinerWithOtherContentIsToldWhyAndTheHostTakesTheNextPlayer) {
  struct Case {
    const char* name;
    std::function<void(net::MatchTerms&)> change;
    const char* joinerSees;
    const char* hostSees;
  } cases[] = {
      {"version", [](net::MatchTerms& t) { t.version = "0.9"; },
       "The host runs Vesicor 1.0 (network protocol 1) and this is Vesicor 0.9 (network protocol 1)",
       "A player with Vesicor 0.9 (network protocol 1) tried to join, and this host runs Vesicor 1.0"},
      {"changed file", [](net::MatchTerms& t) { t.files[1].hash ^= 1; },
       "The part files differ from the host's: changed data/gfx/p1_paddle_mask.png.",
       "A player tried to join with part files that differ from this host's: changed data/gfx/p1_paddle_mask.png."},
      {"missing and extra files", [](net::MatchTerms& t) { t.files[0].name = "data/parts/player1_9_spoon.xml"; },
       "missing here data/parts/player1_1_paddle.xml; only here data/parts/player1_9_spoon.xml.",
       "only there data/parts/player1_9_spoon.xml; missing there data/parts/player1_1_paddle.xml."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    net::MatchTerms mine = terms();
    c.change(mine);
    Pair pair(mine);
    ASSERT_TRUE(pair.runUntil([&] { return pair.joiner.match.phase() == CNetMatch::Phase::kEnded; }));
    pair.run(200);
    EXPECT_NE(pair.joiner.match.endMessage().find("Cannot join this host. "), std::string::npos);
    EXPECT_NE(pair.joiner.match.endMessage().find(c.joinerSees), std::string::npos) << pair.joiner.match.endMessage();
    // The host speaks as the host and keeps its door open.
    EXPECT_EQ(pair.host.match.phase(), CNetMatch::Phase::kConnecting);
    EXPECT_NE(pair.host.match.notice().find(c.hostSees), std::string::npos) << pair.host.match.notice();
    EXPECT_EQ(pair.host.match.notice(), pair.lastNotice);
    Side& next = pair.another();
    EXPECT_TRUE(pair.runUntil([&] { return next.started && pair.host.started; }));
    pair.run(1000);
    EXPECT_GT(pair.host.match.lockstep()->nextStep(), 50u);
    EXPECT_EQ(pair.host.match.notice(), "");
  }
}

TEST(NetworkMatch, NothingThatConnectsAndStaysSilentOrLeavesKeepsTheHostFromTheNextPlayer) {
  struct Case {
    const char* name;
    bool leaves;
    const char* hostSees;
  } cases[] = {
      {"silent", false, "A player connected but did not agree on a match; waiting for another."},
      {"gone at once", true, "A player connected and left before the match began."},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Pair pair(terms(), false);
    // Connects with the game's own connection data, then never says a word.
    net::CNetLink stranger;
    std::string error;
    ASSERT_TRUE(stranger.connect("127.0.0.1", pair.host.match.link().port(), error)) << error;
    pair.alsoService = [&] { stranger.service(); };
    ASSERT_TRUE(pair.runUntil([&] { return pair.host.match.phase() == CNetMatch::Phase::kAgreeing; }));
    if (c.leaves) stranger.close();
    // The real player comes while the place is still held.
    Side& next = pair.another();
    EXPECT_TRUE(pair.runUntil([&] { return next.started && pair.host.started; })) << pair.host.match.notice();
    EXPECT_EQ(pair.lastNotice, c.hostSees);
    EXPECT_EQ(pair.host.match.notice(), "");
    pair.run(1000);
    ASSERT_EQ(pair.host.match.phase(), CNetMatch::Phase::kPlaying) << pair.host.match.endMessage();
    EXPECT_GT(pair.host.match.lockstep()->nextStep(), 50u);
  }
}

TEST(NetworkMatch, AJoinerThatGetsNoAgreementFromTheHostSaysSo) {
  // A host that accepts the connection and never sends its terms.
  net::CNetLink mute;
  std::string error;
  ASSERT_TRUE(mute.listen(0, error)) << error;
  Side joiner;
  ASSERT_TRUE(joiner.match.join("127.0.0.1", mute.port(), terms(), error)) << error;
  uint32_t now = 1000;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  while (joiner.match.phase() != CNetMatch::Phase::kEnded && std::chrono::steady_clock::now() < until) {
    now += 16;
    joiner.frame(now);
    mute.service(1);
  }
  EXPECT_EQ(joiner.match.endMessage(), "The host did not agree on a match within 5 seconds.");
}

TEST(NetworkMatch, AJoinerTriesAHostThatNeverAnswersAgainThenSaysWhatToCheckAndCanTryAgain) {
  // A port held by a plain socket: the tries reach it and nothing answers.
  const int deaf = socket(AF_INET, SOCK_DGRAM, 0);
  ASSERT_GE(deaf, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  socklen_t size = sizeof address;
  ASSERT_EQ(bind(deaf, reinterpret_cast<sockaddr*>(&address), size), 0);
  ASSERT_EQ(getsockname(deaf, reinterpret_cast<sockaddr*>(&address), &size), 0);
  const uint16_t port = ntohs(address.sin_port);
  const std::string failure = "Could not reach 127.0.0.1 on port " + std::to_string(port) +
                              ". Check the address and the port, and that the host's firewall lets UDP port " +
                              std::to_string(port) + " through.";

  Side joiner;
  std::string error;
  EXPECT_FALSE(joiner.match.join("nobody..here", port, terms(), error));
  EXPECT_EQ(error, "Cannot find the host nobody..here. Check the name, or use the address the host's window shows "
                   "(such as 192.168.1.20).");
  ASSERT_TRUE(joiner.match.join("127.0.0.1", port, terms(), error)) << error;
  uint32_t now = 1000;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(60);
  for (int round = 0; round < 2; ++round) {
    SCOPED_TRACE(round == 0 ? "first tries" : "tried again");
    const uint32_t start = now;
    std::vector<int> attempts;
    int datagrams = 0;
    joiner.frame(now);
    while (joiner.match.phase() == CNetMatch::Phase::kConnecting && std::chrono::steady_clock::now() < until) {
      if (attempts.empty() || attempts.back() != joiner.match.connectAttempt()) {
        attempts.push_back(joiner.match.connectAttempt());
      }
      now += 16;
      joiner.frame(now);
      char buf[256];
      while (recv(deaf, buf, sizeof buf, MSG_DONTWAIT) > 0) ++datagrams;
    }
    ASSERT_EQ(joiner.match.phase(), CNetMatch::Phase::kEnded);
    EXPECT_EQ(joiner.match.endMessage(), failure);
    EXPECT_TRUE(joiner.match.unreachable());
    const std::vector<int> expected = {1, 2, 3, 4, 5, 6, 7};
    EXPECT_EQ(attempts, expected);
    const uint32_t all = CNetMatch::kConnectAttempts * CNetMatch::kConnectAttemptMs;
    EXPECT_GE(now - start, all);
    EXPECT_LT(now - start, all + CNetMatch::kConnectAttempts * 16);  // each try ends on a frame
    // Each try knocked afresh.
    EXPECT_GE(datagrams, CNetMatch::kConnectAttempts);
    if (round == 0) {
      ASSERT_TRUE(joiner.match.retryJoin(now));
      EXPECT_FALSE(joiner.match.unreachable());
      EXPECT_EQ(joiner.match.endMessage(), "");
    }
  }
  close(deaf);
}

// The steps that wait for the other side's inputs are counted, stop counting
// when they come, and ten seconds of silence end the match.
TEST(NetworkMatch, TheStepsThatWaitForTheOtherSideAreCountedUntilItsSilenceEndsTheMatch) {
  Pair pair;
  pair.run(2000);
  ASSERT_EQ(pair.host.match.phase(), CNetMatch::Phase::kPlaying);
  uint32_t longest = 0;
  for (int i = 0; i < 1000; ++i) {
    pair.run(1);
    longest = std::max(longest, pair.host.match.stalledForMs(pair.now));
  }
  EXPECT_LT(longest, 100u);
  pair.joiner.silent = true;
  const uint32_t silentAt = pair.now;
  while (pair.host.match.stalledForMs(pair.now) < 500 && pair.now - silentAt < 3000) pair.run(1);
  // The inputs already sent cover the input delay; after that, every
  // frame's wait counts.
  const uint32_t delayMs = pair.host.match.lockstep()->delay() * CLockstep::kStepMs;
  EXPECT_GE(pair.now - silentAt, 500u);
  EXPECT_LE(pair.now - silentAt, 500 + delayMs + 2 * 16);
  const uint32_t stepWhenSilent = pair.host.match.lockstep()->nextStep();
  pair.joiner.silent = false;
  const uint32_t backAt = pair.now;
  while (pair.host.match.stalledForMs(pair.now) > 0 && pair.now - backAt < 3000) pair.run(1);
  EXPECT_LT(pair.now - backAt, 200u);
  pair.run(500);
  EXPECT_GT(pair.host.match.lockstep()->nextStep(), stepWhenSilent + 20);
  EXPECT_EQ(pair.host.match.phase(), CNetMatch::Phase::kPlaying);
  pair.joiner.silent = true;
  const uint32_t goneAt = pair.now;
  while (pair.host.match.phase() == CNetMatch::Phase::kPlaying && pair.now - goneAt < 20000) pair.run(1);
  EXPECT_NE(pair.host.match.endMessage().find("Nothing heard from the other player for 10 seconds"), std::string::npos)
      << pair.host.match.endMessage();
  // Counted from the last packet heard, up to a frame before it fell silent.
  EXPECT_GE(pair.now - goneAt, CNetMatch::kSilenceMs - 16);
  EXPECT_LT(pair.now - goneAt, CNetMatch::kSilenceMs + 200);
}

TEST(NetworkLink, EverythingSentBeforeTheGoodbyeArrivesBeforeIt) {
  // Sent in one breath, the way a side that finds the worlds apart says so
  // and quits: the other side must read the message, and then the end.
  // Reading both in one service call once lost the message.
  for (const bool otherSideAnswers : {false, true}) {
    SCOPED_TRACE(otherSideAnswers ? "the other side answers the goodbye" : "both wait in its socket");
    net::CNetLink host, joiner;
    std::string error;
    ASSERT_TRUE(host.listen(0, error)) << error;
    ASSERT_TRUE(joiner.connect("127.0.0.1", host.port(), error)) << error;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while ((host.state() != net::CNetLink::State::kConnected || joiner.state() != net::CNetLink::State::kConnected) &&
           std::chrono::steady_clock::now() < until) {
      host.service(1);
      joiner.service(1);
    }
    ASSERT_EQ(joiner.state(), net::CNetLink::State::kConnected);
    const net::Bytes last(300, 0x53);
    joiner.send(last, true);
    std::thread goodbye;
    if (otherSideAnswers) {
      goodbye = std::thread([&] { joiner.close(); });
    } else {
      joiner.close();
    }
    std::vector<net::Bytes> got;
    while (got.empty() || (otherSideAnswers && host.state() == net::CNetLink::State::kConnected)) {
      if (std::chrono::steady_clock::now() > until) break;
      host.service(5);
      for (net::Bytes b; host.receive(b);) got.push_back(b);
    }
    if (goodbye.joinable()) goodbye.join();
    ASSERT_EQ(got.size(), 1u);
    EXPECT_EQ(got[0], last);
    if (otherSideAnswers) {
      EXPECT_EQ(host.state(), net::CNetLink::State::kClosed);
    }
  }
}

}  // namespace
