// Scripted opponents for measuring the computer player and house rules: each
// a few fixed rules, played by the computer player's own hands, so they act
// only through player inputs at a person's pace.
#pragma once

#include <memory>
#include <string>

#include "ai/computer_mind.h"

enum class Strategy {
  kIdle,     // never touches anything
  kLid,      // parks its steered part over the other collector and stays
  kGuard,    // holds the stream with its steered part, the answer to a lid
  kBuilder,  // lays walls and scoops that lead blood into its own collector
  kBomber,   // bombs the other player's parts as soon as they lie on the board
};

const char* strategyName(Strategy strategy);
// Only the exact lower-case names above: "idle", "lid", "guard", ...
bool parseStrategy(const std::string& name, Strategy& strategy);

std::unique_ptr<IComputerMind> makeStrategyMind(Strategy strategy, int player);

// Board facts the strategies and their tests share, in grid coordinates for
// `player` (1 or 2): where a lid lies, right over that player's collector.
Vec2 lidSpot(int player);
