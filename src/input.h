// Dispatch of one SDL event: keys to the two players' controllers, the mouse
// to the drag state, Escape and the window's close to the end of the loop.
#pragma once

#include <SDL/SDL.h>

class CGameManager;
struct CDragState;

// Mouse coordinates must already be in the 512 x 512 drawing space. Without
// a game only Escape and quit act.
void dispatchEvent(const SDL_Event& event, bool& running, CGameManager* game, CDragState& drag);
