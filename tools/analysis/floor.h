// Open floor as the geodesic search sees it: the sides a walker may cross,
// the bend corners and the straight-line sight test between two nodes.
// Shared by the files of tools/analysis only.
//
// Nodes: node c (below kSlotCount) is the centre of cell c; node
// kSlotCount + kSides * c + k is corner k of cell c, the grid vertex at
// which c holds ring position k (0 SW, 1 SE, 2 NE, 3 NW of the vertex).
#pragma once

#include <cstdint>

#include <vector>

#include "level_joins.h"
#include "scene/scene.h"

constexpr int kSides = 4;  // 0 right, 1 top, 2 left, 3 bottom: counterclockwise
constexpr int kNodeCount = kSlotCount + kSides * kSlotCount;  // cell centres, then corners

// Any slot number: true for a slot a record named, other than slot 0.
bool isFloorSlot(std::int32_t slot);

// Needs the cell table filled; leaves the tables the calls below read,
// matching that table until it changes.
void prepareFloor();

// After prepareFloor, c floor: the cell from which a walker steps into c
// across c's side s, or 0.
CellId stepsInto(CellId c, int s);

// A join between levels: a portal, crossed in one cell's length whatever
// the map shows between its two cells. Other neighbours that do not lie
// side by side stay closed to the search.
struct PortalRange {
  const CellId* first;  // the cells from which a walker steps into the cell through a portal
  const CellId* last;   // one past the end
};

// Leaves `joins` as the pairs that prepareFloor makes portals of, until
// set again.
void setPortalPairs(const std::vector<CellPair>& joins);

// After prepareFloor, c a slot: the cells x, floor, of a pair of the
// portal pairs whose move x -> c through an open side reaches c though c
// does not lie beside x.
PortalRange portalsInto(CellId c);

// After prepareFloor, c floor: the node that stands for corner k of c as a
// bend corner, or -1 when the floor does not bend there.
std::int32_t bendCorner(CellId c, int k);

// After prepareFloor, `corner` a bend corner node: the cell at ring
// position p round its vertex for which it stands, or 0.
CellId cornerCell(std::int32_t corner, int p);

// After prepareFloor, two nodes of one floor region: the distance between
// their points in map units.
double gap(std::int32_t a, std::int32_t b);

// After prepareFloor, three nodes of one floor region: true when b lies
// on the straight line from a to c, strictly between them.
bool inLine(std::int32_t a, std::int32_t b, std::int32_t c);

// After prepareFloor, two nodes of one floor region: true when a walker
// may go straight from the point of `from` to that of `to` without
// crossing a closed side or leaving open floor.
bool clearSight(std::int32_t from, std::int32_t to);
