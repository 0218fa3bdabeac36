#include "level_joins.h"

namespace {

constexpr double kStepX[4] = {kCellSize, 0, -kCellSize, 0};  // map units, as kWalkSides
constexpr double kStepY[4] = {0, kCellSize, 0, -kCellSize};  // map units, y up

}  // namespace

std::vector<CellPair> findJoinPairs(const std::int16_t endLabel[kSlotCount]) {
  std::vector<CellPair> pairs;
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    if (endLabel[c] < 0) continue;
    for (int s = 0; s < 4; ++s) {
      const Side& side = kWalkSides[s];
      const CellId n = side.ids[c];
      if (n <= c || n > kMaxCellId || endLabel[n] != endLabel[c]) continue;
      // Two cells of one end lie side by side; a join's two ends do not.
      if (posX[n] == posX[c] + kStepX[s] && posY[n] == posY[c] + kStepY[s]) continue;
      // The side of n that faces c's side s, as the walk pairs them.
      if (kWalkSides[(s + 2) % 4].ids[n] == c) pairs.push_back(CellPair{c, n});
    }
  }
  return pairs;
}
