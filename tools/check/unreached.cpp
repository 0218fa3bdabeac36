// Cells a case leaves unreached within the cut-off are of two sorts: those
// with a way out that is only longer than kMaxMoves moves, and those with
// no way out at all. The program's walk stops at the cut-off and cannot
// tell them apart; the breadth-first count (walks.h) can.
#include <climits>

#include "check_internal.h"
#include "walks.h"

void uncutMovesOfCase(const CellId* seeds, int count, int moves[kSlotCount]) {
  // With fewer exits a cell that has no way out with every exit has none
  // now either; only the others need the uncut count.
  bool needsCount = false;
  for (CellId c = 1; c <= kMaxCellId && !needsCount; ++c) {
    needsCount = cellNamed[c] && travelTime[c] == kUnreachedTime && movesFromExit[c] != kNoWay;
  }
  if (needsCount) {
    countMovesFromExits(seeds, count, moves);
    return;
  }
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    moves[c] = travelTime[c] == kUnreachedTime ? kNoWay
                                               : static_cast<int>(travelTime[c] / kStepTime + 0.5);
  }
}

int remoteness(int moves) { return moves == kNoWay ? INT_MAX : moves; }

void splitUnreached(const float times[kSlotCount], const int moves[kSlotCount], TimeSummary& s) {
  s.beyondCutoff = 0;
  s.noPath = 0;
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c] || times[c] != kUnreachedTime) continue;
    ++(moves[c] == kNoWay ? s.noPath : s.beyondCutoff);
  }
}
