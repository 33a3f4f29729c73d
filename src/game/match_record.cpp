// The record of a networked match and its replay text; see match_record.h.
#include "game/match_record.h"

#include <cstdio>
#include <sstream>

#include "engine/file_io.h"
#include "platform/key_map.h"

std::string CMatchRecord::replayText(uint32_t seed, uint32_t steps, uint64_t expectHash,
                                     const std::string& settingsPath, const std::string& why) const {
  std::ostringstream out;
  out << "# A networked match replayed on one keyboard: " << why << "\n";
  out << "seed " << seed << "\n";
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
        const char* key = in.code == kNewMatchCode ? commandKeyName(AppCommand::kEnter) : steeringKeyName(in.player, in.code);
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

std::string CMatchRecord::write(const std::string& stem, uint32_t seed, const MatchSettings& settings,
                                uint32_t steps, uint64_t expectHash, const std::string& why) const {
  const std::string settingsPath = stem + ".settings.xml";
  const std::string replayPath = stem + ".replay";
  if (!brin::ReplaceFile(settingsPath, settingsXml(settings))) return {};
  if (!brin::ReplaceFile(replayPath, replayText(seed, steps, expectHash, settingsPath, why))) return {};
  return replayPath;
}
