#include "travel.h"

#include <algorithm>
#include <limits>

namespace {

constexpr std::int32_t kFar = std::numeric_limits<std::int32_t>::max();  // moves: no end reached

// Per cell, the moves along its run to the nearest end cell of that run
// (both levels' ends are 0, so the join itself is never crossed); kFar
// off every run.
std::vector<std::int32_t> movesToEnd(const PlanGraph& g) {
  const std::size_t n = g.number.size();
  std::vector<std::int32_t> steps(n, kFar);
  std::vector<std::int32_t> queue;
  for (std::size_t c = 0; c < n; ++c) {
    if (g.joinOf[c].join >= 0 && g.joinOf[c].end) {
      steps[c] = 0;
      queue.push_back(static_cast<std::int32_t>(c));
    }
  }
  for (std::size_t head = 0; head < queue.size(); ++head) {
    const auto c = static_cast<std::size_t>(queue[head]);
    for (const std::int32_t to : g.move[c]) {
      if (to == kNoIndex) continue;
      const auto t = static_cast<std::size_t>(to);
      if (g.joinOf[t].join != g.joinOf[c].join || steps[t] != kFar) continue;
      steps[t] = steps[c] + 1;
      queue.push_back(to);
    }
  }
  return steps;
}

Travel travelOf(const PlanGraph& g, const std::vector<std::int32_t>& steps, std::size_t c, std::size_t to) {
  const GraphJoin& a = g.joinOf[c];
  const GraphJoin& b = g.joinOf[to];
  if (a.join >= 0 && a.join == b.join) {
    if (a.end && b.end && a.toward != b.toward) return a.toward;  // across the join
    if (steps[to] < steps[c]) return a.toward;
    if (steps[to] > steps[c]) return oppositeTravel(a.toward);
    return Travel::None;
  }
  if (a.join >= 0 && b.join >= 0) return Travel::None;  // two runs side by side
  if (a.join >= 0) return oppositeTravel(a.toward);     // off the run, away from its end
  if (b.join >= 0) return b.toward;                     // onto the run, towards its end
  return Travel::None;
}

}  // namespace

Travel oppositeTravel(Travel way) {
  return way == Travel::Up ? Travel::Down : way == Travel::Down ? Travel::Up : Travel::None;
}

std::vector<MoveTravel> moveTravels(const PlanGraph& g) {
  if (g.joinLabels.empty()) return {};
  const std::vector<std::int32_t> steps = movesToEnd(g);
  std::vector<MoveTravel> travel(g.number.size());
  for (std::size_t c = 0; c < g.number.size(); ++c) {
    for (int k = 0; k < kGraphSides; ++k) {
      const std::int32_t to = g.move[c][static_cast<std::size_t>(k)];
      travel[c][static_cast<std::size_t>(k)] =
          to == kNoIndex ? Travel::None : travelOf(g, steps, c, static_cast<std::size_t>(to));
    }
  }
  return travel;
}

std::vector<int> joinWidths(const PlanGraph& g) {
  std::vector<int> width(g.joinLabels.size(), 0);
  for (const GraphJoin& j : g.joinOf) {
    if (j.join >= 0 && j.end && j.toward == Travel::Up) ++width[static_cast<std::size_t>(j.join)];
  }
  for (int& w : width) w = std::max(w, 1);
  return width;
}

void closeJoinsOut(const PlanGraph& g, const std::vector<bool>& out, std::vector<std::uint8_t>& closed) {
  for (std::size_t c = 0; c < g.number.size(); ++c) {
    const std::int16_t from = g.joinOf[c].join;
    for (int k = 0; k < kGraphSides; ++k) {
      const std::int32_t to = g.move[c][static_cast<std::size_t>(k)];
      if (to == kNoIndex) continue;
      const std::int16_t join = g.joinOf[static_cast<std::size_t>(to)].join;
      if (join >= 0 && join != from && out[static_cast<std::size_t>(join)]) closed[c] |= 1 << k;
    }
  }
}

void closeAgainstEscalators(const PlanGraph& g, const std::vector<MoveTravel>& travel,
                            std::vector<std::uint8_t>& closed) {
  const auto against = [&](std::size_t cell, Travel way) {
    const GraphJoin& j = g.joinOf[cell];
    return j.join >= 0 && j.runs != Travel::None && way == oppositeTravel(j.runs);
  };
  for (std::size_t c = 0; c < travel.size(); ++c) {
    for (int k = 0; k < kGraphSides; ++k) {
      const std::int32_t to = g.move[c][static_cast<std::size_t>(k)];
      if (to == kNoIndex) continue;
      const Travel way = travel[c][static_cast<std::size_t>(k)];
      if (against(c, way) || against(static_cast<std::size_t>(to), way)) closed[c] |= 1 << k;
    }
  }
}
