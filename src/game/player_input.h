// The one way a player's hands reach the game: the steering keys press and
// release the player's controller, the mouse moves, buys, drags, turns and
// drops through the drag state. The keyboard and mouse dispatch and the
// computer player both speak through it, every input tagged with its player.
#pragma once

#include "core/player_input.h"

class CGameManager;
struct CDragState;

// Whether the input acts on the game at all: keys always, the mouse only for
// the player whose turn it is, a release only for the player whose press is
// held. What does not reach the game is not recorded either.
bool inputReaches(const PlayerInput& input, const CGameManager& game, const CDragState& drag);

// Keys steer the player's own controller at any time. The mouse acts only for
// the player whose turn it is, and a release of the left button only for the
// player whose press is being held, so one player's hand never moves or drops
// what the other holds. Returns whether the input reached the game.
bool applyPlayerInput(const PlayerInput& input, CGameManager& game, CDragState& drag);
