// One whole simulation step as the main loop runs it, a reset to the state at
// start, and a fingerprint of the simulated state for replays.
#pragma once

#include <cstdint>

// Spawns the step's drop at the spout, steps the blood, steps the drops.
void simulationStep();

// Empties the grid (spare slots too) and the drop list, puts the step
// counter, blood tick and active box back as at start and zeroes the blood
// counters. The random sources are left alone; seed them with seedRandom.
void resetSimulation();

// A hash of every slot, every blood cell's fields, every drop, and the
// program generator's state: equal runs give equal hashes.
uint64_t simulationHash();
