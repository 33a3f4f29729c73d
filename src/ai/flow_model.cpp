// The computer player's look-ahead board: a byte per cell, marks on the
// slots worth visiting, and the game's flow rule swept over the marks.
#include "ai/flow_model.h"

#include <algorithm>
#include <utility>

#include "render/image.h"
#include "sim/cell_grid.h"

using namespace flow;

namespace {

constexpr int kSlots = kWidth * kHeight;

// The collectors, as the blood maintenance drains them.
using board::kCollectorSize;
using board::kCollectorTop;
using board::kLeftCollectorX;
using board::kRightCollectorX;
constexpr int kCollectorBottom = kCollectorTop + kCollectorSize - 1;

// Blood below the ridge's top (row 95) slides down its own side's slope to
// that side's collector whatever happens next, unless a part stops it.
constexpr int kLeftBasinLastColumn = kWidth / 2 - 1;
constexpr int kRightBasinFirstColumn = kWidth - 1 - kLeftBasinLastColumn;
constexpr int kBasinTopRow = 96;
constexpr int kBasinBottomRow = 152;

// The spout's drops, as they land in the game: about two a step, mostly on
// the funnel's walls over columns 104 to 139, some through the throat onto
// the pool. Moving blood does not stop a drop. The columns are taken four
// further left, which evens out the two collectors in the model as the
// board's slanted throat does in the game.
constexpr float kInflowPerStep = 2.0f;
constexpr int kDropFirstColumn = 100;
constexpr int kDropLastColumn = 135;
constexpr int kDropFirstRow = 1;
constexpr int kDropTries = 10;

// Every eleventh step wakes all blood, as the game's maintenance does.
constexpr int kWakeEvery = board::kWakePeriod;

// Steps a cell must keep falling before it falls faster, as in the game.
constexpr float kFallGain = 0.125f;
constexpr int kMaxFallCount = 255 - kFalling;
// Sideways speed in tenths of a cell per update, and a whole cell.
constexpr int kCreepStep = 9;
constexpr int kCreepCell = 10;

int collectorAt(int x, int y) {
  if (y < kCollectorTop || y > kCollectorBottom) return 0;
  if (x >= kLeftCollectorX && x < kLeftCollectorX + kCollectorSize) return 1;
  if (x >= kRightCollectorX && x < kRightCollectorX + kCollectorSize) return 2;
  return 0;
}

}  // namespace

CBoardSnapshot::CBoardSnapshot() : cells(kSlots, kEmpty), owners(kSlots, 0) {}

void CBoardSnapshot::captureRows(const CCellGrid& grid, int firstRow, int endRow, bool mirrored) {
  if (grid.width != kWidth || grid.height != kHeight) return;
  if (firstRow < 0) firstRow = 0;
  if (endRow > kHeight) endRow = kHeight;
  for (int i = firstRow * kWidth; i < endRow * kWidth; ++i) {
    const int from = mirrored ? i - i % kWidth + (kWidth - 1 - i % kWidth) : i;
    const ISingleCell* c = grid.slots[static_cast<size_t>(from)];
    if (!c) {
      cells[i] = kEmpty;
      owners[i] = 0;
    } else if (c->kind == ISingleCell::kBlood) {
      cells[i] = static_cast<const CBloodCell*>(c)->asleep ? kSettled : kCreep;
      owners[i] = 0;
    } else {
      cells[i] = kGround;
      owners[i] = c->getOwner();
    }
  }
}

CFlowModel::CFlowModel() : cells_(kSlots, kEmpty), ticks_(kSlots, 0), now_(kHeight), next_(kHeight) {}

void CFlowModel::load(const CBoardSnapshot& board, const std::vector<int>& withoutParts, uint32_t seed) {
  cells_ = board.cells;
  if (!withoutParts.empty()) {
    for (int i = 0; i < kSlots; ++i) {
      if (cells_[i] != kGround) continue;
      for (int id : withoutParts) {
        if (board.owners[i] == id) {
          cells_[i] = kEmpty;
          break;
        }
      }
    }
  }
  std::fill(ticks_.begin(), ticks_.end(), 0);
  tick_ = 0;
  collected_[0] = collected_[1] = 0;
  steps_ = 0;
  inflow_ = 0;
  rng_ = seed ? seed : 1;
  // The first sweep visits all blood; after that only where something moved.
  for (int y = 0; y < kHeight; ++y) {
    now_[static_cast<size_t>(y)] = RowMarks();
    next_[static_cast<size_t>(y)] = RowMarks();
    const uint8_t* row = &cells_[static_cast<size_t>(y * kWidth)];
    for (int x = 0; x < kWidth; ++x) {
      if (row[x] >= kBlood) touch(next_, x, y);
    }
  }
}

