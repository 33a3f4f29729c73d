// The fingerprint two machines compare once a second, and replays compare
// at their end: the blood, the drops, the random generator, both values and
// every part on the list.
#pragma once

#include <cstdint>

class CGameManager;

uint64_t worldHash(const CGameManager* game);
