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
                IsWanted isWanted, std::size_t wanted, bool keepOrder, CostWalk& walk) {
  walk.cost.assign(n, kNoRoute);
  walk.toward.assign(n, kNoStep);
  walk.order.clear();
  walk.settled.assign(n, 0);
  if (lowest == kNoRoute) return;
  const double width = std::max(lowest, highest / kMostBuckets);
  const std::size_t ring = static_cast<std::size_t>(highest / width) + 2;
  // Each bucket is a list threaded through the entries, newest first.
  walk.bucketHead.assign(ring, -1);
  auto& entries = walk.entries;
  entries.clear();
  // Plain pointers: the stores below could alias the vectors' own fields.
  double* const cost = walk.cost.data();
  std::int8_t* const toward = walk.toward.data();
  char* const settled = walk.settled.data();
  std::int32_t* const head = walk.bucketHead.data();
  const std::int32_t* const start = into.start.data();
  const std::int32_t* const from = into.from.data();
  const std::int8_t* const side = into.side.data();
  std::size_t pending = 0;
  const auto bucketOf = [width](double c) { return static_cast<std::size_t>(c / width); };
  const auto push = [&](std::size_t bucket, std::size_t c) {
    std::int32_t& first = head[bucket % ring];
    entries.push_back({static_cast<std::int32_t>(c), first});
    first = static_cast<std::int32_t>(entries.size() - 1);
    ++pending;
  };
  for (const std::int32_t e : seeds) {
    const auto i = static_cast<std::size_t>(e);
    const double c = seedCost(i);
    if (!(c < cost[i])) continue;
    cost[i] = c;
    toward[i] = kLeavePlan;
    push(bucketOf(c), i);
  }
  for (std::size_t b = 0; pending > 0 && wanted > 0; ++b) {
    std::int32_t& first = head[b % ring];
    while (first >= 0) {  // the bucket may grow while taken
      const BucketEntry entry = entries[static_cast<std::size_t>(first)];
      const auto at = static_cast<std::size_t>(entry.cell);
      first = entry.next;
      --pending;
      if (settled[at] != 0) continue;  // listed again when made cheaper
      settled[at] = 1;
      if (isWanted(at)) --wanted;
      const double here = cost[at];
      if (keepOrder) walk.order.push_back(static_cast<std::int32_t>(at));
      const auto last = static_cast<std::size_t>(start[at + 1]);
      for (auto m = static_cast<std::size_t>(start[at]); m < last; ++m) {
        const auto c = static_cast<std::size_t>(from[m]);
        if (settled[c] != 0) continue;
        const double through = crossing(c, at) + here;
        if (!(through < cost[c])) continue;  // a tie keeps the way found first
        cost[c] = through;
        toward[c] = side[m];
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
      [](std::size_t) { return false; }, 1, true, walk);
}

void walkWithQueues(const PlanGraph& graph, const MovesInto& into,
                    const std::vector<std::int32_t>& seeds, const std::vector<double>& crossing,
                    const std::vector<double>& load, const std::vector<double>& rate,
                    CostWalk& walk) {
  (void)graph;
  const std::size_t n = crossing.size();
  const double* const cross = crossing.data();
  const double* const held = load.data();
  const double* const own = rate.data();
  double slowest = kNoRoute;
  double heaviest = 0.0;
  double lowest = kNoRoute;
  double highest = 0.0;
  std::size_t wanted = 0;
  for (std::size_t c = 0; c < n; ++c) {
    slowest = std::min(slowest, own[c]);
    heaviest = std::max(heaviest, held[c]);
    lowest = std::min(lowest, cross[c]);
    highest = std::max(highest, cross[c]);
    if (held[c] > 0.0) ++wanted;
  }
  highest = std::max(highest, heaviest / slowest);
  walk.rate.assign(n, kNoRoute);
  double* const pace = walk.rate.data();
  const auto cost = [&](std::size_t c, double slowest) { return std::max(cross[c], held[c] / slowest); };
  bucketWalk(
      into, seeds, n, lowest, highest,
      [&](std::size_t e) {
        pace[e] = own[e];
        return cost(e, own[e]);
      },
      [&](std::size_t c, std::size_t at) { return cost(c, std::min(own[c], pace[at])); },
      [&](std::size_t c, std::size_t at) { pace[c] = std::min(own[c], pace[at]); },
      [&](std::size_t c) { return held[c] > 0.0; }, wanted, false, walk);
}
