// Doors: an entrance is usually several exit cells side by side. Exit cells
// that a move joins, in either direction, are one door (the walk's own
// rule, so a thin wall between two exit cells makes two doors). Doors are
// numbered in the order their first cell appears in the exit file.
#pragma once

#include <cstdint>
#include <utility>
#include <vector>

#include "plan_graph.h"

// Pure: exits 0..exitCount-1 in the order first listed, `joined` the pairs
// of them a move joins (either way round, repeats allowed). Leaves each
// exit's door, numbered from 0 in the order of each door's first exit.
std::vector<int> groupDoors(int exitCount, const std::vector<std::pair<int, int>>& joined);

// groupDoors over the graph's exits and moves: the door of each entry of
// graph.exits.
std::vector<int> groupGraphDoors(const PlanGraph& graph);

// The number of doors in a result of groupDoors.
int doorCount(const std::vector<int>& doorOfExit);
