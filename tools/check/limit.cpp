// Every drawn cell against a walking-time limit, by the kind word of its
// record: with all exits, with the worst of any one door blocked, and with
// the doors --block names blocked. The times judged are the geodesic ones
// when those were asked for. A cell that no exit reaches is over any limit;
// the side moves counted past the cut-off tell the cells with a longer way
// out from those with none, and rank the most remote.
#include <algorithm>
#include <limits>

#include "check_internal.h"
#include "walks.h"

namespace {

constexpr int kGeodesicMoves = -2;  // KindOverLimit::remoteMoves for geodesic times

// One case to judge: its times and, for side-move times, its uncut moves.
struct TimesOfCase {
  const float* times;  // s, per slot
  const int* moves;    // per slot; nullptr for geodesic times, which have no cut-off
};

// How far a cell over the limit lies: its time, the uncut count past the
// cut-off, and no way out beyond every count.
double remoteKey(const TimesOfCase& c, CellId cell) {
  if (c.times[cell] != kUnreachedTime) return c.times[cell];
  if (c.moves == nullptr || c.moves[cell] == kNoWay) return std::numeric_limits<double>::infinity();
  return c.moves[cell] * kStepTime;
}

Unreached unreachedSort(const TimesOfCase& c, CellId cell) {
  if (c.times[cell] != kUnreachedTime) return Unreached::No;
  return c.moves != nullptr && c.moves[cell] != kNoWay ? Unreached::BeyondCutoff : Unreached::NoWayOut;
}

std::string kindWordOf(CellId c) {
  return kindOf[c] < 0 ? std::string() : kindWords[static_cast<std::size_t>(kindOf[c])];
}

KindOverLimit kindEntry(const TimesOfCase& c, CellId cell, const KindOverLimit& k) {
  const int moves = c.moves == nullptr ? kGeodesicMoves : c.moves[cell];
  return KindOverLimit{k.kind,         k.cells,        cell,          gridColumn[cell], gridRow[cell],
                       c.times[cell],  k.beyondCutoff, k.noWayOut,    moves};
}

void countOver(const TimesOfCase& c, CellId cell, LimitCase& result, KindOverLimit& k) {
  ++result.over;
  ++k.cells;
  const Unreached sort = unreachedSort(c, cell);
  if (sort == Unreached::BeyondCutoff) ++result.beyondCutoff, ++k.beyondCutoff;
  if (sort == Unreached::NoWayOut) ++result.noWayOut, ++k.noWayOut;
  if (k.cells == 1 || remoteKey(c, cell) > remoteKey(c, k.remote)) k = kindEntry(c, cell, k);
}

LimitCase judge(const TimesOfCase& c, double limit, std::vector<OverCell>* list) {
  LimitCase result{};
  std::vector<int> slotOfKind(static_cast<std::size_t>(kMaxKinds), -1);  // into result.kinds
  for (CellId cell = 1; cell <= kMaxCellId; ++cell) {
    if (!cellNamed[cell]) continue;
    const float t = c.times[cell];
    if (t != kUnreachedTime && t <= limit) continue;
    const int kind = kindOf[cell] < 0 ? 0 : kindOf[cell];
    int& slot = slotOfKind[static_cast<std::size_t>(kind)];
    if (slot < 0) {
      slot = static_cast<int>(result.kinds.size());
      result.kinds.push_back(KindOverLimit{kindWordOf(cell), 0, cell, 0, 0, t, 0, 0, 0});
    }
    countOver(c, cell, result, result.kinds[static_cast<std::size_t>(slot)]);
    if (list != nullptr) {
      list->push_back(OverCell{cell, gridColumn[cell], gridRow[cell], placeOf[cell], kindWordOf(cell),
                               t, unreachedSort(c, cell)});
    }
  }
  // In the order the kinds first appear in the mesh, as the records name them.
  std::stable_sort(result.kinds.begin(), result.kinds.end(),
                   [](const KindOverLimit& a, const KindOverLimit& b) {
                     return kindOf[a.remote] < kindOf[b.remote];
                   });
  return result;
}

}  // namespace

void judgeLimit(CheckReport& r) {
  const bool geodesic = r.options.geodesic;
  const double limit = r.options.limitSeconds;
  // The list holds the case asked about most narrowly: the doors --block
  // names, else the worst of any one door, else every exit.
  const bool block = !r.options.block.empty() && r.blockError.empty();
  std::vector<OverCell>* list = r.options.listOver ? &r.overCells : nullptr;
  r.overCells.clear();
  const TimesOfCase all{geodesic ? geodesicTime : travelTime, geodesic ? nullptr : movesFromExit};
  r.limitAllExits = judge(all, limit, block || r.options.blocked ? nullptr : list);
  r.listCase = "allExits";
  if (r.options.blocked) {
    const TimesOfCase worst{geodesic ? worstGeodesic : worstTime, geodesic ? nullptr : worstMoves};
    r.limitAnyDoorBlocked = judge(worst, limit, block ? nullptr : list);
    if (!block) r.listCase = "anyDoorBlocked";
  }
  if (block) {
    const TimesOfCase chosen{geodesic ? blockedGeodesicTime : blockedTime,
                             geodesic ? nullptr : blockedMoves};
    r.limitBlockedDoors = judge(chosen, limit, list);
    r.listCase = "blockedDoors";
  }
}
