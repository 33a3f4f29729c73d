// Facts of the board that the blood, the computer's flow model and the
// on-screen feedback must agree on: the grid's size, where the spout pours,
// where the collectors drain and how often all blood wakes up.
#pragma once

namespace board {

constexpr int kWidth = 256;
constexpr int kHeight = 211;

// The spout, on screen; its drops start in the cell under it.
constexpr float kSpoutX = 256.0f;
constexpr float kSpoutY = 237.0f;

// The players' collectors: 10 x 10 squares, left for player 1, right for 2.
constexpr int kCollectorSize = 10;
constexpr int kCollectorTop = 141;
constexpr int kLeftCollectorX = 41;
constexpr int kRightCollectorX = 205;

// Every kWakePeriod-th step is the maintenance call (wake-up, clean-up,
// collectors) instead of a flow sweep.
constexpr int kWakePeriod = 11;

}  // namespace board
