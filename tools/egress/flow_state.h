// The state of one run of the flow model, shared by model.cpp (the steps)
// and routes.cpp (where people head). Only for the files of the model.
#pragma once

#include <cstdint>
#include <vector>

#include "cost_walk.h"
#include "model.h"

struct FlowState {
  const PlanGraph& graph;
  const EgressInput& input;
  double dt = 0.0;  // s, one step
  double area = 0.0;  // m², one cell
  int ringSize = 0; // steps a cell can keep people, plus one
  // Per set of figures (input.figures, or input.kinds where that is empty).
  std::vector<int> dwellWhole{};       // whole steps to cross a cell
  std::vector<double> dwellPart{};     // share of people who need one step more
  std::vector<double> flowStep{};      // persons a cell side passes in a step, alone
  std::vector<double> maxPeople{};     // persons, jam x area
  std::vector<double> crossSeconds{};  // s, cell side / speed
  // Per cell.
  std::vector<double> people{};   // persons in the cell
  std::vector<double> ready{};    // of them, persons who have crossed it
  std::vector<double> ring{};     // ringSize slots a cell: persons who will have crossed it at a step
  std::vector<double> send{};     // persons the cell sends across each side (4 a cell) in this step
  std::vector<double> demand{};   // persons sent towards the cell in this step
  std::vector<double> arrive{};   // persons who enter the cell in this step
  std::vector<double> outNow{};   // persons who left the cell in this step
  std::vector<double> outRate{};  // persons per second, the cell's remembered outflow
  std::vector<int> exitDoor{};    // door of an open exit cell, -1 for others
  std::vector<int> lastHeld{};    // last step after which the cell held someone, -1 never
  std::vector<double> peak{};     // persons, the most the cell held
  std::vector<int> denseSteps{};  // steps after which the cell held a dense crowd
  // The live cells: those that hold, are due or receive people. Every other
  // cell holds nobody, has nothing due, sends nothing and passes at its
  // capacity, so a step leaves it as it is and visits only these.
  std::vector<std::uint64_t> live{};   // bit c % 64 of word c / 64: cell c is live
  std::vector<std::int32_t> targets{}; // cells sent to in this step, in the order first sent to
  std::int64_t visits = 0;             // live cells the steps visited so far
  // Routes.
  MovesInto into{};
  CostWalk nearest{};             // the walk with free crossing times, fixed
  CostWalk current{};             // the routes people follow now
  std::vector<double> cellCost{}; // s, scratch of the route estimate
  std::vector<double> sideCost{}; // s, kGraphSides a cell: crossing it towards each side; empty
                                  // without figures by direction
  std::vector<std::uint8_t> ways{};  // per cell: bit k, people go on across side k; kLeaveWay, out
  // Counts.
  std::vector<double> doorOut{};  // persons out through each door
  double out = 0.0;             // persons out
};

// Calls visit(c) for every live cell, in ascending order, as a sweep over
// all cells would take them; cells made live meanwhile wait for the next call.
template <typename Visit>
void forLiveCells(const FlowState& s, Visit visit) {
  for (std::size_t w = 0; w < s.live.size(); ++w) {
    for (std::uint64_t bits = s.live[w]; bits != 0; bits &= bits - 1) {
      visit(w * 64 + static_cast<std::size_t>(__builtin_ctzll(bits)));
    }
  }
}

inline void setLive(FlowState& s, std::size_t c) { s.live[c / 64] |= std::uint64_t{1} << (c % 64); }

constexpr std::uint8_t kLeaveWay = 1 << kGraphSides;  // the cell is an exit and is left there

// The sets of figures the cells take.
inline const std::vector<KindFlow>& figureSets(const EgressInput& in) {
  return in.figures.empty() ? in.kinds : in.figures;
}

// The way of a move from cell c across side k.
inline Travel travelAcross(const FlowState& s, std::size_t c, int k) {
  return s.input.moveTravel.empty() ? Travel::None : s.input.moveTravel[c][static_cast<std::size_t>(k)];
}

// The figures of cell c for people going `way` through it.
inline std::size_t figureOf(const FlowState& s, std::size_t c, Travel way) {
  return s.input.cellFigures.empty() ? s.graph.kind[c]
                                     : s.input.cellFigures[c][static_cast<std::size_t>(way)];
}

// The figures of cell c for its people now: the way their route leaves it.
inline std::size_t leavingFigure(const FlowState& s, std::size_t c) {
  const std::int8_t k = s.current.toward[c];
  return figureOf(s, c, k >= 0 && k < kGraphSides ? travelAcross(s, c, k) : Travel::None);
}

// Leaves state.nearest, state.current as a copy of it, and the ways.
void planNearestRoutes(FlowState& state);

// After a step: folds the step's outflow into each cell's remembered rate.
void rememberOutflow(FlowState& state);

// With RouteChoice::Quickest: routes by crossing time or, where people wait,
// the time the cell's content takes to leave at its remembered rate; and
// the ways that follow from them.
void estimateRoutes(FlowState& state);

// After planNearestRoutes: per cell, when it would have emptied had nobody
// waited and everyone walked the nearest way; kNever where nobody would be.
std::vector<double> freeClearSeconds(const FlowState& state);
