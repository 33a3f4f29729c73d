// The computer player plays by the rules a person plays by: seeded matches
// checked at every frame (it buys only in its own turn, pays the prices,
// moves only its own parts, touches the other side's only with a bomb, and
// steers only its own side), and the F2 key that hands a side to the
// computer and back.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "app.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "globals.h"
#include "support/scripted_game.h"

namespace {

using testing_support::GameScript;
using testing_support::runGame;

const char* const kSmallTargets =
    "<Settings><P1_InitValue>5000</P1_InitValue><P2_InitValue>5000</P2_InitValue>"
    "<P1_TargetValue>9000</P1_TargetValue><P2_TargetValue>9000</P2_TargetValue>"
    "<TurnLength>5000</TurnLength><ChangeTime>749</ChangeTime><DraggingAllowed>0</DraggingAllowed></Settings>";

int countLines(const std::string& text, const std::string& prefix) {
  std::istringstream in(text);
  std::string line;
  int n = 0;
  while (std::getline(in, line)) n += line.rfind(prefix, 0) == 0;
  return n;
}

// What the frame checks remember of a bought part between frames.
struct Seen {
  int buyer = 0;
  float x = 0, y = 0, rotation = 0;
};

// Runs in the game's child process after every frame; prints a line for
// every rule broken, and one per purchase so the run is known to have tested
// something.
class RuleWatch {
 public:
  explicit RuleWatch(bool player1Idle) : player1Idle_(player1Idle) {}

  void operator()(CApplication& app, uint32_t ms) {
    const CGameManager& game = *app.game();
    const CDragState& drag = app.drag();
    float bought[3] = {0, 0, 0};
    std::map<int, Seen> now;
    for (const CGamePart* p : g_partList) {
      if (p->inShop || p->steered) continue;
      auto old = seen_.find(p->id);
      Seen s{old == seen_.end() ? p->ownerPlayer : old->second.buyer, p->gridX, p->gridY, p->rotation};
      if (old == seen_.end()) {
        // A new part is in its buyer's hand, bought in the buyer's turn.
        std::printf("BOUGHT %d at %u\n", s.buyer, ms);
        if (s.buyer != game.currentPlayer) std::printf("VIOLATION %u: bought by %d in turn %d\n", ms, s.buyer, game.currentPlayer);
        if (s.buyer == 1 || s.buyer == 2) bought[s.buyer] += p->cost;
      } else if (s.x != old->second.x || s.y != old->second.y || s.rotation != old->second.rotation) {
        // Only the hand of the player who bought it moves or turns a part
        // (the hand may have let go of it at the end of the step).
        const bool inHand = drag.part == p && drag.holder == s.buyer;
        const bool wasInHand = heldId_ == p->id && heldBy_ == s.buyer;
        if (!inHand && !wasInHand) {
          std::printf("VIOLATION %u: part %d of player %d moved by holder %d\n", ms, p->id, s.buyer, drag.holder);
        }
      }
      now[p->id] = s;
    }
    seen_.swap(now);
    heldId_ = drag.part ? drag.part->id : 0;
    heldBy_ = drag.holder;
    const float values[3] = {0, game.player1Value, game.player2Value};
    for (int player = 1; player <= 2 && ms > 16; ++player) {
      // Value only drops by the price of what the player bought just now.
      const float drop = last_[player] - values[player];
      if (drop > bought[player] + 0.5f) std::printf("VIOLATION %u: player %d lost %.0f, bought %.0f\n", ms, player, drop, bought[player]);
    }
    last_[1] = values[1];
    last_[2] = values[2];
    if (player1Idle_) {
      // Nobody touches player 1's side: its keys stay up, its part at rest.
      const CPlayerController& c = game.controller1;
      if (c.keys[0] || c.keys[1] || c.keys[2] || c.keys[3] || c.speed != 0 || c.turnRate != 0) {
        std::printf("VIOLATION %u: player 1's controller was driven\n", ms);
      }
    }
    const CPlayerController& mine = game.controller2;
    if (mine.speed != 0) moved_ = true;
    if (moved_ && !reported_) {
      std::printf("STEERED %u\n", ms);
      reported_ = true;
    }
  }

