// Gamepads as a player's hands: the stick and the cross steer like the four
// keys; in the pad player's turn the stick moves the pointer instead, on the
// step clock; one button buys and holds, the shoulders turn the part. All of
// it comes out as PlayerInput, the seam the keys and the mouse use, so the
// replays and the network carry it. No SDL call here: events come in as
// records, which tests build by hand.
#pragma once

#include <SDL/SDL.h>

#include <vector>

#include "core/math2d.h"
#include "core/player_input.h"

// Stick travel (of 32767) that does nothing: a resting stick is never quite 0.
constexpr int kStickDeadZone = 8000;
// Pointer pixels a step at full tilt, 500 a second: a person's quick hand.
constexpr float kPadPointerStep = 8.0f;

// Buttons as most pads number them: A or cross, B or circle, the shoulders.
constexpr int kPadChoose = 0;  // buys and holds; Enter on the menu and panels
constexpr int kPadBack = 1;    // Escape on the menu and panels
constexpr int kPadShoulderLeft = 4;
constexpr int kPadShoulderRight = 5;

// The player a pad belongs to: the first pad player 1, the second player 2,
// a lone pad player 2 (one person keeps the keyboard); with `onlyPlayer`
// (the one side a person plays here) every pad is that player's. 0 for a pad
// that plays nobody.
int padPlayer(int pad, int padCount, int onlyPlayer);

// The steering directions a stick and a cross hold, a bit each (1 << kForward ...).
unsigned stickDirections(int axisX, int axisY);
unsigned hatDirections(int hat);

// The pointer after one step of a stick at (axisX, axisY): still inside the
// dead zone, faster the further the stick leans, kept in the 512 x 512
// drawing space.
Vec2 padPointerStep(Vec2 pointer, int axisX, int axisY);

class CGamepads {
 public:
  // The pads there are, and who plays them (see padPlayer). A pad whose
  // player changes first lets go of what it held, into `out`.
  void setup(int padCount, int onlyPlayer, std::vector<PlayerInput>& out);
  int count() const { return static_cast<int>(pads_.size()); }
  int playerOf(int pad) const;

  // A joystick event: updates its pad, and when `toGame` puts what it does
  // in the game into `out` (otherwise a menu or panel has the pad, and only
  // releases reach the game later). Returns the key the event gives a menu:
  // an arrow for a direction newly held, Enter and Escape for the choose and
  // back buttons; SDLK_UNKNOWN for none. Events of unknown pads do nothing.
  SDLKey handleEvent(const SDL_Event& event, int turnPlayer, Vec2 pointer, bool toGame,
                     std::vector<PlayerInput>& out);
  // Once a simulation step: the turn player's stick moves the pointer from
  // `pointer`, and steering follows whose turn it is.
  void step(int turnPlayer, Vec2 pointer, std::vector<PlayerInput>& out);

 private:
  struct Pad {
    int player = 0;
    int axisX = 0, axisY = 0, hat = 0;
    unsigned sent = 0;  // steering directions the game was told are held
    bool choose = false, chooseSent = false;
    bool pointing = false;  // the stick moved the pointer last step
    Vec2 pointer;           // where it is, to the fraction of a pixel
  };
  void steer(Pad& pad, int turnPlayer, std::vector<PlayerInput>& out);
  void letGo(Pad& pad, std::vector<PlayerInput>& out);
  std::vector<Pad> pads_;
};
