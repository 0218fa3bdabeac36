// The text report's figures: the walking times, the extent and the result.
#include <algorithm>
#include <cstdio>

#include "check_internal.h"
#include "color/color.h"

namespace {

constexpr int kDrawnCells = kMaxCellId;                        // cells 1..kMaxCellId

bool loadProblems(const CheckReport& r) {
  for (int k = 0; k <= static_cast<int>(kLastLoadFinding); ++k) {
    if (r.findingCounts[k] > 0) return true;
  }
  return false;
}

}  // namespace

void appendTimes(std::string& out, const CheckReport& r) {
  const TimeSummary& s = r.times;
  out += "Travel times (" + num(static_cast<int>(kStepTime)) +
         " s a move through an open side, computed up to " + num(kLongestTime) + " s)\n";
  out += "  " + plural(s.cells, "cell", "cells") + ": " + num(s.reached) + " reached, " +
         num(s.unreached) + " unreached";
  if (s.unreached > 0) {
    out += " (" + num(s.beyondCutoff) + " farther than " + num(kLongestTime) + " s, " +
           num(s.noPath) + " with no way to an exit)";
  }
  out += ".\n";
  if (s.reached > 0) {
    out += "  " + num(s.fiveMinutesOrMore) + " reached cells take " +
           num(static_cast<int>(kScaleMaxTime / kSecondsPerMinute)) +
           " minutes or more; the largest time is " + num(static_cast<long long>(s.largest)) +
           " s (" + fixed(s.largest / kSecondsPerMinute, 1) + " min).\n";
    out += walkHistogram(s.perMinute);
  }
}

void appendExtent(std::string& out, const CheckReport& r) {
  const ExtentSummary& e = r.extent;
  out += "Extent\n";
  if (r.mesh.cellsStored > 0) {
    out += "  Columns " + num(e.minColumn) + " to " + num(e.maxColumn) + ", rows " +
           num(e.minRow) + " to " + num(e.maxRow) + "; the map reaches x = " +
           shortestNumber(e.maxX) + ", y = " + shortestNumber(e.maxY) + " (map units, 2 a cell).\n";
  }
  out += "  " + num(r.mesh.cellsStored) + " of the " + num(kDrawnCells) +
         " cell numbers in use (" + fixed(100.0 * r.mesh.cellsStored / kDrawnCells, 1) + " %)";
  out += r.mesh.cellsStored > 0 ? "; the highest is " + num(e.highestCell) + ".\n" : ".\n";
}

void appendResult(std::string& out, const CheckReport& r) {
  const int status = checkExitStatus(r);
  std::int64_t notes = 0;
  for (int k = static_cast<int>(kLastLoadFinding) + 1; k < kFindingKinds; ++k)
    notes += r.findingCounts[k];
  if (!r.agreesWithProgram) {
    out +=
        "Internal error: the checker's own count differs from what the program loaded; please "
        "report this.\n";
  }
  if (!r.writeFailure.empty()) {
    out += "Result: " + plainText(r.writeFailure) + " (exit status 2).\n";
  } else if (status == 2) {
    out += "Result: a file could not be read (exit status 2).\n";
  } else if (status == 1 && loadProblems(r)) {
    out += "Result: the program ignores part of the files or cannot use an exit (exit status 1).\n";
  } else if (status == 1) {
    const int over =
        std::max({r.limitAllExits.over, r.limitAnyDoorBlocked.over, r.limitBlockedDoors.over});
    out += "Result: " + plural(over, "cell is", "cells are") + " over the limit (exit status 1).\n";
  } else {
    out += std::string("Result: both files were read whole and every exit is of use") +
           (r.options.limitGiven ? ", and no cell is over the limit" : "") + " (exit status 0).\n";
  }
  if (notes > 0)
    out +=
        "  " + plural(notes, "note", "notes") + " about the plan above do not change the status.\n";
}