 private:
  bool player1Idle_;
  std::map<int, Seen> seen_;
  int heldId_ = 0;
  int heldBy_ = 0;
  float last_[3] = {0, 5000, 5000};
  bool moved_ = false;
  bool reported_ = false;
};

// A replay script without its "require" lines, which only the replay test reads.
std::string readScript(const std::string& path) {
  std::ifstream in(path);
  std::string line, text;
  while (std::getline(in, line)) {
    if (line.rfind("require", 0) != 0) text += line + "\n";
  }
  return text;
}

TEST(ComputerPlayer, PlaysOnlyItsOwnSideByTheRulesAtEveryFrame) {
  // Against a player 1 who never touches anything it lays parts; against the
  // person of the replay, who lays a wall over its lip, it bombs.
  GameScript idle;
  idle.seed = 31;
  idle.settingsXml = kSmallTargets;
  idle.durationMs = 100000;
  idle.computers = {2};
  GameScript person;
  std::string expect, error;
  ASSERT_TRUE(testing_support::parseScript(readScript("tests/replay/scripts/against_computer.replay"), person, expect,
                                           error))
      << error;
  ASSERT_EQ(person.computers, std::vector<int>{2});
  const struct {
    const char* name;
    const GameScript& script;
    bool player1Idle;
  } cases[] = {{"against an idle player 1", idle, true}, {"against a person", person, false}};
  for (const auto& c : cases) {
    const auto r = runGame(c.script, RuleWatch(c.player1Idle));
    ASSERT_TRUE(r.started && !r.crashed) << c.name << "\n" << r.output;
    EXPECT_EQ(countLines(r.output, "VIOLATION"), 0) << c.name << "\n" << r.output;
    EXPECT_EQ(countLines(r.output, "STEERED"), 1) << c.name;
    // The computer bought: the checks above had its purchases to look at.
    EXPECT_GE(countLines(r.output, "BOUGHT 2"), 1) << c.name;
    if (c.player1Idle) {
      EXPECT_GT(r.value2, r.value1 + 500) << c.name;
    }
  }
}

TEST(ComputerPlayer, F2HandsPlayerTwoToTheComputerAndBack) {
  GameScript s;
  s.seed = 5;
  s.durationMs = 14000;
  s.events = {
      {1000, testing_support::keyEvent(true, SDLK_F2)},
      // Ignored while the computer plays player 2.
      {4000, testing_support::keyEvent(true, SDLK_DOWN)},
      {9000, testing_support::keyEvent(true, SDLK_F2)},
      {11000, testing_support::keyEvent(true, SDLK_LEFT)},
  };
  const auto r = runGame(s, [](CApplication& app, uint32_t ms) {
    const CPlayerController& c = app.game()->controller2;
    std::printf("AT %u computer %d keys %d%d%d%d x %.1f\n", ms / 1000, app.computerPlays(2) ? 1 : 0, c.keys[0], c.keys[1],
                c.keys[2], c.keys[3], c.position.x);
  });
  ASSERT_TRUE(r.started && !r.crashed) << r.output;
  std::map<int, std::string> at;
  std::istringstream in(r.output);
  std::string line;
  while (std::getline(in, line)) {
    int second = 0;
    if (std::sscanf(line.c_str(), "AT %d", &second) == 1) at[second] = line;
  }
  auto has = [&](int second, const std::string& part) { return at[second].find(part) != std::string::npos; };
  EXPECT_TRUE(has(0, "computer 0 keys 0000")) << at[0];
  EXPECT_TRUE(has(2, "computer 1")) << at[2];
  // Driving off to its place without the down arrow pressed at 4 s.
  EXPECT_TRUE(has(5, "computer 1 keys ")) << at[5];
  EXPECT_FALSE(has(5, "keys 0010")) << at[5];
  float x0 = 0, x8 = 0;
  std::sscanf(at[0].c_str() + at[0].find(" x ") + 3, "%f", &x0);
  std::sscanf(at[8].c_str() + at[8].find(" x ") + 3, "%f", &x8);
  EXPECT_GT(std::fabs(x8 - x0), 20.0f) << at[0] << "\n" << at[8];
  // Handed back with every key let go; the arrows steer again.
  EXPECT_TRUE(has(10, "computer 0 keys 0000")) << at[10];
  EXPECT_TRUE(has(12, "computer 0 keys 0001")) << at[12];
}

}  // namespace
