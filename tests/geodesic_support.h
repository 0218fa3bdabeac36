// Shared by the geodesic tests: plans drawn as text, loaded into the cell
// table, and the cells looked up by grid place.
#pragma once

#include <cmath>
#include <string>
#include <vector>

#include "geodesic.h"
#include "plan2mesh.h"
#include "scene_fixture.h"

inline float geodesic[kSlotCount];  // s, filled by runGeodesic

using Drawing = std::vector<std::string>;  // plan lines, top line first

inline Drawing drawing(int columns, int rows, char fill) {
  return Drawing(rows, std::string(columns, fill));
}

// Rows count from 1 at the bottom, as in the mesh.
inline void put(Drawing& d, int column, int row, char c) { d[d.size() - row][column - 1] = c; }

inline std::string planText(const Drawing& d) {
  std::string text;
  for (const std::string& line : d) text += line + '\n';
  return text;
}

// Fills the table from plan text through plan2mesh; returns the exits.
inline std::vector<CellId> loadPlan(const std::string& text) {
  Plan plan;
  PlanError error;
  EXPECT_TRUE(parsePlan(text, plan, error)) << error.message;
  clearScene();
  readMeshText(formatMesh(plan));
  return plan.exits;
}

inline void runGeodesic(const std::vector<CellId>& exits) {
  computeGeodesicTimes(exits.data(), static_cast<int>(exits.size()), geodesic);
}

inline CellId cellAt(int column, int row) {
  for (CellId c = 1; c <= kMaxCellId; ++c) {
    if (cellNamed[c] && posX[c] == column * kCellSize && posY[c] == row * kCellSize) return c;
  }
  return 0;
}

struct Point {
  double x, y;  // map units
};

inline Point centreOf(CellId c) { return {posX[c] - kCellSize / 2, posY[c] - kCellSize / 2}; }
inline double distance(Point a, Point b) { return std::hypot(a.x - b.x, a.y - b.y); }
