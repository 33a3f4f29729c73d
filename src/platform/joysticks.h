// Opening the gamepads SDL finds at start, so their axes, hats and buttons
// come in as events; tests say how many pads there are instead.
#pragma once

namespace platform {

// Opens every joystick SDL finds and turns on their events; returns how many
// (0 when there are none or SDL's joystick part cannot start). With a count
// set for tests, opens nothing and returns that count.
int openJoysticks();
void closeJoysticks();
// -1 goes back to what SDL finds.
void setJoystickCountForTests(int count);

}  // namespace platform
