// Where people head. Every cell sends all who have crossed it to the next
// cell on its cheapest way out (or out, at an exit), shared with the
// neighbours whose way is about as cheap.
// With the nearest route the cost of a cell is the time to cross it at its
// kind's free speed. With the quickest route a cell that holds people costs
// the longer of that and its content over the rate at which it has been
// emptying lately (Little's law: the mean time spent in it); summed along
// a way, that is the walk plus the expected wait at the queues on it, so
// people already in a queue count the queue ahead of them, and those
// behind a slow queue turn to another way once it is quicker.
#include <algorithm>

#include "flow_state.h"

namespace {

// A remembered rate never falls below this share of the cell's capacity,
// so that a cell that stands still costs much, but not infinitely much.
constexpr double kSlowestShare = 1e-4;

double capacityRate(const FlowState& s, std::size_t c) {
  return s.flowStep[figureOf(s, c, Travel::None)] / s.dt;
}

// Free crossing times: per cell, and by the side it is left across where
// figures go by direction of travel.
void fillCrossing(FlowState& s) {
  const std::size_t n = s.graph.number.size();
  s.cellCost.resize(n);
  for (std::size_t c = 0; c < n; ++c) s.cellCost[c] = s.crossSeconds[figureOf(s, c, Travel::None)];
  if (s.input.moveTravel.empty()) return;
  s.sideCost.resize(n * kGraphSides);
  for (std::size_t c = 0; c < n; ++c) {
    for (int k = 0; k < kGraphSides; ++k) {
      s.sideCost[c * kGraphSides + static_cast<std::size_t>(k)] = s.crossSeconds[figureOf(s, c, travelAcross(s, c, k))];
    }
  }
}

const std::vector<double>* sideCosts(const FlowState& s) {
  return s.sideCost.empty() ? nullptr : &s.sideCost;
}

// A neighbour whose way out costs no more than the best neighbour's, to
// rounding, gets a part of the people too: across open floor two sides
// often lead on equally well (a diagonal walk is a staircase of side
// moves), and a crowd spreads over both instead of filing along one line
// of cells. Every such neighbour costs less than the cell itself, so
// people never go round in a circle.
constexpr double kEqualCost = 1e-9;  // relative difference of two costs taken as equal

// The ways of cell c from the current walk.
void chooseWay(FlowState& s, std::size_t c) {
  const CostWalk& w = s.current;
  if (w.toward[c] == kLeavePlan) s.ways[c] = kLeaveWay;
  if (w.toward[c] < 0 || w.toward[c] >= kGraphSides) return;
  const double best = w.cost[static_cast<std::size_t>(s.graph.move[c][static_cast<std::size_t>(w.toward[c])])];
  const double within = best * (1.0 + kEqualCost);
  for (int k = 0; k < kGraphSides; ++k) {
    const std::int32_t to = s.graph.move[c][static_cast<std::size_t>(k)];
    if (to == kNoIndex || w.cost[static_cast<std::size_t>(to)] > within) continue;
    if (w.settled.empty() || w.settled[static_cast<std::size_t>(to)] != 0) s.ways[c] |= 1 << k;
  }
}

// For every cell, or only those that hold people (all of them live).
void chooseWays(FlowState& s, bool all) {
  const std::size_t n = s.graph.number.size();
  s.ways.assign(n, 0);
  if (all) {
    for (std::size_t c = 0; c < n; ++c) chooseWay(s, c);
    return;
  }
  forLiveCells(s, [&](std::size_t c) {
    if (s.people[c] > 0.0) chooseWay(s, c);
  });
}

}  // namespace

void planNearestRoutes(FlowState& s) {
  const std::size_t n = s.graph.number.size();
  fillCrossing(s);
  walkWithCosts(s.graph, s.into, s.input.exits, s.cellCost, s.nearest, sideCosts(s));
  s.current = s.nearest;
  chooseWays(s, true);
  s.outRate.resize(n);
  for (std::size_t c = 0; c < n; ++c) s.outRate[c] = capacityRate(s, c);
}

// A cell that is not live holds nobody and kept its capacity when it last was.
void rememberOutflow(FlowState& s) {
  const double share = std::min(1.0, s.dt / s.input.waitMemorySeconds);
  forLiveCells(s, [&](std::size_t c) {
    const double capacity = capacityRate(s, c);
    if (s.people[c] < kPersonTrace) {
      s.outRate[c] = capacity;  // an empty cell passes whoever comes at its capacity
      return;
    }
    const double rate = s.outRate[c] + share * (s.outNow[c] / s.dt - s.outRate[c]);
    s.outRate[c] = std::max(rate, capacity * kSlowestShare);
  });
}

void estimateRoutes(FlowState& s) {
  walkWithQueues(s.graph, s.into, s.input.exits, s.cellCost, s.people, s.outRate, s.current, sideCosts(s));
  chooseWays(s, false);  // people only ever move into cells on a way
}

// The cells are taken dearest first, so that every cell whose nearest way
// passes through c has been taken before c: each hands c the time its last
// person would leave it, and c adds its own crossing.
std::vector<double> freeClearSeconds(const FlowState& s) {
  const std::size_t n = s.graph.number.size();
  const auto crossing = [&](std::size_t c) {
    const std::int8_t k = s.nearest.toward[c];
    return s.crossSeconds[figureOf(s, c, k >= 0 && k < kGraphSides ? travelAcross(s, c, k) : Travel::None)];
  };
  std::vector<double> last(n, kNever);
  for (std::size_t c = 0; c < n; ++c) {
    if (s.input.people[c] >= kPersonTrace) last[c] = crossing(c);
  }
  const std::vector<std::int32_t>& order = s.nearest.order;
  for (auto at = order.rbegin(); at != order.rend(); ++at) {
    const auto c = static_cast<std::size_t>(*at);
    const std::int8_t k = s.nearest.toward[c];
    if (last[c] == kNever || k < 0 || k >= kGraphSides) continue;
    const auto next = static_cast<std::size_t>(s.graph.move[c][static_cast<std::size_t>(k)]);
    last[next] = std::max(last[next], last[c] + crossing(next));
  }
  return last;
}
