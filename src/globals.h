// The program-lifetime globals whose construction order matters, declared in
// one place and defined together in globals.cpp in that order.
#pragma once

#include <list>
#include <map>
#include <string>
#include <vector>

struct CImage;
struct CSprite;
class CParticle;
class CCellGrid;
class CGamePart;

extern std::map<std::string, CImage> g_imageCache;  // lower-cased path -> picture
extern std::list<CSprite*> g_spriteList;            // drawing order, not owning
extern std::vector<CParticle*> g_particleList;      // owning
extern CCellGrid g_cellGrid;                        // 256 x 211
extern std::vector<CGamePart*> g_partList;          // owning, all parts but the stomach
