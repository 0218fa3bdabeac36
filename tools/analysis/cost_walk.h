// One walk with a cost per cell, beside the program's own (4 s a move,
// depth first, cut off at 448 s): from every cell the cheapest way out of
// the plan, where crossing a cell costs what the caller says (a walking
// time that depends on the kind of floor, a wait in a queue). Dijkstra's
// search from the exits over the graph's moves, run backwards, with a
// bucket queue.
#pragma once

#include <cstdint>
#include <limits>
#include <vector>

#include "plan_graph.h"

constexpr double kNoRoute = std::numeric_limits<double>::infinity();  // s, the cost of no way out
constexpr std::int8_t kLeavePlan = kGraphSides;  // toward: the cell is an exit and is left there
constexpr std::int8_t kNoStep = -1;              // toward: no way out from the cell

// The moves of a graph turned round: for each cell, the cells that a move
// enters it from and across which of their sides.
struct MovesInto {
  std::vector<std::int32_t> start;  // entries of cell i are [start[i], start[i + 1])
  std::vector<std::int32_t> from;   // the cell a move starts in
  std::vector<std::int8_t> side;    // the side of `from` it crosses
};

struct BucketEntry {
  std::int32_t cell;  // index of a cell listed in a bucket
  std::int32_t next;  // the bucket's next entry, -1 at its end
};

struct CostWalk {
  std::vector<double> cost;         // s, from entering the cell to leaving the plan; kNoRoute
  std::vector<std::int8_t> toward;  // side of the next cell on the way, kLeavePlan or kNoStep
  std::vector<std::int32_t> order;  // walkWithCosts: the cells with a way out, each after those it leads to
  std::vector<std::int32_t> bucketHead;  // scratch of the search: first entry of each bucket, -1
  std::vector<BucketEntry> entries;      // scratch: the cells listed, each with the next of its bucket
  std::vector<char> settled;                       // scratch: 1 once a cell's cost is final
  std::vector<double> rate;                        // walkWithQueues: persons per second, the slowest on the way
};

// Pure: the moves of `graph` turned round.
MovesInto movesInto(const PlanGraph& graph);

// Needs `into` made from `graph`; cellCost holds one entry a cell, the s to
// cross it, above 0, or kNoRoute where it may not be entered; every seed a
// cell index (an exit, left at the cost of crossing it). Leaves `walk`
// filled; of two ways of equal cost the one found first stays, so equal
// inputs give equal routes. Exact while the dearest cell costs at most
// 65,536 times the cheapest; beyond, a cell's cost may exceed its least by
// up to 1/65,536 of the dearest cell's.
void walkWithCosts(const PlanGraph& graph, const MovesInto& into,
                   const std::vector<std::int32_t>& seeds, const std::vector<double>& cellCost,
                   CostWalk& walk);

// A walk through queues: a cell holding load[c] persons costs the longer of
// crossing[c] and the time they take to pass the slowest cell of its way
// out, at rate[] persons per second (its own rate or one further on). The
// people ahead in a stream that runs into a queue are then counted as
// queueing already, which they will be by the time one gets there. The
// way of a cell is the cheapest given the ways already found for the cells
// nearer the exits. The search stops once every cell with a load is
// settled: beyond, `settled` is 0 and costs and ways are unfinished. Needs
// every crossing above 0, every rate above 0 and finite, every load from 0
// up, the other conditions of walkWithCosts.
void walkWithQueues(const PlanGraph& graph, const MovesInto& into,
                    const std::vector<std::int32_t>& seeds, const std::vector<double>& crossing,
                    const std::vector<double>& load, const std::vector<double>& rate,
                    CostWalk& walk);
