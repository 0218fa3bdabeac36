#include "cost_walk.h"

#include <algorithm>

MovesInto movesInto(const PlanGraph& graph) {
  const std::size_t n = graph.number.size();
  MovesInto into;
  into.start.assign(n + 1, 0);
  for (const auto& sides : graph.move) {
    for (const std::int32_t to : sides) {
      if (to != kNoIndex) ++into.start[static_cast<std::size_t>(to) + 1];
    }
  }
  for (std::size_t i = 0; i < n; ++i) into.start[i + 1] += into.start[i];
  into.from.resize(static_cast<std::size_t>(into.start[n]));
  into.side.resize(into.from.size());
  std::vector<std::int32_t> fill(into.start.begin(), into.start.end() - 1);
  for (std::size_t c = 0; c < n; ++c) {
    for (int k = 0; k < kGraphSides; ++k) {
      const std::int32_t to = graph.move[c][static_cast<std::size_t>(k)];
      if (to == kNoIndex) continue;
      const auto at = static_cast<std::size_t>(fill[static_cast<std::size_t>(to)]++);
      into.from[at] = static_cast<std::int32_t>(c);
      into.side[at] = static_cast<std::int8_t>(k);
    }
  }
  return into;
}

// Dial's bucket queue over the costs: bucket b holds the cells whose cost
// lies in [b w, (b + 1) w), where w is the lowest cost of crossing a cell.
// A cell taken from bucket b can only make a cell cheaper in a later
// bucket, so the cells of a bucket are final in whatever order they come;
// the buckets go round a ring that spans the dearest cell's cost. A ring
// of more than kMostBuckets takes wider buckets instead, and then a cell
// may be settled up to one bucket's width above its cheapest cost.
constexpr std::size_t kMostBuckets = std::size_t{1} << 16;

namespace {

// The search itself: a cell c entered from a settled cell `at` costs
// crossing(c, at) more; `seedCost(e)` is an exit's cost and `carry(c, at)`
// is told when c takes its way through `at`. Every crossing lies in
// [lowest, highest]. The search stops once `wanted` cells for which
// isWanted(c) holds are settled.
template <typename SeedCost, typename Crossing, typename Carry, typename IsWanted>
void bucketWalk(const MovesInto& into, const std::vector<std::int32_t>& seeds, std::size_t n,
                double lowest, double highest, SeedCost seedCost, Crossing crossing, Carry carry,
                IsWanted isWanted, std::size_t wanted, CostWalk& walk) {
  walk.cost.assign(n, kNoRoute);
  walk.toward.assign(n, kNoStep);
  walk.order.clear();
  if (lowest == kNoRoute) return;
  const double width = std::max(lowest, highest / kMostBuckets);
  const std::size_t ring = static_cast<std::size_t>(highest / width) + 2;
  walk.settled.assign(n, 0);
  // Each bucket is a list threaded through the entries, newest first.
  walk.bucketHead.assign(ring, -1);
  walk.entryCell.clear();
  walk.entryNext.clear();
  std::size_t pending = 0;
  const auto bucketOf = [width](double cost) { return static_cast<std::size_t>(cost / width); };
  const auto push = [&](std::size_t bucket, std::size_t c) {
    std::int32_t& head = walk.bucketHead[bucket % ring];
    walk.entryCell.push_back(static_cast<std::int32_t>(c));
    walk.entryNext.push_back(head);
    head = static_cast<std::int32_t>(walk.entryCell.size() - 1);
    ++pending;
  };
  for (const std::int32_t e : seeds) {
    const auto i = static_cast<std::size_t>(e);
    const double cost = seedCost(i);
    if (!(cost < walk.cost[i])) continue;
    walk.cost[i] = cost;
    walk.toward[i] = kLeavePlan;
    push(bucketOf(cost), i);
  }
  for (std::size_t b = 0; pending > 0 && wanted > 0; ++b) {
    std::int32_t& head = walk.bucketHead[b % ring];
    while (head >= 0) {  // the bucket may grow while taken
      const auto at = static_cast<std::size_t>(walk.entryCell[static_cast<std::size_t>(head)]);
      head = walk.entryNext[static_cast<std::size_t>(head)];
      --pending;
      if (walk.settled[at] != 0) continue;  // listed again when made cheaper
      walk.settled[at] = 1;
      if (isWanted(at)) --wanted;
      const double cost = walk.cost[at];
      walk.order.push_back(static_cast<std::int32_t>(at));
      const auto first = static_cast<std::size_t>(into.start[at]);
      const auto last = static_cast<std::size_t>(into.start[at + 1]);
      for (std::size_t m = first; m < last; ++m) {
        const auto c = static_cast<std::size_t>(into.from[m]);
        if (walk.settled[c] != 0) continue;
        const double through = crossing(c, at) + cost;
        if (!(through < walk.cost[c])) continue;  // a tie keeps the way found first
        walk.cost[c] = through;
        walk.toward[c] = into.side[m];
        carry(c, at);
        push(std::max(bucketOf(through), b), c);
      }
    }
  }
}

}  // namespace

void walkWithCosts(const PlanGraph& graph, const MovesInto& into,
                   const std::vector<std::int32_t>& seeds, const std::vector<double>& cellCost,
                   CostWalk& walk) {
  (void)graph;
  double lowest = kNoRoute;
  double highest = 0.0;
  for (const double c : cellCost) {
    if (c == kNoRoute) continue;
    lowest = std::min(lowest, c);
    highest = std::max(highest, c);
  }
  bucketWalk(
      into, seeds, cellCost.size(), lowest, highest, [&](std::size_t e) { return cellCost[e]; },
      [&](std::size_t c, std::size_t) { return cellCost[c]; }, [](std::size_t, std::size_t) {},
      [](std::size_t) { return false; }, 1, walk);
}

void walkWithQueues(const PlanGraph& graph, const MovesInto& into,
                    const std::vector<std::int32_t>& seeds, const std::vector<double>& crossing,
                    const std::vector<double>& load, const std::vector<double>& rate,
                    CostWalk& walk) {
  (void)graph;
  const std::size_t n = crossing.size();
  double slowest = kNoRoute;
  double heaviest = 0.0;
  double lowest = kNoRoute;
  double highest = 0.0;
  std::size_t wanted = 0;
  for (std::size_t c = 0; c < n; ++c) {
    slowest = std::min(slowest, rate[c]);
    heaviest = std::max(heaviest, load[c]);
    lowest = std::min(lowest, crossing[c]);
    highest = std::max(highest, crossing[c]);
    if (load[c] > 0.0) ++wanted;
  }
  highest = std::max(highest, heaviest / slowest);
  walk.rate.assign(n, kNoRoute);
  const auto cost = [&](std::size_t c, double pace) { return std::max(crossing[c], load[c] / pace); };
  bucketWalk(
      into, seeds, n, lowest, highest,
      [&](std::size_t e) {
        walk.rate[e] = rate[e];
        return cost(e, rate[e]);
      },
      [&](std::size_t c, std::size_t at) { return cost(c, std::min(rate[c], walk.rate[at])); },
      [&](std::size_t c, std::size_t at) { walk.rate[c] = std::min(rate[c], walk.rate[at]); },
      [&](std::size_t c) { return load[c] > 0.0; }, wanted, walk);
}
