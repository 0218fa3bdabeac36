// The text report's sections on what the options asked for: the geodesic
// times, each door blocked in turn, and the cells over a limit.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "check_internal.h"
#include "color/color.h"

namespace {


std::string seconds(float t) {
  return t == kUnreachedTime ? std::string("unreached") : fixed(t, t == static_cast<int>(t) ? 0 : 1) + " s";
}

std::string doorName(const Door& d) {
  std::string name = "door " + num(d.number) + " (cell " + num(d.first) + " at column " +
                     num(d.column) + ", row " + num(d.row);
  if (!d.place.empty()) name += ", plan " + d.place;
  return name + ")";
}

void appendLimitCase(std::string& out, const char* title, const LimitCase& c, int listed) {
  out += std::string("  ") + title + ": " + plural(c.over, "cell", "cells") + " over the limit" +
         (c.over > 0 ? ".\n" : "; none.\n");
  const std::size_t shown = std::min(c.kinds.size(), static_cast<std::size_t>(std::max(listed, 0)));
  for (std::size_t k = 0; k < shown; ++k) {
    const KindOverLimit& kind = c.kinds[k];
    const std::string word =
        kind.kind.empty() ? std::string("(no kind)") : plainText(kind.kind, kQuoteBytes);
    out += "    " + word + ": " + plural(kind.cells, "cell", "cells") +
           "; the most remote is cell " + num(kind.remote) + " at column " + num(kind.column) +
           ", row " + num(kind.row) + " (" + seconds(kind.seconds) + ").\n";
  }
  if (c.kinds.size() > shown) out += "    ... and " + num(c.kinds.size() - shown) + " more kinds\n";
}

}  // namespace

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
           num(d.lostWayOut) + " lose every way out within " + num(kLongestTime) + " s";
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
  if (r.doors.empty()) return;
  const TimeSummary& w = r.worstBlocked;
  out += "Worst case of any one door blocked (each cell's longest time over the doors)\n";
  out += "  " + plural(w.cells, "cell", "cells") + ": " + num(w.reached) +
         " reached whichever door is blocked, " + num(w.unreached) +
         " left without a way out within " + num(kLongestTime) + " s by some door.\n";
  if (w.reached == 0) return;
  out += "  " + num(w.fiveMinutesOrMore) + " cells take 5 minutes or more; the largest time is " +
         seconds(w.largest) + ".\n";
  out += walkHistogram(w.perMinute);
}

void appendLimit(std::string& out, const CheckReport& r, int listed) {
  if (!r.options.limitGiven) return;
  const double limit = r.options.limitSeconds;
  out += "Limit of " + shortestNumber(limit) + " s (" +
         (r.options.geodesic ? "geodesic" : "side-move") +
         " times; a cell no exit reaches is over any limit)\n";
  appendLimitCase(out, "With all exits", r.limitAllExits, listed);
  if (r.options.blocked) {
    appendLimitCase(out, "With any one door blocked", r.limitAnyDoorBlocked, listed);
  }
}
