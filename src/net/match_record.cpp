// The record of a networked match and its replay text; see match_record.h.
#include "net/match_record.h"

#include <cstdio>
#include <sstream>

#include "engine/file_io.h"
#include "game/player_controller.h"

namespace net {

namespace {

// The one-keyboard game's keys for each player's directions.
const char* keyName(int player, int dir) {
  static const char* const p1[] = {"d", "w", "s", "a"};
  static const char* const p2[] = {"right", "up", "down", "left"};
  if (dir < kTurnRight || dir > kTurnLeft) return nullptr;
  return player == 1 ? p1[dir] : p2[dir];
}

}  // namespace

std::string CMatchRecord::replayText(const MatchTerms& terms, uint32_t steps, uint64_t expectHash,
                                     const std::string& settingsPath, const std::string& why) const {
  std::ostringstream out;
  out << "# A networked match replayed on one keyboard: " << why << "\n";
  out << "seed " << terms.seed << "\n";
  out << "settings " << settingsPath << "\n";
  // A replay's frames are 16 ms apart, each running one step and then
  // taking the events due: an event at 16 N reaches the game before step N.
  out << "duration " << steps * 16 << "\n";
  for (const Entry& e : entries_) {
    if (e.step >= steps) continue;
    const PlayerInput& in = e.input;
    const int x = static_cast<int>(in.x), y = static_cast<int>(in.y);
    switch (in.action) {
      case PlayerAction::kKeyDown:
      case PlayerAction::kKeyUp: {
        // Enter after a win is the one-keyboard game's too.
        const char* key = in.code == kNewMatchCode ? "enter" : keyName(in.player, in.code);
        if (!key) continue;
        out << "at " << e.step * 16 << " key " << (in.action == PlayerAction::kKeyDown ? "down " : "up ") << key;
        break;
      }
      case PlayerAction::kMouseMotion:
        out << "at " << e.step * 16 << " motion " << x << " " << y;
        break;
      case PlayerAction::kButtonDown:
      case PlayerAction::kButtonUp:
        out << "at " << e.step * 16 << " button " << (in.action == PlayerAction::kButtonDown ? "down " : "up ")
            << in.code << " " << x << " " << y;
        break;
    }
    out << "   # player " << e.input.player << "\n";
  }
  char hex[24];
  std::snprintf(hex, sizeof hex, "%016llx", static_cast<unsigned long long>(expectHash));
  out << "expect " << hex << "\n";
  return out.str();
}

std::string CMatchRecord::write(const std::string& stem, const MatchTerms& terms, uint32_t steps,
                                uint64_t expectHash, const std::string& why) const {
  const std::string settingsPath = stem + ".settings.xml";
  const std::string replayPath = stem + ".replay";
  if (!brin::ReplaceFile(settingsPath, settingsXml(terms.settings))) return {};
  if (!brin::ReplaceFile(replayPath, replayText(terms, steps, expectHash, settingsPath, why))) return {};
  return replayPath;
}

}  // namespace net
