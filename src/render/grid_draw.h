// Drawing what the simulation holds: the grid's blood (CCellGrid::draw
// forwards here) and the blood drops as sprites of their own.
#pragma once

class CCellGrid;

// The blood as merged horizontal bars, a row at a time, in the blood colour.
void drawBlood(const CCellGrid& grid);

// From now on every new drop gets a sprite in the sprite list, which follows
// the drop after each step and goes with it.
void showDrops();
