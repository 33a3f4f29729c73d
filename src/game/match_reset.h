// A new match in the same window: what the game looked like once it was
// built, recorded, and put back when the players ask for another match.
#pragma once

#include <cstddef>
#include <vector>

#include "core/math2d.h"

class CGameManager;
class CGameScene;
struct CDragState;

struct CMatchStart {
  float value1 = 0, value2 = 0;
  float target1 = 0, target2 = 0;
  int lastPartId = 0;
  struct Pose {
    Vec2 grid;
    float rotation;
  };
  // The parts of the part list at the start: the shop rows and the steered
  // parts. Everything after them was bought during a match.
  std::vector<Pose> poses;
};

// After start-up (controllers bound), before the first frame.
CMatchStart recordMatchStart(const CGameManager& game);

// Empties the board of blood, drops and bought parts, and puts values,
// turns, shops, steered parts and the scene back as recorded. The random
// sources are the caller's to seed.
void restartMatch(const CMatchStart& start, CGameManager& game, CGameScene& scene, CDragState& drag);
