// The hand calculation of station practice, beside the model: the occupant
// load of a kind over the capacity of every side and door leading out of
// it, plus the longest free walk to one of them. It knows no queue that
// forms further on, nor a way out that is shared by two kinds. Stairs and
// escalators count by the way people go on them, and not when out of
// service.
#include <algorithm>

#include "cost_walk.h"
#include "egress.h"

namespace {

// The plan's cells and moves with the figures the model gives them: by
// direction of travel where the input has such figures.
struct HandPlan {
  const PlanGraph& g;
  const EgressInput& in;
  const std::vector<KindFlow>& sets;
  double fastest;  // m/s

  std::size_t figure(std::size_t c, Travel way) const {
    return in.cellFigures.empty() ? g.kind[c] : in.cellFigures[c][static_cast<std::size_t>(way)];
  }
  Travel way(std::size_t c, int k) const {
    return in.moveTravel.empty() ? Travel::None : in.moveTravel[c][static_cast<std::size_t>(k)];
  }
  double cross(std::size_t f) const {
    return in.cellSide / fastest * std::max(1.0, fastest / sets[f].speed);
  }
  // Persons per second across side k of cell c, or out of an exit cell (k < 0).
  double capacity(std::size_t c, int k) const {
    if (k < 0) return in.cellSide * sets[figure(c, Travel::None)].flow;
    const auto to = static_cast<std::size_t>(g.move[c][static_cast<std::size_t>(k)]);
    const Travel w = way(c, k);
    return in.cellSide * std::min(sets[figure(c, w)].flow, sets[figure(to, w)].flow);
  }
  // Crossing times: per cell (its level figures), and by side where the way matters.
  void costs(const std::vector<bool>& skip, std::vector<double>& cell, std::vector<double>& side) const {
    const std::size_t n = g.number.size();
    cell.resize(n);
    side.clear();
    for (std::size_t c = 0; c < n; ++c) cell[c] = skip[c] ? kNoRoute : cross(figure(c, Travel::None));
    if (in.moveTravel.empty()) return;
    side.resize(n * kGraphSides);
    for (std::size_t c = 0; c < n; ++c) {
      for (int k = 0; k < kGraphSides; ++k) {
        side[c * kGraphSides + static_cast<std::size_t>(k)] = skip[c] ? kNoRoute : cross(figure(c, way(c, k)));
      }
    }
  }
};

const std::vector<double>* bySide(const std::vector<double>& side) { return side.empty() ? nullptr : &side; }

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

// The line of kind k, or none without people on it.
void addKindFigure(const HandPlan& plan, const MovesInto& into, const std::vector<bool>& open, std::size_t k,
                   std::vector<HandFigure>& figures) {
  const PlanGraph& g = plan.g;
  const EgressInput& in = plan.in;
  const std::size_t n = g.number.size();
  // A side counts when the cell beyond leads to an exit without coming
  // back through the kind: a stair behind a blocked door adds nothing.
  std::vector<bool> mine(n), others(n);
  for (std::size_t c = 0; c < n; ++c) {
    mine[c] = g.kind[c] == k;
    others[c] = !mine[c];
  }
  std::vector<double> cost, side;
  CostWalk walk;
  plan.costs(mine, cost, side);
  walkWithCosts(g, into, in.exits, cost, walk, bySide(side));
  double people = 0.0;
  double capacity = 0.0;
  std::vector<std::int32_t> ways;  // cells of the kind with a way out of it
  std::vector<double> inKind(n);
  for (std::size_t c = 0; c < n; ++c) {
    inKind[c] = mine[c] ? 1.0 : 0.0;
    if (!mine[c]) continue;
    people += in.people[c];
    double out = open[c] ? plan.capacity(c, -1) : 0.0;
    for (int s = 0; s < kGraphSides; ++s) {
      const std::int32_t to = g.move[c][static_cast<std::size_t>(s)];
      if (to == kNoIndex || g.kind[static_cast<std::size_t>(to)] == k) continue;
      if (walk.cost[static_cast<std::size_t>(to)] == kNoRoute) continue;
      out += plan.capacity(c, s);
    }
    capacity += out;
    if (out > 0.0) ways.push_back(static_cast<std::int32_t>(c));
  }
  if (!(people > 0.0)) return;
  plan.costs(others, cost, side);
  walkWithCosts(g, into, ways, cost, walk, bySide(side));
  figures.push_back(figure(static_cast<int>(k), people, capacity, longestWalk(walk, in, inKind),
                           in.preMovementSeconds));
}

std::vector<HandFigure> handOnOpen(const PlanGraph& g, const EgressInput& in) {
  const std::size_t n = g.number.size();
  const HandPlan plan{g, in, in.figures.empty() ? in.kinds : in.figures, in.cellSide / stepSeconds(g, in)};
  const MovesInto into = movesInto(g);
  std::vector<bool> open(n, false);
  for (const std::int32_t e : in.exits) open[static_cast<std::size_t>(e)] = true;
  double everyone = 0.0;
  double doors = 0.0;
  for (std::size_t c = 0; c < n; ++c) {
    everyone += in.people[c];
    if (open[c]) doors += plan.capacity(c, -1);
  }
  std::vector<double> cost, side;
  CostWalk walk;
  plan.costs(std::vector<bool>(n, false), cost, side);
  walkWithCosts(g, into, in.exits, cost, walk, bySide(side));
  std::vector<HandFigure> figures;
  figures.push_back(figure(-1, everyone, doors, longestWalk(walk, in, std::vector<double>(n, 1.0)),
                           in.preMovementSeconds));
  for (std::size_t k = 0; k < g.kindWords.size(); ++k) addKindFigure(plan, into, open, k, figures);
  return figures;
}

}  // namespace

std::vector<HandFigure> handFigures(const PlanGraph& g, const EgressInput& in) {
  if (in.closedSides.empty()) return handOnOpen(g, in);
  const PlanGraph open = openPlan(g, in);
  return handOnOpen(open, in);
}
