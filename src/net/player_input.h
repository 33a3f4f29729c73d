// One thing a player did, in the form it reaches the controllers and the
// drag state: what a networked match sends, schedules for a step and
// records for its replay.
#pragma once

#include <cstdint>
#include <vector>

#include "net/wire.h"

namespace net {

struct PlayerInput {
  // kNewMatch: Enter after a win, a new match on both machines at once.
  enum Kind : uint8_t { kKeyPress, kKeyRelease, kMotion, kButtonPress, kButtonRelease, kWheel, kNewMatch, kKindCount };
  Kind kind = kKeyPress;
  int8_t value = 0;      // keys: the steering direction; wheel: -1 up, +1 down
  int16_t x = 0, y = 0;  // the mouse in the 512 x 512 drawing space

  bool operator==(const PlayerInput& o) const {
    return kind == o.kind && value == o.value && x == o.x && y == o.y;
  }
};

// Everything one player did before one simulation step.
using InputFrame = std::vector<PlayerInput>;

constexpr size_t kInputWireBytes = 6;

inline void writeInput(CWireWriter& w, const PlayerInput& in) {
  w.u8(in.kind);
  w.u8(static_cast<uint8_t>(in.value));
  w.u16(static_cast<uint16_t>(in.x));
  w.u16(static_cast<uint16_t>(in.y));
}

// False for a kind this version does not know.
inline bool readInput(CWireReader& r, PlayerInput& in) {
  const uint8_t kind = r.u8();
  in.value = static_cast<int8_t>(r.u8());
  in.x = static_cast<int16_t>(r.u16());
  in.y = static_cast<int16_t>(r.u16());
  if (!r.ok() || kind >= PlayerInput::kKindCount) return false;
  in.kind = static_cast<PlayerInput::Kind>(kind);
  return true;
}

}  // namespace net
