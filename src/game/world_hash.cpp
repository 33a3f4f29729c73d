// The world's fingerprint; see world_hash.h.
#include "game/world_hash.h"

#include "core/fnv.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "sim/sim_step.h"

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
