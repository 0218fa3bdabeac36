// Shared by the geodesic tests: plans drawn as text, loaded into the cell
// table, and the cells looked up by grid place.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
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

// A one-cell corridor of `cells` cells winding down the plan: legs of
// three cells, left to right and back, joined by one cell at alternate
// ends; its first cell, at the top left, is the exit 'E' unless `first`
// says otherwise.
inline Drawing zigzag(int cells, char first = 'E') {
  Drawing d;
  int done = 0;
  while (done < cells) {
    const bool rightward = d.size() % 4 == 0;
    std::string leg(3, ' ');
    for (int i = 0; i < 3 && done < cells; ++i, ++done) leg[rightward ? i : 2 - i] = '.';
    d.push_back(leg);
    if (done < cells) {
      d.push_back(rightward ? "  ." : ".  ");
      ++done;
    }
  }
  d[0][0] = first;
  return d;
}

// A diagonal staircase: `rows` rows of two cells, each row one column
// right of the row below; the exit is the bottom row's left cell.
inline Drawing staircase(int rows) {
  Drawing d;
  for (int r = rows - 1; r >= 0; --r) d.push_back(std::string(r, ' ') + (r == 0 ? "E." : ".."));
  return d;
}

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

// As loadPlan, and the search from now on crosses the plan's joins between
// levels as portals (setGeodesicJoins({}) ends that).
inline std::vector<CellId> loadPlanWithJoins(const std::string& text) {
  Plan plan;
  PlanError error;
  EXPECT_TRUE(parsePlan(text, plan, error)) << error.message;
  clearScene();
  readMeshText(formatMesh(plan));
  static std::int16_t endLabel[kSlotCount];
  std::fill(std::begin(endLabel), std::end(endLabel), std::int16_t{-1});
  for (std::size_t i = 0; i < plan.cells.size(); ++i) {
    if (plan.cells[i].joinEnd) endLabel[i + 1] = static_cast<std::int16_t>(plan.cells[i].join);
  }
  setGeodesicJoins(findJoinPairs(endLabel));
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
