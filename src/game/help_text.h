// The help screen's text: the keys, the mouse, the rules in a few lines, and
// every part of both shops as the part files describe them.
#pragma once

#include <string>

class CGameManager;

std::string helpText(const CGameManager& game);
