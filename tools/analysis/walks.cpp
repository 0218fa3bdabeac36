#include "walks.h"

#include <algorithm>

namespace {

CellId queue[kSlotCount];  // breadth-first order: each slot enters it at most once

}  // namespace

void countMovesFromExits(const CellId* exits, int exitCount, int moves[kSlotCount]) {
  std::fill(moves, moves + kSlotCount, kNoWay);
  int tail = 0;
  for (int i = 0; i < exitCount; ++i) {
    if (moves[exits[i]] == 0) continue;  // listed twice
    moves[exits[i]] = 0;
    queue[tail++] = exits[i];
  }
  for (int head = 0; head < tail; ++head) {
    const CellId c = queue[head];
    for (const Side& side : kWalkSides) {
      const CellId n = moveAcross(c, side);
      if (n < 0 || moves[n] != kNoWay) continue;
      moves[n] = moves[c] + 1;
      queue[tail++] = n;
    }
  }
}

float timeForMoves(int moves) {
  return moves >= 0 && moves <= kMaxMoves ? static_cast<float>(moves * kStepTime)
                                          : kUnreachedTime;
}
