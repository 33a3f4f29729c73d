// Dispatch of one SDL event: keys to the two players' controllers, the mouse
// to the drag state, Escape and the window's close to the end of the loop.
#pragma once

#include <SDL/SDL.h>

class CGameManager;
struct CDragState;

// Which players the computer plays: the keyboard and the mouse do not speak
// for them.
struct ComputerSeats {
  bool player1 = false;
  bool player2 = false;
  bool plays(int player) const { return player == 1 ? player1 : (player == 2 && player2); }
};

// Mouse coordinates must already be in the 512 x 512 drawing space. Without
// a game only Escape and quit act.
void dispatchEvent(const SDL_Event& event, bool& running, CGameManager* game, CDragState& drag,
                   ComputerSeats computer = ComputerSeats());
