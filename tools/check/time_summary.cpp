// The walking times as the checker sums them up, held against a walk of its
// own, and the extent of the plan.
#include <algorithm>

#include "check_internal.h"
#include "color/color.h"
#include "walks.h"

namespace {

// The checker's own notes and walk against what the program's reader stored
// and its walk computed.
bool agreesWithProgram() {
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    if (cellNamed[c] != (recordLine[c] != 0)) return false;
    if (cellNamed[c] && (posX[c] != gridColumn[c] * kCellSize || posY[c] != gridRow[c] * kCellSize))
      return false;
    if (travelTime[c] != timeForMoves(movesFromExit[c])) return false;
  }
  return true;
}

void summariseTimes(CheckReport& r) {
  tallyTimes(travelTime, r.times);
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c] || travelTime[c] != kUnreachedTime) continue;
    ++(movesFromExit[c] == kNoWay ? r.times.noPath : r.times.beyondCutoff);
  }
}

void summariseExtent(CheckReport& r) {
  ExtentSummary& e = r.extent;
  e = ExtentSummary{meshExtent.maxX, meshExtent.maxY, 0, 0, 0, 0, 0};
  bool first = true;
  for (int i = 0; i < storedCount; ++i) {
    const CellId c = storedSlots[i];
    if (c == 0) continue;
    e.minColumn = first ? gridColumn[c] : std::min(e.minColumn, gridColumn[c]);
    e.maxColumn = first ? gridColumn[c] : std::max(e.maxColumn, gridColumn[c]);
    e.minRow = first ? gridRow[c] : std::min(e.minRow, gridRow[c]);
    e.maxRow = first ? gridRow[c] : std::max(e.maxRow, gridRow[c]);
    e.highestCell = std::max(e.highestCell, c);
    first = false;
  }
}

}  // namespace

void tallyTimes(const float times[kSlotCount], TimeSummary& s) {
  s = TimeSummary{};
  s.largest = -1.0f;
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c]) continue;
    const float time = times[c];
    ++s.cells;
    if (time == kUnreachedTime) {
      ++s.unreached;
      continue;
    }
    ++s.reached;
    if (time >= kScaleMaxTime) ++s.fiveMinutesOrMore;
    s.largest = std::max(s.largest, time);
    const int bin = std::min(static_cast<int>(time / kSecondsPerMinute), kMinuteBins - 1);
    ++s.perMinute[std::max(bin, 0)];
  }
}

void collectCellTimes(CheckReport& r) {
  r.cellTimes.clear();
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c]) continue;
    r.cellTimes.push_back(CellTime{c, gridColumn[c], gridRow[c], travelTime[c], worstTime[c],
                                   geodesicTime[c], worstGeodesic[c], blockedTime[c],
                                   blockedGeodesicTime[c]});
  }
}

void summariseTimesAndExtent(CheckReport& r) {
  countMovesFromExits(exitSlots, exitCount, movesFromExit);
  summariseTimes(r);
  summariseExtent(r);
  r.agreesWithProgram = agreesWithProgram();
}