void CFlowModel::stamp(const CAlphaMask& mask, float gridX, float gridY) {
  const int left = static_cast<int>(gridX - static_cast<float>(mask.width) * 0.5f);
  const int top = static_cast<int>(gridY - static_cast<float>(mask.height) * 0.5f);
  for (int r = 0; r < mask.height; ++r) {
    const int gy = top + r;
    if (gy < 0 || gy >= kHeight) continue;
    for (int k = 0; k < mask.width; ++k) {
      const int gx = left + k;
      if (gx < 0 || gx >= kWidth) continue;
      if (mask.data[static_cast<size_t>(k + r * mask.stride)] < 128) continue;
      cells_[static_cast<size_t>(gx + gy * kWidth)] = kGround;
      // Whatever rested on the new ground, or beside it, may move now.
      touch(next_, gx, gy - 1);
      touch(next_, gx, gy);
    }
  }
}

uint32_t CFlowModel::random() {
  rng_ ^= rng_ << 13;
  rng_ ^= rng_ >> 17;
  rng_ ^= rng_ << 5;
  return rng_;
}

// Marks the slot and its two side neighbours for a visit. Border rows and
// columns never move, as in the game.
void CFlowModel::touch(std::vector<RowMarks>& marks, int x, int y) {
  if (y < 1 || y >= kHeight - 1 || x < 0 || x >= kWidth) return;
  uint64_t* words = marks[static_cast<size_t>(y)].words;
  const int first = x > 0 ? x - 1 : 0;
  const int bit = first & 63;
  words[first >> 6] |= uint64_t{7} << bit;
  if (bit > 61 && (first >> 6) + 1 < kWidth / 64) words[(first >> 6) + 1] |= uint64_t{7} >> (64 - bit);
  words[0] &= ~uint64_t{1};
  words[kWidth / 64 - 1] &= ~(uint64_t{1} << 63);
}

void CFlowModel::moveTo(int from, int to) {
  const uint8_t c = cells_[from];
  cells_[from] = kEmpty;
  const int fx = from % kWidth;
  const int fy = from / kWidth;
  // The rows above are still to come in this sweep, as in the game; what is
  // beside the hole may be behind the sweep, so it gets the next one too.
  touch(now_, fx, fy - 1);
  touch(now_, fx, fy);
  touch(next_, fx, fy - 1);
  touch(next_, fx, fy);
  const int tx = to % kWidth;
  const int ty = to / kWidth;
  if (int player = collectorAt(tx, ty)) {
    ++collected_[player - 1];
    return;
  }
  cells_[to] = c;
  ticks_[to] = tick_;
  touch(next_, tx, ty);
}

void CFlowModel::spawn() {
  inflow_ += kInflowPerStep;
  while (inflow_ >= 1) {
    inflow_ -= 1;
    // A drop falls through its column until ground or blood lying still
    // stops it, and becomes blood just above.
    const int x = kDropFirstColumn + static_cast<int>(random() % (kDropLastColumn - kDropFirstColumn + 1));
    int y = kDropFirstRow;
    while (y < kHeight - 1) {
      const uint8_t below = cells_[x + (y + 1) * kWidth];
      if (below == kGround || below == kSettled) break;
      ++y;
    }
    // Taken: the drop settles a little higher, as an impact backs off along
    // its flight.
    for (int tries = 0; tries < kDropTries && y > 0 && cells_[x + y * kWidth] != kEmpty; ++tries) --y;
    const int i = x + y * kWidth;
    if (cells_[i] != kEmpty) continue;
    cells_[i] = kCreep;
    touch(next_, x, y);
  }
}

