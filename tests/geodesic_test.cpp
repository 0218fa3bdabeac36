// Geodesic times with known answers: open rooms, a thin wall, a door, the
// rule at grid vertices, and the inputs that reach nothing.
#include <algorithm>

#include "geodesic_support.h"

namespace {

using Geodesic = SceneTest;

constexpr float kExact = 1e-4f;  // s; a visibility path is exact up to rounding

// y where the line from a to b crosses x = lineX; a and b on either side.
double crossingY(Point a, Point b, double lineX) {
  return a.y + (b.y - a.y) * (lineX - a.x) / (b.x - a.x);
}

// Straight-line time from p to `to`, or round `corner` when `blocked`.
float expectedTime(Point p, Point to, Point corner, bool blocked) {
  const double length = blocked ? distance(p, corner) + distance(corner, to) : distance(p, to);
  return static_cast<float>(length * kWalkPace);
}

TEST_F(Geodesic, OpenRoomIsStraightLineDistance) {
  Drawing d = drawing(23, 17, '.');
  put(d, 7, 5, 'E');
  runGeodesic(loadPlan(planText(d)));
  EXPECT_EQ(geodesic[cellAt(8, 5)], 4.0f);  // a side neighbour: one move
  EXPECT_NEAR(geodesic[cellAt(23, 17)], 2 * std::hypot(32.0, 24.0), kExact);  // 80 s
  const Point exit = centreOf(cellAt(7, 5));
  for (CellId c = 1; c <= 23 * 17; ++c) {
    ASSERT_NEAR(geodesic[c], distance(centreOf(c), exit) * kWalkPace, kExact) << c;
  }
}

TEST_F(Geodesic, ThinWallIsPassedRoundItsEnd) {
  // A wall on the left sides of column 8, rows 1 to 5: on x = 14 from the
  // room's floor up to its end at (14, 10). The exit's centre is (5, 3).
  Drawing d = drawing(15, 9, '.');
  for (int row = 1; row <= 5; ++row) put(d, 8, row, '|');
  put(d, 3, 2, 'E');
  runGeodesic(loadPlan(planText(d)));
  // Cell (9, 1), centre (17, 1): round the end, sqrt(90) + sqrt(130) map units.
  EXPECT_NEAR(geodesic[cellAt(9, 1)], 41.7772f, 1e-3f);
  const Point exit{5, 3}, end{14, 10};
  int behind = 0;
  for (CellId c = 1; c <= 15 * 9; ++c) {
    const Point p = centreOf(c);
    const bool blocked = p.x > end.x && crossingY(exit, p, end.x) < end.y;
    behind += blocked;
    ASSERT_NEAR(geodesic[c], expectedTime(p, exit, end, blocked), kExact) << c;
  }
  EXPECT_GE(behind, 20);
}

TEST_F(Geodesic, FarRoomIsReachedThroughTheDoor) {
  // Rooms of 8 by 9 cells side by side; the wall between them, on x = 16,
  // has a door in row 5 between the jambs (16, 8) and (16, 10).
  Drawing d = drawing(16, 9, '.');
  for (int row = 1; row <= 9; ++row) put(d, 9, row, row == 5 ? '.' : '|');
  put(d, 2, 8, 'E');
  runGeodesic(loadPlan(planText(d)));
  const Point exit{3, 15}, lower{16, 8}, upper{16, 10};
  int throughDoorway = 0;
  for (CellId c = 1; c <= 16 * 9; ++c) {
    const Point p = centreOf(c);
    const double crossing = p.x < lower.x ? 0 : crossingY(exit, p, lower.x);
    const bool seen = p.x < lower.x || (crossing >= lower.y && crossing <= upper.y);
    throughDoorway += seen && p.x > lower.x;
    const float expected =
        std::min({expectedTime(p, exit, lower, !seen), expectedTime(p, exit, lower, true),
                  expectedTime(p, exit, upper, true)});
    ASSERT_NEAR(geodesic[c], expected, kExact) << c;
  }
  EXPECT_GE(throughDoorway, 3);  // some far cells see the exit through the doorway
}

TEST_F(Geodesic, StraightThroughAVertexNeedsAnOpenLRoute) {
  // Exit (1, 1) and cell (3, 3): the straight line passes the vertices
  // (2, 2) and (4, 4).
  Drawing d = drawing(3, 3, '.');
  put(d, 1, 1, 'E');
  put(d, 2, 1, '|');  // closes one L-route round vertex (2, 2)
  runGeodesic(loadPlan(planText(d)));
  EXPECT_NEAR(geodesic[cellAt(3, 3)], 2 * std::sqrt(32.0), kExact);
  // Walls on both sides of (2, 2) that meet at the vertex: round (4, 2).
  put(d, 2, 1, '.');
  put(d, 2, 2, 'L');
  runGeodesic(loadPlan(planText(d)));
  EXPECT_NEAR(geodesic[cellAt(3, 3)], 2 * (std::sqrt(10.0) + std::sqrt(10.0)), kExact);
  // Cells that touch only at a corner are not joined.
  runGeodesic(loadPlan("  .\n . \nE  \n"));
  EXPECT_EQ(geodesic[cellAt(1, 1)], 0.0f);
  EXPECT_EQ(geodesic[cellAt(2, 2)], kUnreachedTime);
  EXPECT_EQ(geodesic[cellAt(3, 3)], kUnreachedTime);
}

TEST_F(Geodesic, LongStraightCorridorsAreExactEveryWay) {
  // A corridor 300 cells long, its exit at either end, level or upright,
  // with a room of 5 by 5 at the far end: along the corridor every time is
  // the straight line; in the room a cell in line with the corridor too,
  // and every other cell lies between the straight line from the exit and
  // the path round the corridor's mouth.
  constexpr int kLength = 300;
  for (int layout = 0; layout < 4; ++layout) {
    const bool upright = layout >= 2, exitFirst = layout % 2 == 0;
    const int columns = upright ? 5 : kLength + 5, rows = upright ? kLength + 5 : 5;
    Drawing d = drawing(columns, rows, ' ');
    // (along, across) -> (column, row); along 1 is the exit's end.
    auto place = [&](int along, int across) {
      const int a = exitFirst ? along : kLength + 6 - along;
      return upright ? std::pair{across, a} : std::pair{a, across};
    };
    auto mark = [&](int along, int across, char c) {
      put(d, place(along, across).first, place(along, across).second, c);
    };
    auto cell = [&](int along, int across) {
      return cellAt(place(along, across).first, place(along, across).second);
    };
    for (int along = 1; along <= kLength; ++along) mark(along, 3, '.');
    for (int along = kLength + 1; along <= kLength + 5; ++along) {
      for (int across = 1; across <= 5; ++across) mark(along, across, '.');
    }
    mark(1, 3, 'E');
    runGeodesic(loadPlan(planText(d)));
    const Point exit = centreOf(cell(1, 3));
    for (int along = 1; along <= kLength + 5; ++along) {
      const CellId c = cell(along, 3);
      ASSERT_EQ(geodesic[c], static_cast<float>(kStepTime * (along - 1))) << layout << " " << along;
    }
    for (int along = kLength + 1; along <= kLength + 5; ++along) {
      for (int across = 1; across <= 5; ++across) {
        const CellId c = cell(along, across);
        const double straight = distance(centreOf(c), exit) * kWalkPace;
        const double round = (kLength - 1) * kStepTime + (along - kLength) * kStepTime +
                             std::abs(across - 3) * kStepTime;
        ASSERT_GE(geodesic[c], straight * (1 - 1e-6)) << layout << " " << along << "," << across;
        ASSERT_LE(geodesic[c], round * (1 + 1e-6)) << layout << " " << along << "," << across;
      }
    }
  }
}

TEST_F(Geodesic, LongCorridorsCostInProportionToTheirLength) {
  // On a one-cell corridor a cell sees only the last bend or two of a
  // neighbour's path; walking the rest of it, to the exit, made every
  // offer cost the length of the path (a zig-zag of 4,000 cells took 38
  // million nodes offered, 9,500 a cell), and a sight test to the far end
  // of a straight path costs its length. Counted, not timed: straight, a
  // zig-zag, and the zig-zag below a stair, where every path crosses the
  // join to the exit on the level above.
  for (int cells : {1000, 4000}) {
    Drawing below = {"== level Street", "E.s", "  1", "== level Deep", "1"};
    for (const std::string& line : zigzag(cells, 's')) below.push_back(line);
    const Drawing straight = {"E" + std::string(cells - 1, '.')};
    for (const Drawing& d : {straight, zigzag(cells), below}) {
      SCOPED_TRACE(std::to_string(cells) + " " + d[0].substr(0, 6));
      runGeodesic(loadPlanWithJoins(planText(d)));
      for (CellId c = 1; c <= kMaxCellId; ++c) {  // the stair is crossed
        ASSERT_TRUE(!cellNamed[c] || geodesic[c] < kUnreachedTime) << c;
      }
      const GeodesicWork work = lastGeodesicWork();
      EXPECT_LE(work.nodesOffered, 30LL * cells);
      EXPECT_LE(work.sightTests, 30LL * cells);
      EXPECT_LE(work.sightLength, 100.0 * cells * kCellSize);  // 100 cells of line a cell
    }
  }
  setGeodesicJoins({});
}

TEST_F(Geodesic, DiagonalStaircaseIsStraightAndCostsFewSightTests) {
  // Every cell of a staircase two cells wide sees the exit along the
  // diagonal, so every time is the straight line. The paths along it ran
  // through hundreds of corners in line, lengths equal up to rounding,
  // and each cell was offered them one by one, with a sight test the
  // length of the staircase for each (1,000 cells: 1.46 million nodes
  // offered, 101,000 sight tests; 4,000 cells: 7 s).
  for (int rows : {500, 2000}) {
    SCOPED_TRACE(rows);
    const std::vector<CellId> exits = loadPlan(planText(staircase(rows)));
    runGeodesic(exits);
    const Point exit = centreOf(exits[0]);
    double lines = 0;  // map units, every cell's line to the exit
    for (CellId c = 1; c <= 2 * rows; ++c) {
      lines += distance(centreOf(c), exit);
      ASSERT_NEAR(geodesic[c], distance(centreOf(c), exit) * kWalkPace, 1e-6 * geodesic[c]) << c;
    }
    // Each cell must test its own line to the exit, so the lines tested
    // grow with the square of the length here; but by a few lines a cell
    // (5 to 6 today), not by the hundred of before.
    const GeodesicWork work = lastGeodesicWork();
    EXPECT_LE(work.nodesOffered, 30LL * 2 * rows);
    EXPECT_LE(work.sightTests, 30LL * 2 * rows);
    EXPECT_LE(work.sightLength, 10 * lines);
  }
}

TEST_F(Geodesic, ClosedInExitReachesNothing) {
  // The exit (3, 2) has rock left, right and below, a wall above.
  const std::vector<CellId> exits = loadPlan(".._..\n. E .\n.. ..\n");
  runGeodesic(exits);
  for (CellId c = 0; c <= kMaxCellId; ++c) {
    ASSERT_EQ(geodesic[c], c == exits[0] ? 0.0f : kUnreachedTime) << c;
  }
}

TEST_F(Geodesic, ExitsWithoutAFloorCellAreIgnored) {
  readMeshText(corridor(6));
  const CellId good[] = {2};
  computeGeodesicTimes(good, 1, geodesic);
  float once[7];
  std::copy(geodesic, geodesic + 7, once);
  // Outside the table, slot 0, a slot without a record, and a repeat.
  const CellId mixed[] = {-3, 40000, 0, 50, 2, 2};
  computeGeodesicTimes(mixed, 6, geodesic);
  for (CellId c = 0; c <= 6; ++c) EXPECT_EQ(geodesic[c], once[c]) << c;
  EXPECT_EQ(geodesic[0], kUnreachedTime);
  EXPECT_EQ(geodesic[50], kUnreachedTime);
  EXPECT_EQ(geodesic[6], 16.0f);
}

TEST_F(Geodesic, SidesTheGeometryDoesNotBear) {
  // 2 names slot 9, which has no record, across its right side; 3 names 2
  // across its left: a walker steps from 3 into 2 but not back. 4 and 5
  // name each other but lie three columns apart.
  readMeshText(kHeader + meshRecord(1, 2, -1, -1, -1, 1, 1) + meshRecord(2, 9, -1, 1, -1, 2, 1) +
               meshRecord(3, -1, -1, 2, -1, 3, 1) + meshRecord(4, 5, -1, -1, -1, 1, 5) +
               meshRecord(5, -1, -1, 4, -1, 4, 5));
  const CellId two[] = {2};
  computeGeodesicTimes(two, 1, geodesic);
  EXPECT_EQ(geodesic[1], 4.0f);
  EXPECT_EQ(geodesic[3], 4.0f);  // the program's walk leaves 3 unreached here
  EXPECT_EQ(geodesic[9], kUnreachedTime);
  const CellId three[] = {3, 4};
  computeGeodesicTimes(three, 2, geodesic);
  EXPECT_EQ(geodesic[2], kUnreachedTime);
  EXPECT_EQ(geodesic[1], kUnreachedTime);
  EXPECT_EQ(geodesic[5], kUnreachedTime);
}

}  // namespace
