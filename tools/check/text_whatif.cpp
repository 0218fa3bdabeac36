// The text report's sections on what the options asked for: the geodesic
// times, each door blocked in turn, and the cells over a limit.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "check_internal.h"
#include "color/color.h"
#include "walks.h"

namespace {

std::string seconds(float t) {
  return t == kUnreachedTime ? std::string("unreached") : fixed(t, t == static_cast<int>(t) ? 0 : 1) + " s";
}

std::string doorName(const Door& d) {
  std::string name = "door " + num(d.number);
  if (!d.name.empty()) name += " \"" + plainText(d.name, kQuoteBytes) + '"';
  name += " (cell " + num(d.first) + " at column " + num(d.column) + ", row " + num(d.row);
  if (!d.place.empty()) name += ", plan " + d.place;
  return name + ")";
}

// "door 1 \"North stair\" and door 3".
std::string blockedDoorNames(const CheckReport& r) {
  std::string text;
  for (std::size_t k = 0; k < r.blockedDoors.size(); ++k) {
    const Door& d = r.doors[static_cast<std::size_t>(r.blockedDoors[k])];
    if (k > 0) text += k + 1 == r.blockedDoors.size() ? " and " : ", ";
    text += "door " + num(d.number);
    if (!d.name.empty()) text += " \"" + plainText(d.name, kQuoteBytes) + '"';
  }
  return text;
}

// The cells of a count that no exit reaches within the cut-off, told
// apart: " (3 farther than 448 s, 2 with no way out at all)".
std::string unreachedParts(int beyondCutoff, int noWayOut) {
  if (beyondCutoff == 0 && noWayOut == 0) return std::string();
  std::string text = " (";
  if (beyondCutoff > 0) text += num(beyondCutoff) + " farther than " + num(kLongestTime) + " s";
  if (beyondCutoff > 0 && noWayOut > 0) text += ", ";
  if (noWayOut > 0) text += num(noWayOut) + " with no way out at all";
  return text + ")";
}

// The time of the most remote cell over a limit.
std::string remoteTime(const KindOverLimit& k) {
  if (k.seconds != kUnreachedTime) return seconds(k.seconds);
  if (k.remoteMoves == kNoWay || k.remoteMoves < 0) return "no way out";
  return "beyond " + num(kLongestTime) + " s: " + num(k.remoteMoves) + " moves, " +
         num(static_cast<long long>(k.remoteMoves * kStepTime)) + " s";
}

void appendLimitCase(std::string& out, const std::string& title, const LimitCase& c, int listed) {
  out += "  " + title + ": " + plural(c.over, "cell", "cells") + " over the limit" +
         unreachedParts(c.beyondCutoff, c.noWayOut) + (c.over > 0 ? ".\n" : "; none.\n");
  const std::size_t shown = std::min(c.kinds.size(), static_cast<std::size_t>(std::max(listed, 0)));
  for (std::size_t k = 0; k < shown; ++k) {
    const KindOverLimit& kind = c.kinds[k];
    const std::string word =
        kind.kind.empty() ? std::string("(no kind)") : plainText(kind.kind, kQuoteBytes);
    out += "    " + word + ": " + plural(kind.cells, "cell", "cells") +
           unreachedParts(kind.beyondCutoff, kind.noWayOut) + "; the most remote is cell " +
           num(kind.remote) + " at column " + num(kind.column) + ", row " + num(kind.row) + " (" +
           remoteTime(kind) + ").\n";
  }
  if (c.kinds.size() > shown) out += "    ... and " + num(c.kinds.size() - shown) + " more kinds\n";
}


void appendGeodesic(std::string& out, const CheckReport& r) {
  if (!r.options.geodesic) return;
  const GeodesicSummary& g = r.geodesic;
  out += "Geodesic times (the shortest walk through open floor at any angle, " +
         fixed(kStepTime / kCellSize, 0) + " s a map unit, no cut-off)\n";
  out += "  " + plural(g.reached + g.unreached, "cell", "cells") + ": " + num(g.reached) +
         " reached, " + num(g.unreached) + " with no way to an exit.\n";
  if (g.reached == 0) return;
  out += "  " + num(g.fiveMinutesOrMore) + " cells take " +
         num(static_cast<int>(kScaleMaxTime / kSecondsPerMinute)) +
         " minutes or more; the largest time is " + fixed(g.largest, 1) + " s (" +
         fixed(g.largest / kSecondsPerMinute, 1) + " min).\n";
  out += minuteHistogram(g.perMinute, kGeodesicMinuteBins,
                         num(kGeodesicMinuteBins - 1) + " min or more");
  if (g.compared > 0) {
    out += "  Side-move time over geodesic time, " + plural(g.compared, "cell", "cells") +
           " (exits left out, side moves counted past " + num(kLongestTime) + " s): median " +
           fixed(g.ratioMedian, 3) + ", 95th percentile " + fixed(g.ratio95, 3) + ", largest " +
           fixed(g.ratioLargest, 3) + " at cell " + num(g.ratioWhere) + " (column " +
           num(g.ratioColumn) + ", row " + num(g.ratioRow) + ").\n";
  }
}

void appendBlocked(std::string& out, const CheckReport& r, int listed) {
  if (!r.options.blocked) return;
  out += "Doors (exit cells that a move joins count as one)\n";
  if (r.doors.empty()) out += "  None: there is no exit to block.\n";
  const std::size_t shown = std::min(r.doors.size(), static_cast<std::size_t>(std::max(listed, 0)));
  for (std::size_t i = 0; i < shown; ++i) {
    const Door& d = r.doors[i];
    out += "  " + doorName(d) + ", " + plural(d.cells, "exit cell", "exit cells") +
           ". Blocked: " + plural(d.longer, "cell takes", "cells take") + " longer";
    if (d.largestIncrease > 0) out += ", by up to " + seconds(d.largestIncrease);
    out += "; " + num(d.fiveMinutesOrMore) + " reached in 5 minutes or more; " +
           num(d.lostWayOut) + " no longer reached within " + num(kLongestTime) + " s" +
           unreachedParts(d.lostWayOut - d.lostNoWay, d.lostNoWay);
    if (d.largestGeodesic >= 0) out += "; the longest geodesic time is " + seconds(d.largestGeodesic);
    out += ".\n";
  }
  if (r.doors.size() > shown) out += "  ... and " + num(r.doors.size() - shown) + " more doors\n";
  if (!r.exitFilesWritten.empty()) {
    out += "  One exit file a door, each without that door's cells: " +
           plural(static_cast<long long>(r.exitFilesWritten.size()), "file", "files") + " in " +
           plainText(r.options.exitsDir) + " (" +
           plainText(baseName(r.exitFilesWritten.front())) +
           (r.exitFilesWritten.size() > 1 ? ", ..." : "") + ").\n";
  }
  if (!r.staleExitFilesRemoved.empty()) {
    out += "  Removed " +
           plural(static_cast<long long>(r.staleExitFilesRemoved.size()), "door file", "door files") +
           " of an earlier run for doors this plan does not have (" +
           plainText(baseName(r.staleExitFilesRemoved.front())) +
           (r.staleExitFilesRemoved.size() > 1 ? ", ..." : "") + ").\n";
  }
  if (r.doors.empty()) return;
  const TimeSummary& w = r.worstBlocked;
  out += "Worst case of any one door blocked (each cell's longest time over the doors)\n";
  out += "  " + plural(w.cells, "cell", "cells") + ": " + num(w.reached) +
         " reached within " + num(kLongestTime) + " s whichever door is blocked, " +
         num(w.unreached) + " unreached within it with some door blocked" +
         unreachedParts(w.beyondCutoff, w.noPath) + ".\n";
  if (w.reached == 0) return;
  out += "  " + num(w.fiveMinutesOrMore) + " cells take 5 minutes or more; the largest time is " +
         seconds(w.largest) + ".\n";
  out += walkHistogram(w.perMinute);
}

void appendChosenDoors(std::string& out, const CheckReport& r) {
  if (r.blockedDoors.empty()) return;
  int exitCells = 0;
  for (const int k : r.blockedDoors) exitCells += r.doors[static_cast<std::size_t>(k)].cells;
  const TimeSummary& s = r.blockedTimes;
  out += "With " + blockedDoorNames(r) + " blocked (" +
         plural(exitCells, "exit cell", "exit cells") + " no exit)\n";
  out += "  " + plural(s.cells, "cell", "cells") + ": " + num(s.reached) + " reached, " +
         num(s.unreached) + " unreached within " + num(kLongestTime) + " s" +
         unreachedParts(s.beyondCutoff, s.noPath) + ".\n";
  out += "  " + plural(r.blockedLonger, "cell takes", "cells take") + " longer than with every exit";
  if (r.blockedLargestIncrease > 0) out += ", by up to " + seconds(r.blockedLargestIncrease);
  out += "; " + num(r.blockedLostWayOut) + " no longer reached within " + num(kLongestTime) + " s" +
         unreachedParts(r.blockedLostWayOut - r.blockedLostNoWay, r.blockedLostNoWay) + ".\n";
  if (s.reached == 0) return;
  out += "  " + num(s.fiveMinutesOrMore) + " reached cells take 5 minutes or more; the largest time is " +
         seconds(s.largest) + ".\n";
  out += walkHistogram(s.perMinute);
}

void appendLimit(std::string& out, const CheckReport& r, int listed) {
  if (!r.options.limitGiven) return;
  const double limit = r.options.limitSeconds;
  out += "Limit of " + shortestNumber(limit) + " s (" +
         (r.options.geodesic ? "geodesic" : "side-move") +
         " times; a cell no exit reaches is over any limit)\n";
  // Named for the exit file: a file that leaves a door out is no case of every exit.
  appendLimitCase(out, "With every exit of " + plainText(baseName(r.exitPath)), r.limitAllExits,
                  listed);
  if (r.options.blocked) {
    appendLimitCase(out, "With any one door blocked", r.limitAnyDoorBlocked, listed);
  }
  if (!r.blockedDoors.empty()) {
    appendLimitCase(out, "With " + blockedDoorNames(r) + " blocked", r.limitBlockedDoors, listed);
  }
  if (r.options.listOver) {
    const std::string with = r.listCase == "blockedDoors"     ? blockedDoorNames(r) + " blocked"
                             : r.listCase == "anyDoorBlocked" ? std::string("any one door blocked")
                                                              : "every exit of " + plainText(baseName(r.exitPath));
    out += "  The list file holds the " +
           plural(static_cast<long long>(r.overCells.size()), "cell", "cells") +
           " over the limit with " + with + ".\n";
  }
}

}  // namespace

void appendWhatIfs(std::string& out, const CheckReport& r, int listed) {
  appendGeodesic(out, r);
  appendBlocked(out, r, listed);
  appendChosenDoors(out, r);
  appendLimit(out, r, listed);
}
