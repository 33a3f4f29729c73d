// The help screen's text: the keys, the mouse, the rules in a few lines, and
// every part of both shops as the part files describe them.
#pragma once

#include <string>

class CGameManager;

// `handOver` is the level the computer takes a side at with F2 ("normal");
// without `canQuit` (a web page) Escape only ever leaves a match.
std::string helpText(const CGameManager& game, const std::string& handOver = "normal", bool canQuit = true);
