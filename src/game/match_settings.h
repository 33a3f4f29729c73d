// The values of data/settings.xml as one record: what a networked match's
// host plays with and the joining side takes over, and what a match's replay
// is played with again.
#pragma once

#include <string>

#include "engine/xml_bind.h"

class CGameManager;

struct MatchSettings {
  float value1 = 5000, value2 = 5000;
  float target1 = 30000, target2 = 30000;
  float turnLength = 5000, changeTime = 749;
  bool draggingAllowed = false;
  // House rules, off unless the file turns them on (see CGameManager).
  bool solidPaddles = false;
  bool bombReturnsPaddle = false;

  void Bind(brin::CXmlBindContext& ctx);
};

MatchSettings settingsOf(const CGameManager& game);
// Start values, targets, turn timing and house rules as given; the price
// scale follows player 1's target as it does after loading the file.
void applySettings(const MatchSettings& settings, CGameManager& game);
// The settings in the form of data/settings.xml, every value read back the
// same.
std::string settingsXml(const MatchSettings& settings);
