// Geodesic walking times: for every cell, the length of the shortest walk
// through open floor from the cell's centre to the centre of the nearest
// exit cell, straight lines at any angle, at the pace of one cell side per
// side move. The map's own times count side moves (a staircase across open
// floor); this continuous time lets the tools measure that error.
#pragma once

#include <vector>

#include "level_joins.h"
#include "scene/scene.h"

constexpr double kWalkPace = kStepTime / kCellSize;  // s per map unit: a cell side in one move's time

// Needs the cell table filled (readMeshText or readMeshFile); `exits` holds
// `exitCount` slot numbers, of which those outside 0..kMaxCellId, slot 0 and
// slots without a record are ignored and repeats count once. Leaves in
// `seconds` each floor cell's geodesic time in s, and kUnreachedTime for
// cells no exit leads to and for slots that are not floor. The table is
// only read.
void computeGeodesicTimes(const CellId* exits, int exitCount, float seconds[kSlotCount]);

// The joins between levels (level_joins.h) that computeGeodesicTimes
// crosses from now on, each as a portal of one cell's length between the
// two cells' centres, never along the straight line across the map; every
// other pair of neighbours that are not side by side stays closed to it.
// Kept until set again; none at start.
void setGeodesicJoins(const std::vector<CellPair>& joins);

// Sets the function computeGeodesicTimes calls now and then with the cells
// settled so far (their times final) and the floor cells in all, for a sign
// of life on a long plan; null, the start, calls none.
void setGeodesicProgress(void (*progress)(int settledCells, int floorCells));

// What a search cost, counted rather than timed, so that tests can hold
// its growth with the plan's size.
struct GeodesicWork {
  long long nodesOffered = 0;  // nodes of settled paths offered to a neighbour, one by one
  long long sightTests = 0;    // straight-line sight tests between two nodes
  double sightLength = 0;      // map units, those tests' lines added up (their cost)
};

// The work of the last computeGeodesicTimes call (or of the present one,
// from the progress function); all zero before the first.
GeodesicWork lastGeodesicWork();
