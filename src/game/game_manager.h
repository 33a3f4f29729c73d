// The one record of a running game: both players' values and targets, their
// controllers and shops, the turn state, and the settings file behind them.
#pragma once

#include "game/player_controller.h"
#include "game/shop.h"

namespace brin { struct CXmlBindContext; }
class CGameScene;

class CGameManager {
 public:
  // Loads the shops' pictures and part files, then reads data/settings.xml
  // and writes it straight back with every key.
  CGameManager();
  ~CGameManager();
  CGameManager(const CGameManager&) = delete;
  CGameManager& operator=(const CGameManager&) = delete;

  // The settings file's keys (MatchSettings).
  void Bind(brin::CXmlBindContext& ctx);

  // Once per simulation step (once in a frame that runs none): turns, timer,
  // bars, victory, steering and the shops.
  void update(CGameScene& scene, CDragState& drag);
  void changeTurn(int player, CGameScene& scene, CDragState& drag);

  float player1Value = 5000;
  float player2Value = 5000;
  float player1Target = 30000;
  float player2Target = 30000;
  CPlayerController controller1;
  CPlayerController controller2;
  int currentPlayer = 0;
  // The shop of the player whose turn it is; null before the first turn.
  CShop* currentShop() { return currentPlayer == 1 ? &shop1 : currentPlayer == 2 ? &shop2 : nullptr; }
  float turnStart = 0;    // ms on the tick clock; ahead of now during the change time
  float turnLength = 5000;
  CShop shop1;
  CShop shop2;
  float changeTime = 749;
  bool gameOver = false;
  // House rules from the settings file, both off unless it turns them on:
  // the steered paddles cannot drive into each other, and a bomb sends a
  // paddle it reaches back to its start instead of sparing it.
  bool solidPaddles = false;
  bool bombReturnsPaddle = false;
  // Turns change without a banner and no shop comes in (the board that
  // plays itself behind the title menu).
  bool quietTurns = false;
  // Who won (1 or 2; 0 while playing) and both values at that moment.
  int winner = 0;
  float finalValue1 = 0, finalValue2 = 0;
};

extern CGameManager* g_game;
extern CGameScene* g_scene;
// Converts a part's cost into a share of a value bar; the player 1 target.
extern float valueScale;
// Whether parts dropped inside the arena may be picked up again.
extern bool draggingAllowed;

// The blood collectors credit drained blood here.
void earnValue(int player, int amount);
// Pays a cost from player 1's value (player 1) or player 2's (any other
// number); false, paying nothing, when the value is smaller than the cost.
bool spendValue(int player, float cost);

// Binds each player's controller to the first template of that player's
// shop and sets both parts on their start points on the board. Prints why
// and returns false when a player has no part to steer.
bool bindControllers(CGameManager& game);

// Where each player's steered part starts: half the arena radius left and
// right of the arena centre.
Vec2 startPoint(int player);
// Puts the steered part back on its player's start point at rest (same
// heading, keys as they are held); a part no controller steers is left.
void sendPaddleHome(CGameManager& game, CGamePart* paddle);
