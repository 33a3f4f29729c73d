// The terms of a match on the wire: the host's settings, house rules
// included, reach the joining side as sent, and terms from a build before
// the house rules still read, so the two are told their versions differ.
#include <gtest/gtest.h>

#include "net/match_terms.h"

namespace {

net::MatchTerms hostTerms(bool solid, bool bombReturns) {
  net::MatchTerms t;
  t.version = "1.0";
  t.protocol = 2;
  t.seed = 77;
  t.settings.target1 = 9000;
  t.settings.draggingAllowed = true;
  t.settings.solidPaddles = solid;
  t.settings.bombReturnsPaddle = bombReturns;
  t.files = {{"data/parts/player1_1_paddle.xml", 300, 11}};
  return t;
}

bool decode(const net::Bytes& bytes, net::MatchTerms& terms) {
  net::CWireReader reader(bytes.data(), bytes.size());
  return net::decodeTerms(reader, terms);
}

TEST(MatchTerms, TheHostsHouseRulesReachTheJoinerAsSent) {
  const struct {
    bool solid, bombReturns;
  } cases[] = {{false, false}, {true, false}, {false, true}, {true, true}};
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.solid) + std::to_string(c.bombReturns));
    net::MatchTerms got;
    got.settings.solidPaddles = !c.solid;  // what the joiner's own file said
    got.settings.bombReturnsPaddle = !c.bombReturns;
    ASSERT_TRUE(decode(net::encodeTerms(hostTerms(c.solid, c.bombReturns)), got));
    EXPECT_EQ(got.settings.solidPaddles, c.solid);
    EXPECT_EQ(got.settings.bombReturnsPaddle, c.bombReturns);
    EXPECT_TRUE(got.settings.draggingAllowed);
    EXPECT_EQ(got.settings.target1, 9000);
    EXPECT_EQ(got.files, hostTerms(false, false).files);
  }
  // This build sends its own protocol, the one that knows the rules.
  EXPECT_EQ(net::localTerms(1, MatchSettings()).protocol, 2u);
}

TEST(MatchTerms, TermsOfABuildWithoutTheRulesReadAsOffAndAreRefusedByVersion) {
  net::MatchTerms old = hostTerms(false, false);
  old.version = "0.9";
  old.protocol = 1;
  net::Bytes bytes = net::encodeTerms(old);
  bytes.pop_back();  // such a build ends its terms with the files
  net::MatchTerms got;
  got.settings.solidPaddles = got.settings.bombReturnsPaddle = true;
  ASSERT_TRUE(decode(bytes, got));
  EXPECT_FALSE(got.settings.solidPaddles);
  EXPECT_FALSE(got.settings.bombReturnsPaddle);
  EXPECT_EQ(got.files, old.files);
  EXPECT_EQ(net::refusal(got, hostTerms(true, true)),
            "The host runs Vesicor 0.9 (network protocol 1) and this is Vesicor 1.0 (network protocol 2): both "
            "players need the same version.");
  // Anything past the rules is not terms this build can read.
  bytes = net::encodeTerms(hostTerms(true, true));
  bytes.push_back(0);
  EXPECT_FALSE(decode(bytes, got));
}

}  // namespace
