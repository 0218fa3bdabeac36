// The way people go on the stairs and escalators between levels, read from
// the join tags plan2mesh writes (GraphJoin): a move along a stair's run
// towards its joined end goes the way the join leads (`toward`), a move
// away from it the other way, a move across the join on the way the join
// leads; onto a run from other floor is towards its end, off it away from
// it. Moves that keep their distance to the end (sideways on a wide stair)
// and moves away from any run go neither up nor down.
#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "plan_graph.h"

using MoveTravel = std::array<Travel, kGraphSides>;  // the way of the move across each side of a cell

// Pure: the way of every move of `graph`, one entry a cell; empty when the
// graph has no joins.
std::vector<MoveTravel> moveTravels(const PlanGraph& graph);

// Pure: Up for Down and Down for Up; None stays.
Travel oppositeTravel(Travel way);

// Pure: for each join label of the graph, the cells across it: the end
// cells of its lower level (toward up), at least 1.
std::vector<int> joinWidths(const PlanGraph& graph);

// Needs `closed` one entry a cell. Closes (bit k of closed[c]) every move
// from a cell off the run of a join marked in `out` (one flag a label)
// into a cell on it: nobody steps onto a stair or escalator out of
// service, and whoever stands on it at the start walks off it.
void closeJoinsOut(const PlanGraph& graph, const std::vector<bool>& out,
                   std::vector<std::uint8_t>& closed);

// Needs `closed` one entry a cell and `travel` from moveTravels. Closes
// every move that goes against the way an escalator carries people, on or
// onto it.
void closeAgainstEscalators(const PlanGraph& graph, const std::vector<MoveTravel>& travel,
                            std::vector<std::uint8_t>& closed);
