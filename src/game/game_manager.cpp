// The game manager: construction order, the settings file read and written
// back, the players' values, and binding the steering controllers.
#include "game/game_manager.h"

#include <cstdio>

#include "engine/xml_bind.h"
#include "game/feedback.h"
#include "engine/xml_writer.h"
#include "game/game_part.h"
#include "game/rules.h"
#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "render/sprite.h"
#include "sim/placement.h"

CGameManager* g_game = nullptr;
CGameScene* g_scene = nullptr;
float valueScale = 20000;
bool draggingAllowed = false;

namespace {
const char* const kSettingsPath = "data/settings.xml";
}

CGameManager::CGameManager() {
  shop1.loadPictures();
  shop2.loadPictures();
  shop1.fill("player1", 1);
  shop2.fill("player2", 2);
  // Part files are loaded before the settings, so no setting affects them.
  brin::ReadXmlFile(*this, kSettingsPath, "Settings");
  // Written back at once: the file always holds start values with every key.
  // What the player wrote that this would lose is kept beside it first.
  brin::RewriteXmlFile(*this, kSettingsPath, "Settings");
  valueScale = player1Target;
  setEarnReceiver(&earnValue);
}

CGameManager::~CGameManager() {
  if (g_game == this) g_game = nullptr;
}

void earnValue(int player, int amount) {
  if (!g_game) return;
  if (g_feedback) g_feedback->collected(player);
  if (player == 1) {
    g_game->player1Value += static_cast<float>(amount);
  } else if (player == 2) {
    g_game->player2Value += static_cast<float>(amount);
  }
}

bool spendValue(int player, float cost) {
  if (!g_game) return false;
  float& value = player == 1 ? g_game->player1Value : g_game->player2Value;
  if (cost > value) return false;
  value -= cost;
  return true;
}

Vec2 startPoint(int player) {
  float offset = kArenaRadius * 0.5f;
  return Vec2{player == 1 ? kArenaCentreX - offset : kArenaCentreX + offset, kArenaCentreY};
}

void sendPaddleHome(CGameManager& game, CGamePart* paddle) {
  for (int player = 1; player <= 2; ++player) {
    CPlayerController& controller = player == 1 ? game.controller1 : game.controller2;
    if (!paddle || controller.part != paddle) continue;
    controller.position = startPoint(player);
    controller.speed = 0;
    controller.turnRate = 0;
    paddle->setGridPosition(screenToGrid(controller.position));
  }
}

bool bindControllers(CGameManager& game) {
  bool missing1 = game.shop1.templates.empty();
  bool missing2 = game.shop2.templates.empty();
  if (missing1 || missing2) {
    std::printf("Cannot start: no part for %s to steer; put a part file named %s under data/parts/\n",
                missing1 && missing2 ? "either player" : (missing1 ? "player 1" : "player 2"),
                missing1 && missing2 ? "player1*.xml and one named player2*.xml"
                                     : (missing1 ? "player1*.xml" : "player2*.xml"));
    std::fflush(stdout);
    return false;
  }
  CPlayerController* controllers[2] = {&game.controller1, &game.controller2};
  CShop* shops[2] = {&game.shop1, &game.shop2};
  for (int i = 0; i < 2; ++i) {
    CGamePart* part = shops[i]->templates.front();
    // The steered part leaves the row for the board; a copy takes its place,
    // so the row has no gap and the part stays for sale like any other.
    CGamePart* forSale = copyGamePart(*part).release();
    stamp(*forSale, Vec2{0, -1});
    if (forSale->sprite) forSale->sprite->behindGrid = false;
    forSale->ownerPlayer = part->ownerPlayer;
    g_partList.push_back(forSale);
    shops[i]->replaceTemplate(part, forSale);
    part->steered = true;
    Vec2 start = startPoint(i + 1);
    part->setGridPosition(screenToGrid(start));
    *controllers[i] = CPlayerController(part);
    controllers[i]->position = start;
  }
  return true;
}
