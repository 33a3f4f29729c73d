// The one translation of an SDL event into a player's input, by the key map;
// the local game, the networked one and the replays all go through it.
#pragma once

#include <SDL/SDL.h>

#include "core/player_input.h"

// A steering key names its player; the mouse's player is left 0 for the
// caller to give (the turn's player at one keyboard, this machine's over the
// network). Mouse coordinates must already be in the 512 x 512 drawing space.
// False for events that are no player's input.
bool playerInputOf(const SDL_Event& event, PlayerInput& in);

// The window's close, or the key that quits.
bool isQuit(const SDL_Event& event);
