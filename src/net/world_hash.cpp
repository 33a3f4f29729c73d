// The world's fingerprint; see world_hash.h.
#include "net/world_hash.h"

#include "game/game_manager.h"
#include "game/game_part.h"
#include "sim/sim_step.h"

namespace net {

namespace {

struct Fnv {
  uint64_t h = 1469598103934665603ull;
  template <class T>
  void add(T v) {
    const auto* b = reinterpret_cast<const uint8_t*>(&v);
    for (size_t i = 0; i < sizeof v; ++i) {
      h ^= b[i];
      h *= 1099511628211ull;
    }
  }
};

}  // namespace

uint64_t worldHash(const CGameManager* game) {
  Fnv f;
  f.add(simulationHash());
  if (game) {
    f.add(game->player1Value);
    f.add(game->player2Value);
    f.add(game->gameOver);
  }
  for (const CGamePart* p : g_partList) {
    f.add(p->id);
    f.add(p->gridX);
    f.add(p->gridY);
    f.add(p->rotation);
    f.add(p->ownerPlayer);
    f.add(p->dying);
    f.add(p->placedTime);
  }
  return f.h;
}

}  // namespace net