void CFlowModel::update(int x, int y) {
  const int i = x + y * kWidth;
  const int below = i + kWidth;
  if (cells_[below] == kEmpty) {
    int n = cells_[i] >= kFalling ? cells_[i] - kFalling : 0;
    if (n < kMaxFallCount) ++n;
    cells_[i] = static_cast<uint8_t>(kFalling + n);
    moveTo(i, below);
    if (cells_[below] == kEmpty) return;  // collected
    int at = below;
    int row = y + 1;
    // Falling blood speeds up: one more try for every 2 that the fall
    // exceeds 1 by, drifting one in seven to either side.
    for (float t = kFallGain * static_cast<float>(n - 1) - 1; t > 0 && row < kHeight - 1; t -= 2) {
      const uint32_t r = random() % 7;
      const int nx = at % kWidth + (r == 1 ? -1 : (r == 2 ? 1 : 0));
      if (nx < 0 || nx > kWidth - 1) continue;
      const int to = nx + (row + 1) * kWidth;
      if (cells_[to] != kEmpty) continue;
      moveTo(at, to);
      if (cells_[to] == kEmpty) return;
      at = to;
      ++row;
    }
    return;
  }
  if (cells_[below + 1] == kEmpty) {
    moveTo(i, below + 1);
    return;
  }
  if (cells_[below - 1] == kEmpty) {
    moveTo(i, below - 1);
    return;
  }
  // Blocked below: it creeps towards an open side at nine tenths of a cell
  // an update; walled in on both sides it settles and sleeps.
  int creep = cells_[i] >= kFalling ? 0 : cells_[i] - kCreep;
  const bool leftOpen = cells_[i - 1] == kEmpty;
  const bool rightOpen = cells_[i + 1] == kEmpty;
  if (leftOpen == rightOpen) {
    cells_[i] = static_cast<uint8_t>(kCreep + creep);
    return;
  }
  creep += rightOpen ? kCreepStep : -kCreepStep;
  int to = -1;
  if (creep >= kCreepCell) {
    creep -= kCreepCell;
    to = i + 1;
  } else if (creep <= -kCreepCell) {
    creep += kCreepCell;
    to = i - 1;
  }
  cells_[i] = static_cast<uint8_t>(kCreep + creep);
  if (to >= 0) moveTo(i, to);
}

// Visits the marked slots of a row in one direction. Marks added ahead of
// the sweep while it runs are visited too, as the game's sweep meets blood
// that moved into its way.
void CFlowModel::sweepRow(int y, bool rightwards) {
  const uint64_t* words = now_[static_cast<size_t>(y)].words;
  const uint8_t* row = &cells_[static_cast<size_t>(y * kWidth)];
  const uint16_t* rowTicks = &ticks_[static_cast<size_t>(y * kWidth)];
  constexpr int kWords = kWidth / 64;
  // Marks that appear behind the sweep wait for the next step.
  int x = rightwards ? -1 : kWidth;
  for (;;) {
    int found = -1;
    if (rightwards) {
      for (int w = (x + 1) >> 6; w < kWords && found < 0; ++w) {
        uint64_t bits = words[w];
        if (w == (x + 1) >> 6) bits &= ~uint64_t{0} << ((x + 1) & 63);
        if (bits) found = (w << 6) + __builtin_ctzll(bits);
      }
    } else {
      for (int w = (x - 1) >> 6; w >= 0 && found < 0; --w) {
        uint64_t bits = words[w];
        if (w == (x - 1) >> 6) bits &= ~uint64_t{0} >> (63 - ((x - 1) & 63));
        if (bits) found = (w << 6) + 63 - __builtin_clzll(bits);
      }
    }
    if (found < 0) return;
    x = found;
    if (row[x] >= kBlood && rowTicks[x] != tick_) update(x, y);
    ++work_;
  }
}

int CFlowModel::step() {
  ++steps_;
  if (++tick_ == 0) {
    std::fill(ticks_.begin(), ticks_.end(), 0);
    tick_ = 1;
  }
  std::swap(now_, next_);
  for (RowMarks& m : next_) m = RowMarks();
  work_ = kHeight;
  if (steps_ % kWakeEvery == 0) {
    wakeUp();
    spawn();
    return work_;
  }
  // Bottom rows first and each row in a direction drawn for it, as the game
  // sweeps; a row may gain marks while the rows below it move.
  for (int y = kHeight - 2; y >= 1; --y) {
    const uint64_t* words = now_[static_cast<size_t>(y)].words;
    if ((words[0] | words[1] | words[2] | words[3]) == 0) continue;
    sweepRow(y, (random() & 1) != 0);
  }
  spawn();
  return work_;
}

// Every blood cell gets an update, sleeping or not; what can move moves.
void CFlowModel::wakeUp() {
  for (int y = kHeight - 2; y >= 1; --y) {
    uint8_t* row = &cells_[static_cast<size_t>(y * kWidth)];
    const uint16_t* rowTicks = &ticks_[static_cast<size_t>(y * kWidth)];
    const bool rightwards = (random() & 1) != 0;
    for (int k = 1; k <= kWidth - 2; ++k) {
      const int x = rightwards ? k : kWidth - 1 - k;
      if (row[x] < kSettled || rowTicks[x] == tick_) continue;
      if (row[x] == kSettled) row[x] = kCreep;
      update(x, y);
      ++work_;
    }
  }
}

int CFlowModel::committed(int player) const {
  int count = 0;
  const int first = player == 1 ? 0 : kRightBasinFirstColumn;
  const int last = player == 1 ? kLeftBasinLastColumn : kWidth - 1;
  for (int y = kBasinTopRow; y <= kBasinBottomRow; ++y) {
    const uint8_t* row = &cells_[static_cast<size_t>(y * kWidth)];
    for (int x = first; x <= last; ++x) count += row[x] >= kSettled;
  }
  return count;
}
