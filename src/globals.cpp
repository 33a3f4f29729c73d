// Defines the program-lifetime globals in one translation unit, so their
// construction order (and the reverse order of their destruction) is fixed.
#include "globals.h"

#include <ctime>

#include "render/image.h"
#include "sim/cell_grid.h"
#include "sim/random.h"

std::map<std::string, CImage> g_imageCache;
std::list<CSprite*> g_spriteList;
std::vector<CParticle*> g_particleList;
CCellGrid g_cellGrid(256, 211);
std::vector<CGamePart*> g_partList;

namespace {
struct StartupSeed {
  StartupSeed() { seedRandom(static_cast<unsigned>(std::time(nullptr))); }
} g_startupSeed;
}  // namespace

namespace brin {
std::list<const void*> g_disownedVariants;
}
