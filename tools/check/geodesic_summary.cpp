// The continuous walking time of every cell, summed up like the side-move
// times, and how far the side-move count stands above it.
#include <algorithm>
#include <vector>

#include "check_internal.h"
#include "color/color.h"
#include "geodesic.h"
#include "walks.h"

namespace {

// The value below which `share` of the sorted ratios lie, by nearest rank.
double rankOf(std::vector<double>& ratios, double share) {
  const std::size_t at = std::min(
      ratios.size() - 1, static_cast<std::size_t>(share * static_cast<double>(ratios.size())));
  std::nth_element(ratios.begin(), ratios.begin() + static_cast<std::ptrdiff_t>(at), ratios.end());
  return ratios[at];
}

// The side-move count without its cut-off (4 s a move however far), so
// that every cell with both times is compared, not only those within 448 s.
void compareWithSideMoves(GeodesicSummary& g) {
  std::vector<double> ratios;
  ratios.reserve(static_cast<std::size_t>(g.reached));
  g.ratioLargest = 0;
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c] || movesFromExit[c] <= 0 || geodesicTime[c] == kUnreachedTime) continue;
    if (geodesicTime[c] <= 0.0f) continue;
    const double ratio = movesFromExit[c] * kStepTime / geodesicTime[c];
    ratios.push_back(ratio);
    if (ratio > g.ratioLargest) {
      g.ratioLargest = ratio;
      g.ratioWhere = c;
      g.ratioColumn = gridColumn[c];
      g.ratioRow = gridRow[c];
    }
  }
  g.compared = static_cast<int>(ratios.size());
  if (ratios.empty()) return;
  g.ratioMedian = rankOf(ratios, 0.5);
  g.ratio95 = rankOf(ratios, 0.95);
}

void tickCells(int settled, int cells) { tickProgress(settled, cells); }

}  // namespace

void summariseGeodesic(CheckReport& r) {
  // A cell costs more the longer the paths behind it: no estimate.
  startProgress(r.options.progress, "cells settled (geodesic times)", false);
  setGeodesicProgress(r.options.progress ? tickCells : nullptr);
  computeGeodesicTimes(exitSlots, exitCount, geodesicTime);
  setGeodesicProgress(nullptr);
  endProgress();
  GeodesicSummary& g = r.geodesic;
  g = GeodesicSummary{};
  g.largest = -1.0f;
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (!cellNamed[c]) continue;
    const float t = geodesicTime[c];
    if (t == kUnreachedTime) {
      ++g.unreached;
      continue;
    }
    ++g.reached;
    if (t >= kScaleMaxTime) ++g.fiveMinutesOrMore;
    g.largest = std::max(g.largest, t);
    ++g.perMinute[std::min(static_cast<int>(t / kSecondsPerMinute), kGeodesicMinuteBins - 1)];
  }
  compareWithSideMoves(g);
}
