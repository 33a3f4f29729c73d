// Turns, the countdown, the value bars and victory: the game manager's
// per-frame update and the turn change with its banner and shops.
#include <string>

#include "game/feedback.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/game_scene.h"
#include "platform/clock.h"

namespace {
constexpr int kTurnBannerMs = 1500;
constexpr int kWinnerBannerMs = 5000;
}

void CGameManager::update(CGameScene& scene, CDragState& drag) {
  if (gameOver) {
    if (shop1.shown) shop1.hide();
    if (shop2.shown) shop2.hide();
    shop1.slide();
    shop2.slide();
    return;
  }
  float now = static_cast<float>(platform::gameTicks());
  if (currentPlayer == 0 || now - turnStart > turnLength) {
    changeTurn(currentPlayer == 1 ? 2 : 1, scene, drag);
  }
  scene.setTimer(clampf(1 - (now - turnStart) / turnLength, 0, 1));
  scene.setBar(1, clampf(player1Value / player1Target, 0, 1));
  scene.setBar(2, clampf(player2Value / player2Target, 0, 1));
  scene.setValueText(1, player1Value, player1Target);
  scene.setValueText(2, player2Value, player2Target);
  shop1.showAffordability(player1Value);
  shop2.showAffordability(player2Value);
  if (player1Value > player1Target) {
    scene.showBanner("data/gfx/player1_wins.png", kWinnerBannerMs, 1);
    gameOver = true;
    winner = 1;
    if (g_feedback) g_feedback->victory();
  } else if (player2Value > player2Target) {
    scene.showBanner("data/gfx/player2_wins.png", kWinnerBannerMs, 2);
    gameOver = true;
    winner = 2;
    if (g_feedback) g_feedback->victory();
  }
  if (gameOver) {
    finalValue1 = player1Value;
    finalValue2 = player2Value;
  }
  controller1.update(solidPaddles ? controller2.part : nullptr);
  controller2.update(solidPaddles ? controller1.part : nullptr);
  shop1.slide();
  shop2.slide();
}

void CGameManager::changeTurn(int player, CGameScene& scene, CDragState& drag) {
  if (drag.part) {
    drag.part->drop();
    drag.part = nullptr;
  }
  currentPlayer = player;
  turnStart = static_cast<float>(platform::gameTicks()) + changeTime;
  CShop& shown = player == 1 ? shop1 : shop2;
  CShop& hidden = player == 1 ? shop2 : shop1;
  // The board behind the title menu plays on without banners or shops.
  if (!quietTurns) {
    scene.showBanner("data/gfx/player" + std::to_string(player) + "_turn.png", kTurnBannerMs, player);
    if (!shown.shown) shown.show();
  }
  if (hidden.shown) hidden.hide();
  if (g_feedback) g_feedback->turnChanged();
}
