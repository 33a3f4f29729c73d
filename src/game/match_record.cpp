// The record of a networked match and its replay text; see match_record.h.
#include "game/match_record.h"

#include <cstdio>
#include <cstring>
#include <sstream>

#include "engine/file_io.h"
#include "platform/key_map.h"

namespace {

void putFloat(std::deque<uint8_t>& out, float f) {
  uint8_t b[sizeof f];
  std::memcpy(b, &f, sizeof f);
  out.insert(out.end(), b, b + sizeof f);
}

float takeFloat(std::deque<uint8_t>::const_iterator& p) {
  uint8_t b[sizeof(float)];
  for (uint8_t& byte : b) byte = *p++;
  float f = 0;
  std::memcpy(&f, b, sizeof f);
  return f;
}

}  // namespace

void CMatchRecord::add(uint32_t step, const PlayerInput& in) {
  uint32_t gap = step >= lastStep_ ? step - lastStep_ : 0;
  lastStep_ += gap;
  do {
    packed_.push_back(static_cast<uint8_t>((gap & 0x7f) | (gap > 0x7f ? 0x80 : 0)));
    gap >>= 7;
  } while (gap);
  packed_.push_back(static_cast<uint8_t>(in.player));
  packed_.push_back(static_cast<uint8_t>(in.action));
  packed_.push_back(static_cast<uint8_t>(static_cast<int8_t>(in.code)));
  putFloat(packed_, in.x);
  putFloat(packed_, in.y);
  ++count_;
}

std::string CMatchRecord::replayText(uint32_t seed, uint32_t steps, uint64_t expectHash,
                                     const std::string& settingsPath, const std::string& why) const {
  std::ostringstream out;
  out << "# A networked match replayed on one keyboard: " << why << "\n";
  out << "seed " << seed << "\n";
  out << "settings " << settingsPath << "\n";
  // A replay's frames are 16 ms apart, each running one step and then
  // taking the events due: an event at 16 N reaches the game before step N.
  out << "duration " << steps * 16 << "\n";
  uint32_t step = 0;
  auto p = packed_.cbegin();
  for (size_t i = 0; i < count_; ++i) {
    uint32_t gap = 0;
    for (int shift = 0;; shift += 7) {
      gap |= static_cast<uint32_t>(*p & 0x7f) << shift;
      if (!(*p++ & 0x80)) break;
    }
    step += gap;
    PlayerInput in;
    in.player = *p++;
    in.action = static_cast<PlayerAction>(*p++);
    in.code = static_cast<int8_t>(*p++);
    in.x = takeFloat(p);
    in.y = takeFloat(p);
    if (step >= steps) continue;
    const int x = static_cast<int>(in.x), y = static_cast<int>(in.y);
    switch (in.action) {
      case PlayerAction::kKeyDown:
      case PlayerAction::kKeyUp: {
        // Enter after a win is the one-keyboard game's too.
        const char* key = in.code == kNewMatchCode ? commandKeyName(AppCommand::kEnter) : steeringKeyName(in.player, in.code);
        if (!key) continue;
        out << "at " << step * 16 << " key " << (in.action == PlayerAction::kKeyDown ? "down " : "up ") << key;
        break;
      }
      case PlayerAction::kMouseMotion:
        out << "at " << step * 16 << " motion " << x << " " << y;
        break;
      case PlayerAction::kButtonDown:
      case PlayerAction::kButtonUp:
        out << "at " << step * 16 << " button " << (in.action == PlayerAction::kButtonDown ? "down " : "up ")
            << in.code << " " << x << " " << y;
        break;
    }
    out << "   # player " << in.player << "\n";
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
