// The players' inputs as a networked match sends and schedules them: the
// game's own player inputs, a frame of them per player and step, and their
// layout on the wire.
#pragma once

#include <cmath>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/player_input.h"
#include "net/wire.h"

namespace net {

// Everything one player did before one simulation step.
using InputFrame = std::vector<PlayerInput>;

constexpr size_t kInputWireBytes = 11;

// The pointer travels in whole pixels; both sides must apply the same value.
inline PlayerInput onWire(PlayerInput in) {
  in.x = std::round(std::fmax(-32768.0f, std::fmin(in.x, 32767.0f)));
  in.y = std::round(std::fmax(-32768.0f, std::fmin(in.y, 32767.0f)));
  return in;
}

inline void writeInput(CWireWriter& w, const PlayerInput& in) {
  w.u8(static_cast<uint8_t>(in.player));
  w.u8(static_cast<uint8_t>(in.action));
  w.u8(static_cast<uint8_t>(static_cast<int8_t>(in.code)));
  uint32_t bits = 0;
  std::memcpy(&bits, &in.x, sizeof bits);
  w.u32(bits);
  std::memcpy(&bits, &in.y, sizeof bits);
  w.u32(bits);
}

// False for a player, action or code this version does not know.
inline bool readInput(CWireReader& r, PlayerInput& in) {
  const uint8_t player = r.u8();
  const uint8_t action = r.u8();
  const int code = static_cast<int8_t>(r.u8());
  const uint32_t x = r.u32(), y = r.u32();
  if (!r.ok() || (player != 1 && player != 2) || action > static_cast<uint8_t>(PlayerAction::kButtonUp) ||
      code < kNewMatchCode || code > kWheelDown) {
    return false;
  }
  in.player = player;
  in.action = static_cast<PlayerAction>(action);
  in.code = code;
  std::memcpy(&in.x, &x, sizeof in.x);
  std::memcpy(&in.y, &y, sizeof in.y);
  return std::isfinite(in.x) && std::isfinite(in.y);
}

}  // namespace net
