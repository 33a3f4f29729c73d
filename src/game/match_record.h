// What both players did in a networked match, step by step, as it reached
// the game; written as a replay of the one-keyboard game (player 1's keys,
// player 2's keys, one mouse) that plays the match again to the same world.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

#include "core/player_input.h"
#include "game/match_settings.h"

class CMatchRecord {
 public:
  // An input that reached the game just before step `step` ran (steps never
  // go back).
  void add(uint32_t step, const PlayerInput& input);
  size_t size() const { return count_; }
  // The bytes the record holds, for measuring.
  size_t bytes() const { return packed_.size(); }

  // The replay of the first `steps` steps, ending in `expectHash`, with the
  // settings read from `settingsPath`.
  std::string replayText(uint32_t seed, uint32_t steps, uint64_t expectHash,
                         const std::string& settingsPath, const std::string& why) const;

  // Writes `<stem>.replay` and the settings beside it as `<stem>.settings.xml`.
  // Returns the replay's path, or empty when it could not be written.
  std::string write(const std::string& stem, uint32_t seed, const MatchSettings& settings, uint32_t steps,
                    uint64_t expectHash, const std::string& why) const;

 private:
  // A networked session can last hours: each input is packed as the step's
  // distance from the last one (7 bits a byte), player, action, code and
  // the pointer's two floats, about 12 bytes.
  std::deque<uint8_t> packed_;
  size_t count_ = 0;
  uint32_t lastStep_ = 0;
};
