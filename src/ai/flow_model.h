// A byte copy of the board that the computer player runs ahead of the game:
// the blood's flow rule, simplified where that does not change where blood
// ends up, and what each collector would take. It never touches the real grid.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "sim/board.h"

class CCellGrid;
struct CAlphaMask;

namespace flow {

constexpr int kWidth = board::kWidth;
constexpr int kHeight = board::kHeight;

// What a slot of the model holds. Settled blood sleeps until the periodic
// wake-up, as it does in the game. Other blood is either creeping, with its
// sideways speed in tenths in the byte (kCreep + s, s in -9 ... 9), or
// falling, with the steps it has kept falling (kFalling + n, n >= 1).
enum : uint8_t { kEmpty = 0, kGround = 1, kSettled = 2, kBlood = 3, kCreep = 12, kFalling = 22 };

}  // namespace flow

// The board as the computer last looked at it: what each slot held and, for
// ground, which part stamped it, so a look-ahead can leave a part out.
struct CBoardSnapshot {
  CBoardSnapshot();
  // Reads rows [firstRow, endRow) of the grid, left and right swapped when
  // `mirrored` (column c of the grid lands in column 255 - c).
  void captureRows(const CCellGrid& grid, int firstRow, int endRow, bool mirrored = false);

  std::vector<uint8_t> cells;   // kEmpty, kGround, kSettled or kBlood
  std::vector<int32_t> owners;  // the stamping part's id for ground, else 0
};

class CFlowModel {
 public:
  CFlowModel();

  // Starts a look-ahead from the snapshot, without the ground of the parts
  // whose ids are listed. The seed makes the inflow and the drift of falling
  // blood the same for every candidate that is compared.
  void load(const CBoardSnapshot& board, const std::vector<int>& withoutParts, uint32_t seed);
  // Adds a part's mask as ground centred on the grid point, as the game
  // stamps it; blood in the way is lost.
  void stamp(const CAlphaMask& mask, float gridX, float gridY);
  // One step of inflow and flow. Returns the work done, in slots visited.
  int step();

  // Blood the player's collector took since load, and blood lying where only
  // that collector can take it.
  int collected(int player) const { return collected_[player == 1 ? 0 : 1]; }
  int committed(int player) const;
  int steps() const { return steps_; }
  uint8_t at(int x, int y) const { return cells_[static_cast<size_t>(x + y * flow::kWidth)]; }

 private:
  // The slots of one row that a sweep visits, one bit each.
  struct RowMarks {
    uint64_t words[flow::kWidth / 64] = {0, 0, 0, 0};
  };

  void update(int x, int y);
  void moveTo(int from, int to);
  void touch(std::vector<RowMarks>& marks, int x, int y);
  void sweepRow(int y, bool rightwards);
  void wakeUp();
  void spawn();
  uint32_t random();

  std::vector<uint8_t> cells_;
  std::vector<uint16_t> ticks_;  // the step each slot's blood last moved in
  std::vector<RowMarks> now_;    // slots to visit in this step
  std::vector<RowMarks> next_;   // slots to visit in the next one
  uint16_t tick_ = 0;
  int work_ = 0;
  int collected_[2] = {0, 0};
  int steps_ = 0;
  float inflow_ = 0;
  uint32_t rng_ = 1;
};
