// Copying the settings in and out of the game; see match_settings.h.
#include "game/match_settings.h"

#include "engine/xml_writer.h"
#include "game/game_manager.h"

MatchSettings settingsOf(const CGameManager& game) {
  MatchSettings s;
  s.value1 = game.player1Value;
  s.value2 = game.player2Value;
  s.target1 = game.player1Target;
  s.target2 = game.player2Target;
  s.turnLength = game.turnLength;
  s.changeTime = game.changeTime;
  s.draggingAllowed = draggingAllowed;
  s.solidPaddles = game.solidPaddles;
  s.bombReturnsPaddle = game.bombReturnsPaddle;
  return s;
}

void applySettings(const MatchSettings& s, CGameManager& game) {
  game.player1Value = s.value1;
  game.player2Value = s.value2;
  game.player1Target = s.target1;
  game.player2Target = s.target2;
  game.turnLength = s.turnLength;
  game.changeTime = s.changeTime;
  draggingAllowed = s.draggingAllowed;
  game.solidPaddles = s.solidPaddles;
  game.bombReturnsPaddle = s.bombReturnsPaddle;
  valueScale = s.target1;
}

std::string settingsXml(const MatchSettings& settings) {
  MatchSettings copy = settings;  // binding takes its record by reference
  return brin::ComposeXmlText(*brin::BuildXmlTree(copy, "Settings"));
}
