// Every entrant against every other, each side in turn, on seeded headless
// matches: the scripted strategies and the computer player's three levels.
#pragma once

#include <string>
#include <vector>

struct TournamentOptions {
  int matchesPerSide = 4;      // per pair of entrants and side
  int minutesCap = 5;          // game minutes; then the higher value wins
  unsigned firstSeed = 3000;
  std::string settingsFile = "data/settings.xml";
  int processes = 2;           // matches played at once
  bool list = false;           // a line per match too
  // Names of the entrants to play, all when empty.
  std::vector<std::string> only;
};

// Prints the table and each entrant's win rate; 0 when every match ran.
int runTournament(const TournamentOptions& options);
