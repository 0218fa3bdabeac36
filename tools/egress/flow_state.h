// The state of one run of the flow model, shared by model.cpp (the steps)
// and routes.cpp (where people head). Only for the files of the model.
#pragma once

#include <vector>

#include "cost_walk.h"
#include "model.h"

struct FlowState {
  const PlanGraph& graph;
  const EgressInput& input;
  double dt = 0.0;  // s, one step
  double area = 0.0;  // m², one cell
  int ringSize = 0; // steps a cell can keep people, plus one
  // Per kind.
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
  // Routes.
  MovesInto into{};
  CostWalk nearest{};             // the walk with free crossing times, fixed
  CostWalk current{};             // the routes people follow now
  std::vector<double> cellCost{}; // s, scratch of the route estimate
  std::vector<double> load{};     // persons, scratch of the route estimate
  std::vector<std::uint8_t> ways{};  // per cell: bit k, people go on across side k; kLeaveWay, out
  // Counts.
  std::vector<double> doorOut{};  // persons out through each door
  double out = 0.0;             // persons out
};

constexpr std::uint8_t kLeaveWay = 1 << kGraphSides;  // the cell is an exit and is left there

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
