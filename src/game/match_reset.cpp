// Restarting a match: the bought parts go, the blood goes, and everything
// that was there at the start returns to exactly where it began.
#include "game/match_reset.h"

#include "game/feedback.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/game_scene.h"
#include "render/sprite.h"
#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "sim/particles.h"

CMatchStart recordMatchStart(const CGameManager& game) {
  CMatchStart start;
  start.value1 = game.player1Value;
  start.value2 = game.player2Value;
  start.target1 = game.player1Target;
  start.target2 = game.player2Target;
  start.lastPartId = g_lastPartId;
  for (const CGamePart* part : g_partList) start.poses.push_back({Vec2{part->gridX, part->gridY}, part->rotation});
  return start;
}

void restartMatch(const CMatchStart& start, CGameManager& game, CGameScene& scene, CDragState& drag) {
  drag = CDragState();
  g_motionsSinceHover = 0;

  // Bought parts lie after the start's parts: removals during a match only
  // ever moved later entries into freed slots.
  while (g_partList.size() > start.poses.size()) {
    delete g_partList.back();
    g_partList.pop_back();
  }
  g_cellGrid.clearBlood();
  clearParticles();
  resetBloodState();
  bloodStats() = BloodStats();
  for (size_t i = 0; i < g_partList.size(); ++i) g_partList[i]->restorePose(start.poses[i].grid, start.poses[i].rotation);
  g_lastPartId = start.lastPartId;

  game.player1Value = start.value1;
  game.player2Value = start.value2;
  game.player1Target = start.target1;
  game.player2Target = start.target2;
  game.currentPlayer = 0;
  game.turnStart = 0;
  game.gameOver = false;
  game.winner = 0;
  game.finalValue1 = game.finalValue2 = 0;
  game.shop1.resetHidden();
  game.shop2.resetHidden();
  for (CPlayerController* controller : {&game.controller1, &game.controller2}) {
    CGamePart* part = controller->part;
    *controller = CPlayerController(part);
    controller->position = startPoint(controller == &game.controller1 ? 1 : 2);
  }

  scene.resetForNewMatch();
  if (g_feedback) g_feedback->clear();
}
