// The flow model of orvik-egress: people as real numbers in the cells of a
// plan, moved in fixed time steps across open sides towards the exits, in
// the spirit of a cell transmission model. Pure: it reads no file, so the
// tests drive it in memory.
//
// The step is the time the fastest kind takes to cross a cell: cell side
// over the highest free speed. A cell of a slower kind keeps the people who
// entered it for cell side / speed, in whole steps and a share of one more
// (so the mean is exact). In each step the people of a cell who have
// crossed it move on to the next cell of their route, at most the side's
// capacity (cell side x the lower specific flow of the two kinds x step)
// and at most the free room of the receiving cell (jam density x area less
// what it held at the start of the step), shared in proportion among the
// cells that send into it. An exit cell lets people out at its own side's
// capacity.
//
// On a stair or escalator between levels the figures depend on the way a
// move goes, up, down or neither (moveTravel): a cell is crossed at the
// speed of the way its people leave it, and a side passes the lower flow of
// the two cells for the way across it.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <vector>

#include "plan_graph.h"

struct KindFlow {
  double speed;  // m/s, free walking speed across a cell of the kind
  double flow;   // persons per metre per second, specific flow through a side
  double jam;    // persons per m², the most a cell holds
};

enum class RouteChoice {
  Quickest,  // walking time plus the expected wait on the way, re-estimated
  Nearest,   // the nearest exit by walking time, for the whole run
};

struct EgressInput {
  double cellSide;                    // m
  std::vector<KindFlow> kinds;        // one for each of graph.kindWords
  std::vector<double> people;         // persons in each cell at the start
  std::vector<std::int32_t> exits;    // cell indices of the open exit cells
  std::vector<int> doorOfExit;        // door (from 0) of each entry of `exits`
  int doorCount;                      // doors, blocked ones included
  RouteChoice route;
  double rerouteSeconds;              // s between two estimates of the waits; 0 every step
  double waitMemorySeconds;           // s, how long a cell's outflow rate is remembered
  double preMovementSeconds;          // s before anyone moves; added to every time
  double maxSeconds;                  // s of movement after which the run stops
  // By direction of travel; both empty on a plan without stairs or
  // escalators between levels, where every cell takes its kind's figures.
  std::vector<KindFlow> figures;      // every set of figures; the first ones are `kinds`, in order
  std::vector<std::array<std::uint16_t, 3>> cellFigures;  // per cell, index in `figures` by Travel
                                                          // (None, Up, Down); None is its room's
  std::vector<std::array<Travel, kGraphSides>> moveTravel;  // per cell, the way of the move across each side
  std::vector<std::uint8_t> closedSides;  // per cell, bit k: the move across side k is closed (a
                                          // stair out of service, an escalator's wrong way); empty: none
};

// People less than this count as nobody: a cell holding less is empty, a
// step letting less out of a door lets nobody out.
constexpr double kPersonTrace = 1e-3;  // persons

// What the model holds after each step, for observers.
struct StepView {
  int step;                              // 1 for the first step
  double seconds;                        // s at the end of the step, pre-movement included
  double out;                            // persons out so far
  const std::vector<double>& doorOut;    // persons out so far through each door
  const std::vector<double>& cellPeople; // persons in each cell now
};
using StepObserver = std::function<void(const StepView&)>;

constexpr double kNever = -1.0;  // s: a time that never came

// Persons per m² from which a crowd counts as a dense queue: the maritime
// evacuation guidance flags congestion there.
constexpr double kDenseCrowd = 3.5;

struct DoorOutcome {
  double people;     // persons who left through it
  double firstOut;   // s, end of the first step that let someone out, or kNever
  double lastOut;    // s, end of the last such step, or kNever
  double peakFlow;   // persons per second, the most in one step
};

struct EgressOutcome {
  double step;                         // s
  int steps;                           // steps run
  double placed;                       // persons at the start
  double out;                          // persons out at the end
  double noWayOut;                     // persons in cells from which no exit is reached
  double everyoneOut;                  // s, or kNever when people were left
  std::vector<double> kindCleared;     // s, when the last cell of each kind emptied;
                                       // 0 for a kind that never held anyone, kNever
  std::vector<DoorOutcome> doors;
  std::vector<double> clearSeconds;    // s, per cell; kNever where nobody ever was
  std::vector<double> peakDensity;     // persons per m², per cell
  std::vector<double> waitSeconds;     // s, clearing time beyond walking alone; kNever as above
  std::vector<double> denseSeconds;    // s, per cell, how long it held kDenseCrowd or more
  std::vector<double> walkSeconds;     // s, free walk from each cell out by the nearest way;
                                       // kNever where no exit is reached
  std::int64_t cellVisits = 0;         // cells the steps visited, summed over the steps: the
                                       // live ones, that hold, are due or receive people
};

// The step of a run: cell side over the highest speed of a kind the graph
// has. Needs input.kinds for every kind word of the graph.
double stepSeconds(const PlanGraph& graph, const EgressInput& input);

// Pure: `graph` with the moves that input.closedSides closes taken away.
PlanGraph openPlan(const PlanGraph& graph, const EgressInput& input);

// Needs input.kinds and input.people sized to the graph, people within each
// cell's jam, every exit a cell index. Runs until everyone who can leave
// has left or maxSeconds have passed; `observe` (may be empty) sees every step.
EgressOutcome runEgress(const PlanGraph& graph, const EgressInput& input,
                        const StepObserver& observe = {});
