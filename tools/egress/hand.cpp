// The hand calculation of station practice, beside the model: the occupant
// load of a kind over the capacity of every side and door leading out of
// it, plus the longest free walk to one of them. It knows no queue that
// forms further on, nor a way out that is shared by two kinds.
#include <algorithm>

#include "cost_walk.h"
#include "egress.h"

namespace {

double crossSeconds(const EgressInput& in, std::size_t kind, double fastest) {
  return in.cellSide / fastest * std::max(1.0, fastest / in.kinds[kind].speed);
}

HandFigure figure(int kind, double people, double capacity, double walk, double pre) {
  HandFigure f{kind, people, capacity, kNever, walk, kNever};
  if (capacity > 0.0) f.flowSeconds = people / capacity;
  if (f.flowSeconds != kNever && walk != kNever) f.total = pre + f.flowSeconds + walk;
  return f;
}

// The longest walk from an occupied cell of `cost` (kNever where none).
double longestWalk(const CostWalk& walk, const EgressInput& in, const std::vector<double>& seats) {
  double longest = kNever;
  for (std::size_t c = 0; c < seats.size(); ++c) {
    if (in.people[c] > 0.0 && seats[c] > 0.0 && walk.cost[c] != kNoRoute) {
      longest = std::max(longest, walk.cost[c]);
    }
  }
  return longest;
}

}  // namespace

std::vector<HandFigure> handFigures(const PlanGraph& g, const EgressInput& in) {
  const std::size_t n = g.number.size();
  const double fastest = in.cellSide / stepSeconds(g, in);
  const MovesInto into = movesInto(g);
  std::vector<bool> open(n, false);
  for (const std::int32_t e : in.exits) open[static_cast<std::size_t>(e)] = true;
  std::vector<double> cost(n);
  std::vector<double> inKind(n);
  CostWalk walk;
  std::vector<HandFigure> figures;

  double everyone = 0.0;
  double doors = 0.0;
  for (std::size_t c = 0; c < n; ++c) {
    everyone += in.people[c];
    if (open[c]) doors += in.cellSide * in.kinds[g.kind[c]].flow;
    cost[c] = crossSeconds(in, g.kind[c], fastest);
    inKind[c] = 1.0;
  }
  walkWithCosts(g, into, in.exits, cost, walk);
  figures.push_back(figure(-1, everyone, doors, longestWalk(walk, in, inKind), in.preMovementSeconds));

  std::vector<double> avoiding(n);
  CostWalk reach;
  for (std::size_t k = 0; k < g.kindWords.size(); ++k) {
    // A side counts when the cell beyond leads to an exit without coming
    // back through the kind: a stair behind a blocked door adds nothing.
    for (std::size_t c = 0; c < n; ++c) avoiding[c] = g.kind[c] == k ? kNoRoute : cost[c];
    walkWithCosts(g, into, in.exits, avoiding, reach);
    double people = 0.0;
    double capacity = 0.0;
    std::vector<std::int32_t> ways;  // cells of the kind with a way out of it
    std::vector<double> within(n);  // crossing kind k only
    for (std::size_t c = 0; c < n; ++c) {
      const bool mine = g.kind[c] == k;
      inKind[c] = mine ? 1.0 : 0.0;
      within[c] = mine ? cost[c] : kNoRoute;
      if (!mine) continue;
      people += in.people[c];
      double out = open[c] ? in.cellSide * in.kinds[k].flow : 0.0;
      for (const std::int32_t to : g.move[c]) {
        if (to == kNoIndex || g.kind[static_cast<std::size_t>(to)] == k) continue;
        if (reach.cost[static_cast<std::size_t>(to)] == kNoRoute) continue;
        out += in.cellSide * std::min(in.kinds[k].flow, in.kinds[g.kind[static_cast<std::size_t>(to)]].flow);
      }
      capacity += out;
      if (out > 0.0) ways.push_back(static_cast<std::int32_t>(c));
    }
    if (!(people > 0.0)) continue;
    walkWithCosts(g, into, ways, within, walk);
    figures.push_back(figure(static_cast<int>(k), people, capacity, longestWalk(walk, in, inKind),
                             in.preMovementSeconds));
  }
  return figures;
}
