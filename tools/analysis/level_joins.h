// Joins between levels as the mesh table holds them: two end cells of one
// join label (join_tags.h) that name each other across a side. The walk
// crosses them as any side; the geodesic search crosses them as portals,
// and the checker does not note them as neighbours apart on the grid.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/scene.h"

struct CellPair {
  CellId a, b;  // a below b
};

// Needs the cell table read; endLabel[c] numbers the join label of slot
// c's record when it is a join's end, -1 otherwise. The pairs of end cells
// of one label that name each other across facing sides (c's right and n's
// left, c's top and n's bottom) and do not lie side by side there, each
// once, by a.
std::vector<CellPair> findJoinPairs(const std::int16_t endLabel[kSlotCount]);
